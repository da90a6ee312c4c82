#include "app/win/Platform.h"

#include "app/StartUp.h"
#include "support/win/Handles.h"

#include <cstdlib>

namespace hx::app {
namespace {

// The longest path Windows can hand out (the \\?\ form), in characters.
constexpr DWORD kMaxPathChars = 32768;

std::u16string Text(std::u16string_view s) {
    return std::u16string(s);
}

} // namespace

bool FindAndActivateWindow(std::u16string_view className, bool restore) {
    try {
        const HWND window = FindWindowW(win::W(Text(className)), nullptr);
        if (!window)
            return false;
        if (restore) {
            ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
        }
        return true;
    } catch (...) {
        return false;
    }
}

std::u16string GetTempFolder() {
    try {
        // Asked with no buffer, the call answers the size it needs, terminator included.
        DWORD size = GetTempPathW(0, nullptr);
        for (int attempt = 0; attempt < 4 && size > 0; ++attempt) { // the value may change
            std::wstring buffer(size, L'\0');
            const DWORD got = GetTempPathW(size, buffer.data());
            if (got == 0)
                return {};
            if (got < size)
                return WithTrailingSeparator(win::U(buffer.data(), got));
            size = got + 1;
        }
        return {};
    } catch (...) {
        return {};
    }
}

std::u16string ExecutablePath() {
    try {
        for (DWORD size = MAX_PATH; size <= kMaxPathChars; size *= 2) {
            std::wstring buffer(size, L'\0');
            const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), size);
            if (got == 0)
                return {};
            if (got < size) // equal means cut short
                return win::U(buffer.data(), got);
        }
        return {};
    } catch (...) {
        return {};
    }
}

std::vector<std::u16string> CommandLineArguments() {
    std::vector<std::u16string> out;
    try {
        for (int i = 1; i < __argc && __wargv; ++i)
            if (const wchar_t* a = __wargv[i])
                out.push_back(win::U(a, wcslen(a)));
    } catch (...) {
    }
    return out;
}

void CreateFolder(std::u16string_view folder) {
    try {
        CreateDirectoryW(win::W(Text(folder)), nullptr);
    } catch (...) {
    }
}

bool FolderExists(std::u16string_view folder) {
    try {
        const DWORD attributes = GetFileAttributesW(win::W(Text(folder)));
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    } catch (...) {
        return false;
    }
}

void CopyFileOver(std::u16string_view from, std::u16string_view to) {
    try {
        CopyFileW(win::W(Text(from)), win::W(Text(to)), FALSE);
    } catch (...) {
    }
}

} // namespace hx::app
