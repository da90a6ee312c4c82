#include "update/ProductWindows.h"

#include "base/win/TopLevelWindow.h"

namespace hx::update {

void ShowWindowOfClass(std::u16string_view className, int command) {
    if (HWND w = win::FindWindowOfClass(className)) {
        ShowWindow(w, command);
    }
}

void CloseWindowOfClass(std::u16string_view className) {
    if (HWND w = win::FindWindowOfClass(className)) {
        SendMessageW(w, WM_CLOSE, 0, 0);
    }
}

} // namespace hx::update
