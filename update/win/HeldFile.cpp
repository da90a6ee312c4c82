#include "update/win/HeldFile.h"

#include "base/Paths.h"
#include "base/win/WideText.h"

#include <algorithm>

namespace hx::update {

namespace {

// The file's path with every reparse point resolved, as the system names it now.
std::u16string FinalPath(HANDLE file) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD size = DWORD(buffer.size());
        const DWORD got = GetFinalPathNameByHandleW(file, buffer.data(), size,
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (got == 0) {
            return {};
        }
        if (got < size) {
            return win::U(buffer.data(), got);
        }
        buffer.assign(got, L'\0'); // `got` counts the terminating null
    }
    return {};
}

// Reading its entries is what makes the handle count against a rename or deletion of the
// folder, which needs delete access that this handle does not share.
win::UniqueFile HoldFolder(const std::u16string& folder) {
    return win::UniqueFile(CreateFileW(win::W(folder), FILE_LIST_DIRECTORY,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

} // namespace

win::UniqueFile OpenUnshared(std::u16string_view path) {
    return win::UniqueFile(CreateFileW(win::W(std::u16string(path)), GENERIC_READ, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

HandleSource::HandleSource(HANDLE file) : file_(file) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
        size_ = std::uint64_t(size.QuadPart);
    }
}

bool HandleSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
    for (std::size_t done = 0; done < out.size();) {
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = DWORD(at);
        position.OffsetHigh = DWORD(at >> 32);
        const DWORD chunk = DWORD(std::min<std::size_t>(out.size() - done, 1u << 20));
        DWORD got = 0;
        if (!ReadFile(file_, out.data() + done, chunk, &got, &position) || got == 0) {
            return false;
        }
        done += got;
    }
    return true;
}

HeldFile HeldFile::Open(std::u16string_view path) {
    HeldFile held;
    held.file_ = OpenUnshared(path);
    const std::u16string final = held.file_ ? FinalPath(held.file_.get()) : std::u16string();
    // Only a path under a drive or a share has folders that can be held.
    if (FinalPathRootLength(final) == 0) {
        return {};
    }
    for (const std::u16string& folder : FinalPathFolders(final)) {
        held.folders_.push_back(HoldFolder(folder));
        if (!held.folders_.back()) {
            return {};
        }
    }
    // Now nothing on the path can move: it must name this very file, in the form the shell
    // will be given. Attributes only, so this look does not count against any sharing.
    held.path_ = EverydayPath(final);
    const win::UniqueFile again(CreateFileW(win::W(held.path_), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    if (!again || !SameFile(again.get(), held.file_.get())) {
        return {};
    }
    return held;
}

} // namespace hx::update
