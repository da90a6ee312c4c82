#include "support/Shell.h"

#include "base/win/WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace hx {

void OpenWithParameters(std::u16string_view file, std::u16string_view parameters) {
    const std::u16string f(file);
    const std::u16string p(parameters);
    ShellExecuteW(nullptr, L"open", win::W(f), win::W(p), nullptr, SW_SHOW);
}

void OpenLink(std::u16string_view target, void* ownerWindow) {
    const std::u16string t(target);
    ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", win::W(t), nullptr, nullptr, SW_SHOW);
}

} // namespace hx
