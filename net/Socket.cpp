// The socket's ownership, the same on every platform; opening, reading and closing live in
// net/posix/ and net/win/.
#include "net/Socket.h"

#include <utility>

namespace hx::net {

Socket::~Socket() {
    Close();
}

void Socket::SetMessageHandler(std::function<void()> onMessages) {
    onMessages_ = std::move(onMessages);
}

} // namespace hx::net
