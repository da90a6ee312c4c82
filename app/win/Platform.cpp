#include "app/win/Platform.h"

#include "base/Paths.h"
#include "base/win/TopLevelWindow.h"
#include "base/win/WideText.h"

#include <cstdlib>

namespace hx::app {
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

// The file operations take paths of any length: they pass the system the long form.
void CreateFolder(std::u16string_view folder) {
    CreateDirectoryW(win::W(LongPathForm(folder)), nullptr);
}

bool FolderExists(std::u16string_view folder) {
    const DWORD attributes = GetFileAttributesW(win::W(LongPathForm(folder)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyFileOver(std::u16string_view from, std::u16string_view to) {
    return CopyFileW(win::W(LongPathForm(from)), win::W(LongPathForm(to)), FALSE);
}

std::optional<std::uint32_t> FileAttributes(std::u16string_view file) {
    const DWORD attributes = GetFileAttributesW(win::W(LongPathForm(file)));
    return attributes == INVALID_FILE_ATTRIBUTES ? std::nullopt : std::optional(attributes);
}

bool ChangeAttributes(std::u16string_view file, std::uint32_t attributes) {
    return SetFileAttributesW(win::W(LongPathForm(file)), attributes);
}

} // namespace hx::app
