#include "app/win/Platform.h"

#include "base/Paths.h"
#include "base/win/TopLevelWindow.h"
#include "base/win/WideText.h"

#include <cstdlib>

namespace hx::app {
namespace {

std::u16string Text(std::u16string_view s) {
    return std::u16string(s);
}

} // namespace

bool FindAndActivateWindow(std::u16string_view className, bool restore) {
    const HWND window = win::FindWindowOfClass(className);
    if (!window) {
        return false;
    }
    if (restore) {
        ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    }
    return true;
}

std::u16string GetTempFolder() {
    // Asked with no buffer, the call answers the size it needs, terminator included.
    DWORD size = GetTempPathW(0, nullptr);
    for (int attempt = 0; attempt < 4 && size > 0; ++attempt) { // the value may change
        std::wstring buffer(size, L'\0');
        const DWORD got = GetTempPathW(size, buffer.data());
        if (got == 0) {
            return {};
        }
        if (got < size) {
            return WithTrailingSeparator(win::U(buffer.data(), got));
        }
        size = got + 1;
    }
    return {};
}

std::vector<std::u16string> CommandLineArguments() {
    std::vector<std::u16string> out;
    for (int i = 1; i < __argc && __wargv; ++i) {
        if (const wchar_t* a = __wargv[i]) {
            out.push_back(win::U(a));
        }
    }
    return out;
}

void CreateFolder(std::u16string_view folder) {
    CreateDirectoryW(win::W(Text(folder)), nullptr);
}

bool FolderExists(std::u16string_view folder) {
    const DWORD attributes = GetFileAttributesW(win::W(Text(folder)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CopyFileOver(std::u16string_view from, std::u16string_view to) {
    CopyFileW(win::W(Text(from)), win::W(Text(to)), FALSE);
}

} // namespace hx::app
