// The byte stream the HTTP client talks over: one TCP connection at a time (net/Socket.h)
// or, in tests and fuzzing, a scripted one. Every wait is bounded by the caller's limit, and
// a limit only runs out against the server: before a wait reports a time-out it looks once
// more at what is waiting, so time the calling thread spent elsewhere (in its message
// handler, say) never costs data that has already arrived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace hx::net {

// Outcome of a send or receive. `Ended` is the server's orderly close (or our own abort);
// `Reset` a connection reset, aborted or shut down. The HTTP layer treats both as the end
// of the connection, distinct from other network errors and from a time-out, but only an
// orderly close ends a head or a body without a length normally.
enum class SocketStatus {
    Ok,
    Ended,
    Reset,
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

class Connection {
public:
    virtual ~Connection() = default;

    // Resolves `host` (ASCII name or dotted IPv4) to IPv4 addresses and connects to the first
    // one only, resolution and connection together within `timeoutMs`. Closes any connection
    // held before.
    virtual ConnectStatus Connect(const std::string& host, const std::string& port,
                                  int timeoutMs) = 0;
    // Sends every byte, in as few writes as the system allows.
    virtual SocketStatus SendAll(std::span<const std::uint8_t> data) = 0;
    // Receives up to buffer.size() bytes: what is waiting at once, else the first bytes to
    // come within `timeoutMs`. With 0 it only looks. Never blocks beyond the limit, whatever
    // the server sends (urgent data is not data to read).
    virtual ReceiveResult Receive(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
    // Waits at most `timeoutMs` until something can be received (data or the connection's
    // end). False on time-out or when no connection is open.
    virtual bool WaitReadable(int timeoutMs) = 0;
    // True when an idle connection can no longer carry a request: the server closed or reset
    // it, or sent bytes nobody asked for. Never blocks.
    virtual bool PeerClosedOrDirty() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // While a call waits, whenever the calling thread has window messages, `onMessages`
    // runs (it processes them, so a window stays responsive); it may close the connection,
    // which ends the wait as the connection's end. Only where there are window messages
    // (Windows); elsewhere a wait is for the connection alone. The handler runs during name
    // resolution too, and closing there gives the connect up. Empty: no messages are
    // processed while waiting.
    virtual void SetMessageHandler(std::function<void()> onMessages) = 0;
};

} // namespace hx::net
