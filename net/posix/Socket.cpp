// POSIX side of the socket module. There are no window messages here: waits are for the
// socket (or the name's lookup) alone.

#include "net/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace hx::net {
namespace {

// The request head is small: a server that takes none of it in this time is gone.
constexpr int kSendWaitMs = 30000;

// A connection reset, aborted or shut down under us.
bool IsReset(int error) {
    return error == ECONNRESET || error == ECONNABORTED || error == EPIPE || error == ESHUTDOWN;
}

// poll() that resumes after a signal, with the remaining time kept roughly right. Only
// ordinary data counts as readable (POLLIN, never POLLPRI): urgent data is no readiness.
int PollOne(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

int RemainingMs(std::int64_t deadlineMs, std::int64_t nowMs) {
    return static_cast<int>(std::clamp<std::int64_t>(deadlineMs - nowMs, 0, 1 << 30));
}

} // namespace

Lookup SystemLookup() {
    return [](const std::string& host, const std::string& port) -> std::optional<Ipv4Endpoint> {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
            return std::nullopt;
        }
        const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);
        if (list->ai_family != AF_INET || list->ai_addrlen < sizeof(sockaddr_in)) {
            return std::nullopt;
        }
        // Only the first address counts: a failed connect is not retried elsewhere.
        sockaddr_in first{};
        std::memcpy(&first, list->ai_addr, sizeof first);
        Ipv4Endpoint endpoint;
        std::memcpy(endpoint.address.data(), &first.sin_addr, 4);
        endpoint.port = ntohs(first.sin_port);
        return endpoint;
    };
}

void Socket::Close() {
    ++closes_;
    if (handle_ != kInvalid) {
        ::close(static_cast<int>(handle_));
        handle_ = kInvalid;
    }
}

int Socket::Wait(bool forWrite, std::int64_t deadlineMs) {
    return PollOne(static_cast<int>(handle_), forWrite ? POLLOUT : POLLIN,
                   RemainingMs(deadlineMs, SteadyNowMs()));
}

ConnectStatus Socket::Resolve(const std::string& host, const std::string& port,
                              std::int64_t deadlineMs, Ipv4Endpoint& endpoint) {
    PendingLookup pending(lookup_, host, port);
    if (!pending.started()) {
        return ConnectStatus::ResolveFailed;
    }
    if (!pending.Wait(RemainingMs(deadlineMs, SteadyNowMs()))) {
        return ConnectStatus::TimedOut; // abandoned: the worker ends on its own
    }
    return pending.Result(endpoint);
}

ConnectStatus Socket::Connect(const std::string& host, const std::string& port, int timeoutMs) {
    Close();
    const std::int64_t deadline = SteadyNowMs() + std::max(0, timeoutMs);
    Ipv4Endpoint endpoint;
    if (const ConnectStatus resolved = Resolve(host, port, deadline, endpoint);
        resolved != ConnectStatus::Ok) {
        return resolved;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (fd < 0) {
        return ConnectStatus::Refused;
    }
    handle_ = fd;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    std::memcpy(&address.sin_addr, endpoint.address.data(), 4);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            Close();
            return ConnectStatus::Refused;
        }
        // A connection made while we were away still counts: look once more before giving up.
        while (PollOne(fd, POLLOUT, 0) == 0) {
            if (SteadyNowMs() >= deadline) {
                Close();
                return ConnectStatus::TimedOut;
            }
            Wait(true, deadline);
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            Close();
            return ConnectStatus::Refused;
        }
    }
    // The request head goes out in one write and is small; do not hold it back.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return ConnectStatus::Ok;
}

SocketStatus Socket::SendAll(std::span<const std::uint8_t> data) {
    const std::int64_t deadline = SteadyNowMs() + kSendWaitMs;
    while (!data.empty()) {
        if (!IsOpen()) {
            return SocketStatus::Ended;
        }
        const ssize_t n = ::send(static_cast<int>(handle_), data.data(), data.size(), MSG_NOSIGNAL);
        if (n >= 0) {
            data = data.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return IsReset(errno) ? SocketStatus::Reset : SocketStatus::Error;
        }
        if (SteadyNowMs() >= deadline) {
            return SocketStatus::TimedOut;
        }
        Wait(true, deadline);
    }
    return SocketStatus::Ok;
}

bool Socket::WaitReadable(int timeoutMs) {
    if (!IsOpen()) {
        return false;
    }
    const std::int64_t deadline = SteadyNowMs() + std::max(0, timeoutMs);
    Wait(false, deadline);
    return IsOpen() && PollOne(static_cast<int>(handle_), POLLIN, 0) > 0;
}

ReceiveResult Socket::Receive(std::span<std::uint8_t> buffer, int timeoutMs) {
    const std::int64_t deadline = SteadyNowMs() + std::max(0, timeoutMs);
    for (;;) {
        if (!IsOpen()) {
            return {SocketStatus::Ended, 0}; // closed while waiting: our own abort
        }
        // What is waiting is taken first, also when the time is already up.
        const ssize_t n = ::recv(static_cast<int>(handle_), buffer.data(), buffer.size(), 0);
        if (n > 0) {
            return {SocketStatus::Ok, static_cast<std::size_t>(n)};
        }
        if (n == 0) {
            return {SocketStatus::Ended, 0};
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return {IsReset(errno) ? SocketStatus::Reset : SocketStatus::Error, 0};
        }
        if (SteadyNowMs() >= deadline) {
            return {SocketStatus::TimedOut, 0};
        }
        if (Wait(false, deadline) < 0) {
            return {SocketStatus::Error, 0};
        }
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
    const ssize_t n = ::recv(fd, &probe, 1, MSG_PEEK);
    return n != -1 || (errno != EAGAIN && errno != EWOULDBLOCK);
}

} // namespace hx::net
