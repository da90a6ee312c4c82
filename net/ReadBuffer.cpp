#include "net/ReadBuffer.h"

#include <algorithm>

namespace hx::net {

ReceiveResult ReadBuffer::Receive(Connection& connection, std::size_t limit, int timeoutMs) {
    if (begin_ > 0) {
        // Move what is pending to the front, so the free room is in one piece.
        std::copy(bytes_.begin() + begin_, bytes_.begin() + end_, bytes_.begin());
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t room = std::min(limit, bytes_.size() - end_);
    if (room == 0) {
        return {SocketStatus::Error, 0}; // a reader that takes nothing: never wait for more
    }
    const ReceiveResult r = connection.Receive(std::span(bytes_).subspan(end_, room), timeoutMs);
    if (r.status == SocketStatus::Ok) {
        end_ += r.count;
    }
    return r;
}

} // namespace hx::net
