// Windows Sockets side of the socket module. With a message handler, every wait sleeps on
// the socket's network events and the thread's message queue together, so the window of
// the calling thread keeps answering while the network is slow.

#include "net/Socket.h"

#include "base/win/Handles.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <utility>

namespace hx::net {
namespace {

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

// select() on one socket; > 0 ready, 0 time-out, < 0 error. `failed` receives the except set.
int SelectOne(SOCKET s, bool forWrite, int timeoutMs, bool* failed = nullptr) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set errors;
    FD_ZERO(&errors);
    FD_SET(s, &errors);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int r = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors,
                         timeoutMs < 0 ? nullptr : &limit);
    if (failed != nullptr) {
        *failed = r > 0 && FD_ISSET(s, &errors);
    }
    return r == SOCKET_ERROR ? -1 : r;
}

} // namespace

void Socket::Close() {
    if (handle_ != kInvalid) {
        closesocket(AsSocket(handle_));
        handle_ = kInvalid;
    }
}

// Waits until the socket is ready (> 0), the time is up (0) or a failure (< 0); without a
// message handler this is select(). With one, the thread's messages are processed as they
// come; when the handler closes the socket the wait ends (> 0: the caller finds it closed).
int Socket::Wait(bool forWrite, int timeoutMs, bool* failed) {
    const SOCKET s = AsSocket(handle_);
    if (!onMessages_) {
        return SelectOne(s, forWrite, timeoutMs, failed);
    }
    // What is ready already needs no event; the event then only has to wait for a change.
    if (const int now = SelectOne(s, forWrite, 0, failed); now != 0) {
        return now;
    }
    win::UniqueWsaEvent event(WSACreateEvent());
    const long events = forWrite ? FD_CONNECT | FD_WRITE | FD_CLOSE : FD_READ | FD_CLOSE;
    if (!event || WSAEventSelect(s, event.get(), events) == SOCKET_ERROR) {
        return SelectOne(s, forWrite, timeoutMs, failed);
    }
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    HANDLE handles[] = {event.get()};
    int result = 0;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            break;
        }
        const DWORD woke = MsgWaitForMultipleObjectsEx(
            1, handles, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            // Something changed; a change that leaves the socket not ready is waited past.
            WSANETWORKEVENTS seen{};
            WSAEnumNetworkEvents(s, event.get(), &seen);
            result = SelectOne(s, forWrite, 0, failed);
            if (result != 0) {
                break;
            }
            continue;
        }
        if (woke == WAIT_OBJECT_0 + 1) {
            onMessages_();
            if (!IsOpen()) {
                return 1; // closed while the messages were processed: nothing more to wait for
            }
            continue;
        }
        if (woke != WAIT_TIMEOUT) {
            result = -1;
        }
        break;
    }
    // Back to a plain blocking socket; the selected events made it non-blocking.
    WSAEventSelect(s, nullptr, 0);
    u_long blocking = 0;
    ioctlsocket(s, FIONBIO, &blocking);
    return result;
}

ConnectStatus Socket::Connect(const std::string& host, const std::string& port, int timeoutMs) {
    Close();
    if (!StartWinsock()) {
        return ConnectStatus::Refused;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    win::UniqueAddressList list;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, list.put()) != 0 || !list) {
        return ConnectStatus::ResolveFailed;
    }
    // Only the first address is tried: a failed connect is not retried elsewhere.
    const addrinfo& first = *list.get();
    const SOCKET s = socket(first.ai_family, first.ai_socktype, first.ai_protocol);
    if (s == INVALID_SOCKET) {
        return ConnectStatus::Refused;
    }
    handle_ = static_cast<std::intptr_t>(s);
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    int r = connect(s, first.ai_addr, static_cast<int>(first.ai_addrlen));
    if (r == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) {
        Close();
        return ConnectStatus::Refused;
    }
    if (r == SOCKET_ERROR) {
        bool failed = false;
        r = Wait(true, timeoutMs, &failed);
        if (!IsOpen()) {
            return ConnectStatus::Refused; // given up while messages were processed
        }
        if (r == 0) {
            Close();
            return ConnectStatus::TimedOut;
        }
        if (r < 0 || failed) {
            Close();
            return ConnectStatus::Refused;
        }
    }
    u_long blocking = 0;
    ioctlsocket(s, FIONBIO, &blocking);
    // The request head goes out in one write and is small; do not hold it back.
    const BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return ConnectStatus::Ok;
}

SocketStatus Socket::SendAll(std::span<const std::uint8_t> data) {
    if (!IsOpen()) {
        return SocketStatus::Ended;
    }
    while (!data.empty()) {
        const int piece = data.size() > INT_MAX ? INT_MAX : static_cast<int>(data.size());
        const int n = send(AsSocket(handle_), reinterpret_cast<const char*>(data.data()), piece, 0);
        if (n == SOCKET_ERROR) {
            return IsReset(WSAGetLastError()) ? SocketStatus::Reset : SocketStatus::Error;
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return SocketStatus::Ok;
}

bool Socket::WaitReadable(int timeoutMs) {
    if (!IsOpen()) {
        return false;
    }
    return Wait(false, timeoutMs, nullptr) > 0 && IsOpen();
}

ReceiveResult Socket::Receive(std::span<std::uint8_t> buffer, int timeoutMs) {
    if (!IsOpen()) {
        return {SocketStatus::Ended, 0};
    }
    const int ready = Wait(false, timeoutMs, nullptr);
    if (!IsOpen()) {
        return {SocketStatus::Ended, 0}; // closed while waiting: our own abort
    }
    if (ready == 0) {
        return {SocketStatus::TimedOut, 0};
    }
    if (ready < 0) {
        return {SocketStatus::Error, 0};
    }
    const int piece = buffer.size() > INT_MAX ? INT_MAX : static_cast<int>(buffer.size());
    const int n = recv(AsSocket(handle_), reinterpret_cast<char*>(buffer.data()), piece, 0);
    if (n > 0) {
        return {SocketStatus::Ok, static_cast<std::size_t>(n)};
    }
    if (n == 0) {
        return {SocketStatus::Ended, 0};
    }
    return {IsReset(WSAGetLastError()) ? SocketStatus::Reset : SocketStatus::Error, 0};
}

bool Socket::PeerClosedOrDirty() {
    if (!IsOpen()) {
        return true;
    }
    const SOCKET s = AsSocket(handle_);
    if (SelectOne(s, false, 0) == 0) {
        return false;
    }
    // Readable while idle: the end of the connection, an error, or stray bytes. The socket is
    // readable, so this peek does not block.
    char probe = 0;
    const int n = recv(s, &probe, 1, MSG_PEEK);
    return n != SOCKET_ERROR || WSAGetLastError() != WSAEWOULDBLOCK;
}

} // namespace hx::net
