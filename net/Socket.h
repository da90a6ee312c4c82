// A TCP client socket with bounded waits: the Connection the HTTP client uses, and the only
// module of the client that talks to the operating system's sockets (net/posix/Socket.cpp,
// net/win/Socket.cpp).
//
// The socket is non-blocking for its whole life: a receive takes what is waiting and a
// wait asks for readable data alone, so nothing a server sends (urgent data, say) can hold
// a receive or the keep-alive check beyond its limit.
#pragma once

#include "net/Connection.h"
#include "net/Resolver.h"

#include <cstdint>

namespace hx::net {

// Milliseconds on the steady clock: the time base of every deadline of the client.
std::int64_t SteadyNowMs();

// Owns one connected socket; closing happens in the destructor or in Close().
class Socket final : public Connection {
public:
    // `lookup` resolves host names (on a worker thread, within the connect limit).
    explicit Socket(Lookup lookup = SystemLookup());
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
    // The platform's wait until the socket can be read (or, while connecting, written) or
    // `deadlineMs` (on the steady clock) passes, processing messages meanwhile when there is
    // a handler: > 0 ready, 0 time up, < 0 failure. Ready may be wrong; the caller looks.
    int Wait(bool forWrite, std::int64_t deadlineMs);
    // The first IPv4 endpoint of `host`, resolved on a worker within `deadlineMs`.
    ConnectStatus Resolve(const std::string& host, const std::string& port, std::int64_t deadlineMs,
                          Ipv4Endpoint& endpoint);
    // Whether Close ran since `closes` was read: the message handler gave the wait up.
    bool ClosedSince(std::uint32_t closes) const { return closes_ != closes; }

    // SOCKET on Windows, a file descriptor elsewhere; both fit.
    using Handle = std::intptr_t;
    static constexpr Handle kInvalid = -1;
    Handle handle_ = kInvalid;
    std::uint32_t closes_ = 0;
    Lookup lookup_;
    std::function<void()> onMessages_;
};

} // namespace hx::net
