// POSIX side of the file stream.

#include "net/OutputStream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hx::net {
namespace {

// Paths are UTF-16 in the program and UTF-8 on POSIX file systems.
std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

std::unique_ptr<FileOutputStream> FileOutputStream::Create(const std::u16string& path) {
    const int fd = ::open(ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<FileOutputStream>(new FileOutputStream(fd));
}

FileOutputStream::~FileOutputStream() {
    ::close(Fd(handle_));
}

std::int64_t FileOutputStream::Position() {
    return static_cast<std::int64_t>(::lseek(Fd(handle_), 0, SEEK_CUR));
}

std::int64_t FileOutputStream::Size() {
    struct stat st {};
    return ::fstat(Fd(handle_), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool FileOutputStream::Seek(std::int64_t position) {
    return position >= 0 && ::lseek(Fd(handle_), static_cast<off_t>(position), SEEK_SET) >= 0;
}

bool FileOutputStream::SetSize(std::int64_t size) {
    return size >= 0 && ::ftruncate(Fd(handle_), static_cast<off_t>(size)) == 0;
}

bool FileOutputStream::Write(std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = ::write(Fd(handle_), data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace hx::net
