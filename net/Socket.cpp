// The socket's ownership, the same on every platform; opening, reading and closing live in
// net/posix/ and net/win/.
#include "net/Socket.h"

#include <chrono>
#include <utility>

namespace hx::net {

std::int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Socket::Socket(Lookup lookup) : lookup_(std::move(lookup)) {}

Socket::~Socket() {
    Close();
}

void Socket::SetMessageHandler(std::function<void()> onMessages) {
    onMessages_ = std::move(onMessages);
}

} // namespace hx::net
