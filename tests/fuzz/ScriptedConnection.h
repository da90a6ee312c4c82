// A Connection that plays scripted bytes instead of talking to a network, for driving the
// whole HTTP client in memory. Each connection the client makes takes the next script;
// a script's segments become readable one request at a time (a segment is what the server
// sends in answer to one request head), and the end of the last segment is the end of the
// connection, as the script says: an orderly close, a reset, or a silence (a time-out).
#pragma once

#include "net/Connection.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

namespace hx::test {

struct ConnectionScript {
    enum class End { Close, Reset, Silence };
    std::vector<std::string> segments;
    End end = End::Close;
    std::size_t maxReceive = 1 << 20; // bytes per receive at most
};

class ScriptedConnection final : public net::Connection {
public:
    explicit ScriptedConnection(std::deque<ConnectionScript> scripts)
        : scripts_(std::move(scripts)) {}

    net::ConnectStatus Connect(const std::string&, const std::string&, int) override {
        Close();
        if (scripts_.empty()) {
            return net::ConnectStatus::Refused;
        }
        current_ = std::move(scripts_.front());
        scripts_.pop_front();
        open_ = true;
        segment_ = -1; // nothing readable until the first request
        offset_ = 0;
        return net::ConnectStatus::Ok;
    }
    net::SocketStatus SendAll(std::span<const std::uint8_t>) override {
        if (!open_) {
            return net::SocketStatus::Ended;
        }
        // The answer to this request becomes readable; whatever was left of the last one
        // stays in front of it, as on a real connection.
        if (segment_ + 1 < static_cast<int>(current_.segments.size())) {
            pending_ += current_.segments[++segment_];
        }
        return net::SocketStatus::Ok;
    }
    net::ReceiveResult Receive(std::span<std::uint8_t> buffer, int) override {
        if (!open_) {
            return {net::SocketStatus::Ended, 0};
        }
        if (offset_ < pending_.size()) {
            const std::size_t n =
                std::min({buffer.size(), pending_.size() - offset_, current_.maxReceive});
            std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(offset_), n, buffer.begin());
            offset_ += n;
            return {net::SocketStatus::Ok, n};
        }
        if (!LastSegment() || current_.end == ConnectionScript::End::Silence) {
            return {net::SocketStatus::TimedOut, 0};
        }
        return {current_.end == ConnectionScript::End::Reset ? net::SocketStatus::Reset
                                                             : net::SocketStatus::Ended,
                0};
    }
    bool WaitReadable(int) override {
        return open_ && (offset_ < pending_.size() ||
                         (LastSegment() && current_.end != ConnectionScript::End::Silence));
    }
    bool PeerClosedOrDirty() override {
        return !open_ || offset_ < pending_.size() ||
               (LastSegment() && current_.end != ConnectionScript::End::Silence);
    }
    void Close() override {
        open_ = false;
        pending_.clear();
        offset_ = 0;
    }
    bool IsOpen() const override { return open_; }
    void SetMessageHandler(std::function<void()>) override {} // no messages here

private:
    bool LastSegment() const { return segment_ + 1 >= static_cast<int>(current_.segments.size()); }

    std::deque<ConnectionScript> scripts_;
    ConnectionScript current_;
    bool open_ = false;
    int segment_ = -1;
    std::string pending_;
    std::size_t offset_ = 0;
};

} // namespace hx::test
