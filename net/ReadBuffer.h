// The client's one read buffer: what the connection brought and the head reader or the
// body framing has not used yet. Bytes left after a head are the start of its body; bytes
// left after a body belong to nothing we asked for.
#pragma once

#include "net/Connection.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace hx::net {

class ReadBuffer {
public:
    explicit ReadBuffer(std::size_t capacity) : bytes_(capacity) {}

    std::span<const std::uint8_t> Pending() const {
        return std::span<const std::uint8_t>(bytes_).subspan(begin_, end_ - begin_);
    }
    bool empty() const { return begin_ == end_; }
    void Consume(std::size_t n) { begin_ += n < end_ - begin_ ? n : end_ - begin_; }
    void Clear() { begin_ = end_ = 0; }

    // One receive of at most `limit` bytes (and at most the buffer's free room), appended to
    // what is pending, waiting at most `timeoutMs` for the first byte.
    ReceiveResult Receive(Connection& connection, std::size_t limit, int timeoutMs);

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t begin_ = 0, end_ = 0;
};

} // namespace hx::net
