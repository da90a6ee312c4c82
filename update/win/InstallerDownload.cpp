// Windows side of the download: the local clock, the executable's folder and the removal
// of earlier installers.

#include "update/InstallerDownload.h"

#include "support/win/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace hx::update {

InstallerStamp ReadInstallerStamp() {
    return StampFromClock([] {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                         now.wMinute, now.wSecond, now.wMilliseconds};
    });
}

std::u16string ExecutableFolder() {
    try {
        // Paths may be longer than MAX_PATH; grow until the name fits.
        std::vector<wchar_t> buffer(MAX_PATH);
        for (;;) {
            const DWORD size = static_cast<DWORD>(buffer.size());
            const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), size);
            if (got == 0) {
                return {};
            }
            if (got < size) {
                const std::u16string path = win::U(buffer.data(), got);
                return std::u16string(FolderPart(path));
            }
            if (buffer.size() >= 32768) {
                return {};
            }
            buffer.resize(buffer.size() * 2);
        }
    } catch (...) {
        return {};
    }
}

void DeleteOldUpdates(std::u16string_view folder) {
    try {
        const std::u16string base(folder);
        const std::u16string pattern = base + u"update*.*";
        WIN32_FIND_DATAW entry{};
        win::UniqueFind find(FindFirstFileW(win::W(pattern), &entry));
        if (!find) {
            return;
        }
        do {
            const std::u16string path =
                base + win::U(entry.cFileName, wcsnlen(entry.cFileName, MAX_PATH));
            // A directory or a file in use simply stays.
            DeleteFileW(win::W(path));
        } while (FindNextFileW(find.get(), &entry));
    } catch (...) {
    }
}

void DeleteOldUpdates() {
    const std::u16string folder = ExecutableFolder();
    if (!folder.empty()) {
        DeleteOldUpdates(folder);
    }
}

} // namespace hx::update
