#include "base/win/TopLevelWindow.h"

#include "base/win/WideText.h"

#include <string>

namespace hx::win {

HWND FindWindowOfClass(std::u16string_view className) {
    const std::u16string name(className);
    return FindWindowW(W(name), nullptr);
}

} // namespace hx::win
