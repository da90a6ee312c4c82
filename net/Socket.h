// A TCP client socket with bounded waits: the Connection the HTTP client uses, and the only
// module of the client that talks to the operating system's sockets (net/posix/Socket.cpp,
// net/win/Socket.cpp).
#pragma once

#include "net/Connection.h"

#include <cstdint>

namespace hx::net {

// Owns one connected socket; closing happens in the destructor or in Close().
class Socket final : public Connection {
public:
    Socket() = default;
    ~Socket() override;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    ConnectStatus Connect(const std::string& host, const std::string& port, int timeoutMs) override;
    SocketStatus SendAll(std::span<const std::uint8_t> data) override;
    ReceiveResult Receive(std::span<std::uint8_t> buffer, int timeoutMs) override;
    bool WaitReadable(int timeoutMs) override;
    bool PeerClosedOrDirty() override;
    void Close() override;
    bool IsOpen() const override { return handle_ != kInvalid; }
    void SetMessageHandler(std::function<void()> onMessages) override;

private:
    // The platform's wait until the socket can be read (or written), processing messages
    // meanwhile when there is a handler: > 0 ready, 0 time-out, < 0 failure.
    int Wait(bool forWrite, int timeoutMs, bool* failed);

    // SOCKET on Windows, a file descriptor elsewhere; both fit.
    using Handle = std::intptr_t;
    static constexpr Handle kInvalid = -1;
    Handle handle_ = kInvalid;
    std::function<void()> onMessages_;
};

} // namespace hx::net
