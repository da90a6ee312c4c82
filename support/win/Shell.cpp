#include "support/Shell.h"

#include "support/win/Handles.h"

#include <shellapi.h>

#include <string>

namespace hx {

void OpenWithParameters(std::u16string_view file, std::u16string_view parameters) {
    try {
        const std::u16string f(file);
        const std::u16string p(parameters);
        ShellExecuteW(nullptr, L"open", win::W(f), win::W(p), nullptr, SW_SHOW);
    } catch (...) {
    }
}

} // namespace hx
