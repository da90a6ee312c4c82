// Windows side of the download: the local clock and the removal of earlier installers.

#include "update/InstallerDownload.h"

#include "base/win/Handles.h"
#include "base/win/WideText.h"

#include <windows.h>

#include <string>

namespace hx::update {

InstallerStamp ReadInstallerStamp() {
    return StampFromClock([] {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return InstallerStamp{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                              now.wMinute, now.wSecond, now.wMilliseconds};
    });
}

void DeleteOldUpdates(std::u16string_view folder) {
    if (folder.empty()) {
        return; // the pattern would be taken relative to the current directory
    }
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
}

} // namespace hx::update
