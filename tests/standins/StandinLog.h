// Appends one UTF-8 line to the file named by an environment variable, opening it anew for
// each line so that a test can read it while the stand-in runs (and two stand-ins can
// share one log).
#pragma once

#include "base/TextCodecs.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace hx::standin {

inline std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n == 0 || n >= 4096 ? std::wstring() : std::wstring(buffer, n);
}

// Wide text is UTF-16 on Windows.
inline std::string Utf8(std::wstring_view text) {
    return EncodeUtf8({reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

inline void AppendLine(const wchar_t* logVariable, std::wstring_view line) {
    const std::wstring path = Environment(logVariable);
    if (path.empty()) {
        return;
    }
    // Another writer may hold the file for a moment; try a few times.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const std::string bytes = Utf8(line) + "\n";
            DWORD written = 0;
            WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(20);
    }
}

} // namespace hx::standin
