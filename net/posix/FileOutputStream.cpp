// POSIX side of the file stream.

#include "net/OutputStream.h"

#include "base/TextCodecs.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hx::net {
namespace {

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

std::unique_ptr<FileOutputStream> FileOutputStream::Create(const std::u16string& path) {
    const int fd =
        ::open(hx::EncodeUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
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
