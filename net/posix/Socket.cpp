// POSIX side of the socket module. There are no window messages here: waits are for the
// socket alone.

#include "net/Socket.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace hx::net {
namespace {

// A connection reset, aborted or shut down under us.
bool IsReset(int error) {
    return error == ECONNRESET || error == ECONNABORTED || error == EPIPE || error == ESHUTDOWN;
}

// poll() that resumes after a signal, with the remaining time kept roughly right.
int PollOne(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

bool SetBlocking(int fd, bool blocking) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return ::fcntl(fd, F_SETFL, wanted) == 0;
}

} // namespace

void Socket::Close() {
    if (handle_ != kInvalid) {
        ::close(static_cast<int>(handle_));
        handle_ = kInvalid;
    }
}

ConnectStatus Socket::Connect(const std::string& host, const std::string& port, int timeoutMs) {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
        return ConnectStatus::ResolveFailed;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);
    // Only the first address is tried: a failed connect is not retried elsewhere.
    const int fd = ::socket(list->ai_family, list->ai_socktype | SOCK_CLOEXEC, list->ai_protocol);
    if (fd < 0) {
        return ConnectStatus::Refused;
    }
    handle_ = fd;
    SetBlocking(fd, false);
    int r = ::connect(fd, list->ai_addr, list->ai_addrlen);
    if (r != 0 && errno != EINPROGRESS) {
        Close();
        return ConnectStatus::Refused;
    }
    if (r != 0) {
        r = PollOne(fd, POLLOUT, timeoutMs);
        if (r == 0) {
            Close();
            return ConnectStatus::TimedOut;
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (r < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            Close();
            return ConnectStatus::Refused;
        }
    }
    SetBlocking(fd, true);
    // The request head goes out in one write and is small; do not hold it back.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return ConnectStatus::Ok;
}

SocketStatus Socket::SendAll(std::span<const std::uint8_t> data) {
    if (!IsOpen()) {
        return SocketStatus::Ended;
    }
    while (!data.empty()) {
        const ssize_t n = ::send(static_cast<int>(handle_), data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return IsReset(errno) ? SocketStatus::Reset : SocketStatus::Error;
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return SocketStatus::Ok;
}

bool Socket::WaitReadable(int timeoutMs) {
    if (!IsOpen()) {
        return false;
    }
    return PollOne(static_cast<int>(handle_), POLLIN, timeoutMs) > 0;
}

ReceiveResult Socket::Receive(std::span<std::uint8_t> buffer, int timeoutMs) {
    if (!IsOpen()) {
        return {SocketStatus::Ended, 0};
    }
    const int fd = static_cast<int>(handle_);
    // While a body streams in, data is usually waiting: take it without a poll first.
    int flags = MSG_DONTWAIT;
    for (;;) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), flags);
        if (n < 0 && flags != 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int ready = PollOne(fd, POLLIN, timeoutMs);
            if (ready == 0) {
                return {SocketStatus::TimedOut, 0};
            }
            if (ready < 0) {
                return {SocketStatus::Error, 0};
            }
            flags = 0;
            continue;
        }
        if (n > 0) {
            return {SocketStatus::Ok, static_cast<std::size_t>(n)};
        }
        if (n == 0) {
            return {SocketStatus::Ended, 0};
        }
        if (errno == EINTR) {
            continue;
        }
        return {IsReset(errno) ? SocketStatus::Reset : SocketStatus::Error, 0};
    }
}

bool Socket::PeerClosedOrDirty() {
    if (!IsOpen()) {
        return true;
    }
    const int fd = static_cast<int>(handle_);
    if (PollOne(fd, POLLIN, 0) == 0) {
        return false;
    }
    // Readable while idle: the end of the connection, an error, or stray bytes.
    std::uint8_t probe = 0;
    const ssize_t n = ::recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    return n != -1 || (errno != EAGAIN && errno != EWOULDBLOCK);
}

} // namespace hx::net
