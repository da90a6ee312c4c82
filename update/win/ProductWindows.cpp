#include "update/ProductWindows.h"

#include <windows.h>

#include <string>

namespace hx::update {

namespace {

HWND FindByClass(std::u16string_view className) {
    const std::u16string name(className);
    return FindWindowW(reinterpret_cast<const wchar_t*>(name.c_str()), nullptr);
}

} // namespace

void ShowWindowOfClass(std::u16string_view className, int command) {
    if (HWND w = FindByClass(className))
        ShowWindow(w, command);
}

void CloseWindowOfClass(std::u16string_view className) {
    if (HWND w = FindByClass(className))
        SendMessageW(w, WM_CLOSE, 0, 0);
}

} // namespace hx::update
