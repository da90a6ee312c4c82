// Windows Sockets side of the socket module. With a message handler, every wait sleeps on
// the socket's network events (or the name lookup's answer) and the thread's message queue
// together, so the window of the calling thread keeps answering while the network is slow.

#include "net/Socket.h"

#include "base/win/Handles.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <utility>

namespace hx::net {
namespace {

// The request head is small: a server that takes none of it in this time is gone.
constexpr int kSendWaitMs = 30000;

// Winsock must be started once per process before any call; it stays up until exit.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// A connection reset, aborted or shut down under us.
bool IsReset(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN;
}

SOCKET AsSocket(std::intptr_t handle) {
    return static_cast<SOCKET>(handle);
}

int RemainingMs(std::int64_t deadlineMs) {
    return static_cast<int>(std::clamp<std::int64_t>(deadlineMs - SteadyNowMs(), 0, 1 << 30));
}

// select() on one socket; > 0 ready, 0 time-out, < 0 error. For reading only the read set
// counts: urgent data shows in the except set alone and is no readiness. A connect that
// failed shows in the except set, which `failed` receives.
int SelectOne(SOCKET s, bool forWrite, int timeoutMs, bool* failed = nullptr) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set errors;
    FD_ZERO(&errors);
    FD_SET(s, &errors);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int r = forWrite ? select(0, nullptr, &set, &errors, &limit)
                           : select(0, &set, nullptr, nullptr, &limit);
    if (failed != nullptr) {
        *failed = forWrite && r > 0 && FD_ISSET(s, &errors);
    }
    return r == SOCKET_ERROR ? -1 : r;
}

// What ended a sleep on an event and the thread's messages.
enum class Woke { Event, Time, GivenUp, Failed };

// Sleeps until `event` is signalled or `deadlineMs` passes, running `onMessages` whenever
// the thread has messages; `givenUp` tells after each run whether the handler gave the
// wait up (it closed the socket).
template <class GivenUp>
Woke SleepWithMessages(HANDLE event, std::int64_t deadlineMs,
                       const std::function<void()>& onMessages, GivenUp givenUp) {
    for (;;) {
        const int left = RemainingMs(deadlineMs);
        if (left == 0) {
            return Woke::Time;
        }
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &event, static_cast<DWORD>(left),
                                                       QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            return Woke::Event;
        }
        if (woke == WAIT_OBJECT_0 + 1) {
            onMessages();
            if (givenUp()) {
                return Woke::GivenUp;
            }
            continue;
        }
        return woke == WAIT_TIMEOUT ? Woke::Time : Woke::Failed;
    }
}

} // namespace

Lookup SystemLookup() {
    return [](const std::string& host, const std::string& port) -> std::optional<Ipv4Endpoint> {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        win::UniqueAddressList list;
        if (getaddrinfo(host.c_str(), port.c_str(), &hints, list.put()) != 0 || !list ||
            list.get()->ai_family != AF_INET || list.get()->ai_addrlen < sizeof(sockaddr_in)) {
            return std::nullopt;
        }
        // Only the first address counts: a failed connect is not retried elsewhere.
        sockaddr_in first{};
        std::memcpy(&first, list.get()->ai_addr, sizeof first);
        Ipv4Endpoint endpoint;
        std::memcpy(endpoint.address.data(), &first.sin_addr, 4);
        endpoint.port = ntohs(first.sin_port);
        return endpoint;
    };
}

void Socket::Close() {
    ++closes_;
    if (handle_ != kInvalid) {
        closesocket(AsSocket(handle_));
        handle_ = kInvalid;
    }
}

// Without a message handler this is select(). With one, the thread's messages are
// processed as they come; when the handler closes the socket the wait ends (> 0: the
// caller finds it closed).
int Socket::Wait(bool forWrite, std::int64_t deadlineMs) {
    const SOCKET s = AsSocket(handle_);
    if (!onMessages_) {
        return SelectOne(s, forWrite, RemainingMs(deadlineMs));
    }
    win::UniqueWsaEvent event(WSACreateEvent());
    const long events = forWrite ? FD_CONNECT | FD_WRITE | FD_CLOSE : FD_READ | FD_CLOSE;
    if (!event || WSAEventSelect(s, event.get(), events) == SOCKET_ERROR) {
        return SelectOne(s, forWrite, RemainingMs(deadlineMs));
    }
    // What became ready before the events were selected raises none: look first.
    int result = SelectOne(s, forWrite, 0);
    if (result == 0) {
        const std::uint32_t closes = closes_;
        const Woke woke = SleepWithMessages(event.get(), deadlineMs, onMessages_,
                                            [&] { return ClosedSince(closes); });
        if (woke == Woke::GivenUp) {
            return 1; // closed while the messages were processed: nothing more to wait for
        }
        result = woke == Woke::Failed ? -1 : woke == Woke::Event ? 1 : 0;
    }
    // The socket stays non-blocking; only the events go.
    WSAEventSelect(s, nullptr, 0);
    return result;
}

