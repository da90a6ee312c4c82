#pragma once
// A blocking IPv4 TCP client socket with bounded waits. The only module of the HTTP client
// that talks to the operating system's sockets (net/posix/Socket.cpp, net/win/Socket.cpp).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace hx::net {

// Outcome of a socket operation. `Ended` covers the server's orderly close as well as a
// connection reset, aborted or shut down: the HTTP layer treats all of them as the end of
// the connection, distinct from other network errors and from a time-out.
enum class SocketStatus {
    Ok,
    Ended,
    TimedOut,
    Error,
};

// Why a connect attempt failed.
enum class ConnectStatus {
    Ok,
    ResolveFailed, // the name has no IPv4 address
    Refused,       // the first address refused or could not be reached
    TimedOut,
};

struct ReceiveResult {
    SocketStatus status = SocketStatus::Error;
    std::size_t count = 0; // bytes received when status is Ok (never 0 then)
};

// Owns one connected socket; closing happens in the destructor or in Close(). Move-only.
class Socket {
public:
    Socket() = default;
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Resolves `host` (ASCII name or dotted IPv4) to IPv4 addresses and connects to the first
    // one only, waiting at most `timeoutMs`. Closes any connection held before.
    ConnectStatus Connect(const std::string& host, const std::string& port, int timeoutMs);

    // Sends every byte, in as few writes as the system allows.
    SocketStatus SendAll(std::span<const std::uint8_t> data);

    // Receives up to buffer.size() bytes, waiting at most `timeoutMs` for the first of them.
    ReceiveResult Receive(std::span<std::uint8_t> buffer, int timeoutMs);

    // Waits at most `timeoutMs` until something can be received (data or the connection's
    // end). False on time-out or when no connection is open.
    bool WaitReadable(int timeoutMs);

    // True when an idle connection can no longer carry a request: the server closed or reset
    // it, or sent bytes nobody asked for. Never blocks.
    bool PeerClosedOrDirty();

    void Close();
    bool IsOpen() const { return handle_ != kInvalid; }

private:
    // SOCKET on Windows, a file descriptor elsewhere; both fit.
    using Handle = std::intptr_t;
    static constexpr Handle kInvalid = -1;
    Handle handle_ = kInvalid;
};

} // namespace hx::net
