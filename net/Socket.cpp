// The socket's ownership, the same on every platform; opening, reading and closing live in
// net/posix/ and net/win/.
#include "net/Socket.h"

#include <utility>

namespace hx::net {

Socket::~Socket() {
    Close();
}

Socket::Socket(Socket&& other) noexcept : handle_(std::exchange(other.handle_, kInvalid)) {}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, kInvalid);
    }
    return *this;
}

} // namespace hx::net