ConnectStatus Socket::Resolve(const std::string& host, const std::string& port,
                              std::int64_t deadlineMs, Ipv4Endpoint& endpoint) {
    // The worker may outlive this call when the lookup is abandoned: it keeps the event it
    // sets alive until it ends.
    const auto answered =
        std::make_shared<win::UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::function<void()> wake;
    if (onMessages_ && *answered) {
        wake = [answered] { SetEvent(answered->get()); };
    }
    PendingLookup pending(lookup_, host, port, wake);
    if (!pending.started()) {
        return ConnectStatus::ResolveFailed;
    }
    const std::uint32_t closes = closes_;
    while (!pending.Done()) {
        if (!wake) {
            pending.Wait(RemainingMs(deadlineMs));
            if (!pending.Done()) {
                return ConnectStatus::TimedOut;
            }
            break;
        }
        const Woke woke = SleepWithMessages(answered->get(), deadlineMs, onMessages_,
                                            [&] { return ClosedSince(closes); });
        if (woke == Woke::GivenUp) {
            return ConnectStatus::Refused; // given up while messages were processed
        }
        if (woke != Woke::Event && !pending.Done()) {
            return ConnectStatus::TimedOut; // abandoned: the worker ends on its own
        }
    }
    return pending.Result(endpoint);
}

ConnectStatus Socket::Connect(const std::string& host, const std::string& port, int timeoutMs) {
    Close();
    if (!StartWinsock()) {
        return ConnectStatus::Refused;
    }
    const std::int64_t deadline = SteadyNowMs() + std::max(0, timeoutMs);
    Ipv4Endpoint endpoint;
    if (const ConnectStatus resolved = Resolve(host, port, deadline, endpoint);
        resolved != ConnectStatus::Ok) {
        return resolved;
    }
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        return ConnectStatus::Refused;
    }
    handle_ = static_cast<std::intptr_t>(s);
    const std::uint32_t closes = closes_;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    std::memcpy(&address.sin_addr, endpoint.address.data(), 4);
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            Close();
            return ConnectStatus::Refused;
        }
        // A connection made while we were away still counts: look once more before giving up.
        for (;;) {
            bool failed = false;
            const int ready = SelectOne(s, true, 0, &failed);
            if (ready < 0 || failed) {
                Close();
                return ConnectStatus::Refused;
            }
            if (ready > 0) {
                break;
            }
            if (SteadyNowMs() >= deadline) {
                Close();
                return ConnectStatus::TimedOut;
            }
            Wait(true, deadline);
            if (ClosedSince(closes)) {
                return ConnectStatus::Refused; // given up while messages were processed
            }
        }
    }
    // The request head goes out in one write and is small; do not hold it back.
    const BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return ConnectStatus::Ok;
}

SocketStatus Socket::SendAll(std::span<const std::uint8_t> data) {
    const std::int64_t deadline = SteadyNowMs() + kSendWaitMs;
    while (!data.empty()) {
        if (!IsOpen()) {
            return SocketStatus::Ended;
        }
        const int piece = data.size() > INT_MAX ? INT_MAX : static_cast<int>(data.size());
        const int n = send(AsSocket(handle_), reinterpret_cast<const char*>(data.data()), piece, 0);
        if (n != SOCKET_ERROR) {
            data = data.subspan(static_cast<std::size_t>(n));
            continue;
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            return IsReset(error) ? SocketStatus::Reset : SocketStatus::Error;
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
    Wait(false, SteadyNowMs() + std::max(0, timeoutMs));
    return IsOpen() && SelectOne(AsSocket(handle_), false, 0) > 0;
}

ReceiveResult Socket::Receive(std::span<std::uint8_t> buffer, int timeoutMs) {
    const std::int64_t deadline = SteadyNowMs() + std::max(0, timeoutMs);
    const int piece = buffer.size() > INT_MAX ? INT_MAX : static_cast<int>(buffer.size());
    for (;;) {
        if (!IsOpen()) {
            return {SocketStatus::Ended, 0}; // closed while waiting: our own abort
        }
        // What is waiting is taken first, also when the time is already up.
        const int n = recv(AsSocket(handle_), reinterpret_cast<char*>(buffer.data()), piece, 0);
        if (n > 0) {
            return {SocketStatus::Ok, static_cast<std::size_t>(n)};
        }
        if (n == 0) {
            return {SocketStatus::Ended, 0};
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            return {IsReset(error) ? SocketStatus::Reset : SocketStatus::Error, 0};
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
    const SOCKET s = AsSocket(handle_);
    if (SelectOne(s, false, 0) == 0) {
        return false;
    }
    // Readable while idle: the end of the connection, an error, or stray bytes. The socket
    // is non-blocking, so the peek cannot wait.
    char probe = 0;
    const int n = recv(s, &probe, 1, MSG_PEEK);
    return n != SOCKET_ERROR || WSAGetLastError() != WSAEWOULDBLOCK;
}

} // namespace hx::net
