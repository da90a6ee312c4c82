// Windows side of the file stream.

#include "net/OutputStream.h"

#include <windows.h>

namespace hx::net {
namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool MoveTo(HANDLE file, std::int64_t position) {
    LARGE_INTEGER to{};
    to.QuadPart = position;
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != 0;
}

} // namespace

std::unique_ptr<FileOutputStream> FileOutputStream::Create(const std::u16string& path) {
    // No sharing: nobody may open the file while it is being written.
    const std::wstring name(path.begin(), path.end());
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::unique_ptr<FileOutputStream>(
        new FileOutputStream(reinterpret_cast<std::intptr_t>(file)));
}

FileOutputStream::~FileOutputStream() {
    CloseHandle(AsHandle(handle_));
}

std::int64_t FileOutputStream::Position() {
    LARGE_INTEGER zero{};
    LARGE_INTEGER at{};
    return SetFilePointerEx(AsHandle(handle_), zero, &at, FILE_CURRENT) ? at.QuadPart : -1;
}

std::int64_t FileOutputStream::Size() {
    LARGE_INTEGER size{};
    return GetFileSizeEx(AsHandle(handle_), &size) ? size.QuadPart : -1;
}

bool FileOutputStream::Seek(std::int64_t position) {
    return position >= 0 && MoveTo(AsHandle(handle_), position);
}

bool FileOutputStream::SetSize(std::int64_t size) {
    const std::int64_t position = Position();
    if (size < 0 || position < 0) {
        return false;
    }
    const bool resized = MoveTo(AsHandle(handle_), size) && SetEndOfFile(AsHandle(handle_)) != 0;
    return MoveTo(AsHandle(handle_), position) && resized;
}

bool FileOutputStream::Write(std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const DWORD piece = data.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(data.size());
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), data.data(), piece, &written, nullptr) || written == 0) {
            return false;
        }
        data = data.subspan(written);
    }
    return true;
}

} // namespace hx::net
