// Name resolution off the calling thread. The system's lookup blocks for as long as its name
// servers take (tens of seconds when none answers), so it runs on a worker thread of its own
// while the caller waits with its own limit, and the window keeps answering; a lookup that
// outlives the caller's limit is abandoned, never waited for.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "net/Connection.h"

namespace hx::net {

struct Ipv4Endpoint {
    std::array<std::uint8_t, 4> address{}; // in network order, as written: 127.0.0.1 is {127,0,0,1}
    std::uint16_t port = 0;
};

// A blocking lookup of the first IPv4 address of `host` (an ASCII name or a dotted address)
// with `port`; nothing when the name has none. The system's is SystemLookup (net/posix/,
// net/win/); tests put one in its place that never answers.
using Lookup =
    std::function<std::optional<Ipv4Endpoint>(const std::string& host, const std::string& port)>;
Lookup SystemLookup();

// One lookup under way on its worker thread. The waiter may walk away at any moment: the
// worker then finishes on its own and frees what it holds.
class PendingLookup {
public:
    // Starts `lookup` on a worker thread; `wake` runs there once the answer is in (a waiter
    // that sleeps on something else than Wait below uses it to wake up).
    PendingLookup(const Lookup& lookup, std::string host, std::string port,
                  std::function<void()> wake = {});
    ~PendingLookup();
    PendingLookup(const PendingLookup&) = delete;
    PendingLookup& operator=(const PendingLookup&) = delete;

    // False when no worker could be started: there is then no answer to wait for.
    bool started() const { return started_; }
    // Waits at most `timeoutMs` for the answer; true once it is in.
    bool Wait(int timeoutMs);
    bool Done() const;
    // The answer once Done(): Ok with `endpoint` set, or ResolveFailed when the name has no
    // IPv4 address.
    ConnectStatus Result(Ipv4Endpoint& endpoint) const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    bool started_ = false;
};

} // namespace hx::net
