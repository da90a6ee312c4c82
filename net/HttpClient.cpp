#include "net/HttpClient.h"

#include <algorithm>
#include <limits>

#include "base/Guard.h"
#include "net/Charset.h"
#include "net/ChunkedDecoder.h"
#include "net/Socket.h"
#include "net/Text.h"

namespace hx::net {

namespace {

// The smaller of a size in memory and a 64-bit count, as a size in memory: counts of a body
// are 64-bit on every build, so a body of 4 GiB or more is never cut at 32 bits.
std::size_t Smaller(std::size_t size, std::uint64_t count) {
    return count < size ? static_cast<std::size_t>(count) : size;
}

} // namespace

// Where the bytes of a body go. Take may refuse (a full disk, a cap), which fails the request.
class THttpClient::Sink {
public:
    virtual ~Sink() = default;
    // Before the first byte of the body is read; `length` when one is announced.
    virtual FailureKind Prepare(std::optional<std::int64_t> length) {
        (void)length;
        return FailureKind::None;
    }
    virtual FailureKind Take(std::span<const std::uint8_t> bytes) = 0;
    // A redirect is followed: forget what the earlier response left.
    virtual FailureKind Restart() { return FailureKind::None; }
    // The request is over, however it ended.
    virtual void Finish() {}
};

class THttpClient::TextSink final : public Sink {
public:
    FailureKind Prepare(std::optional<std::int64_t> length) override {
        return length && *length > kMaxTextBody ? FailureKind::TooLarge : FailureKind::None;
    }
    FailureKind Take(std::span<const std::uint8_t> in) override {
        if (static_cast<std::int64_t>(bytes.size() + in.size()) > kMaxTextBody) {
            return FailureKind::TooLarge;
        }
        bytes.insert(bytes.end(), in.begin(), in.end());
        return FailureKind::None;
    }
    FailureKind Restart() override {
        bytes.clear();
        return FailureKind::None;
    }
    std::vector<std::uint8_t> bytes;
};

class THttpClient::StreamSink final : public Sink {
public:
    explicit StreamSink(OutputStream& stream) : stream_(stream), start_(stream.Position()) {}

    bool usable() const { return start_ >= 0; }

    FailureKind Prepare(std::optional<std::int64_t> length) override {
        if (!length) {
            return FailureKind::None;
        }
        // The destination takes its final size once, before the first byte arrives.
        const std::int64_t position = stream_.Position();
        if (position < 0) {
            return FailureKind::Stream;
        }
        if (*length > std::numeric_limits<std::int64_t>::max() - position ||
            !stream_.SetSize(position + *length)) {
            return FailureKind::TooLarge;
        }
        return FailureKind::None;
    }
    FailureKind Take(std::span<const std::uint8_t> bytes) override {
        return stream_.Write(bytes) ? FailureKind::None : FailureKind::Stream;
    }
    FailureKind Restart() override {
        return stream_.Seek(start_) && stream_.SetSize(start_) ? FailureKind::None
                                                               : FailureKind::Stream;
    }
    void Finish() override {
        // Whatever happened, the stream ends where the writing stopped.
        const std::int64_t position = stream_.Position();
        if (position >= 0 && stream_.Size() > position) {
            stream_.SetSize(position);
        }
    }

private:
    OutputStream& stream_;
    std::int64_t start_;
};

// Bodies read only to be dropped (redirects), or kept in part as a failure's text.
class THttpClient::DiscardSink final : public Sink {
public:
    explicit DiscardSink(std::int64_t keep = 0) : keep_(static_cast<std::size_t>(keep)) {}
    FailureKind Take(std::span<const std::uint8_t> in) override {
        const std::size_t room = keep_ - std::min(keep_, bytes.size());
        bytes.insert(bytes.end(), in.begin(), in.begin() + std::min(room, in.size()));
        return FailureKind::None;
    }
    std::vector<std::uint8_t> bytes;

private:
    std::size_t keep_;
};

// How a body ends: after an announced length, with the connection, or by its chunks.
class THttpClient::Framing {
public:
    virtual ~Framing() = default;
    // Takes what belongs to the body from `in` and appends the body's data to `data`;
    // returns the bytes consumed, framing included.
    virtual std::size_t Take(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data) = 0;
    // Nothing more belongs to the body (it ended, or its framing failed).
    virtual bool done() const = 0;
    // At most this many more bytes belong to the body: a receive never asks for more.
    virtual std::uint64_t wanted() const { return std::numeric_limits<std::uint64_t>::max(); }
    // The outcome once done().
    virtual BodyOutcome Finished() { return {FailureKind::None, true}; }
    // The outcome when the connection ended first: `orderly` for the server's close, not
    // for a reset or our own abort.
    virtual BodyOutcome Ended(bool orderly) = 0;
};

class THttpClient::LengthFraming final : public Framing {
public:
    explicit LengthFraming(std::int64_t length) : remaining_(length) {}
    std::size_t Take(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data) override {
        const std::size_t n = Smaller(in.size(), wanted());
        data.insert(data.end(), in.begin(), in.begin() + n);
        remaining_ -= static_cast<std::int64_t>(n);
        return n;
    }
    bool done() const override { return remaining_ == 0; }
    std::uint64_t wanted() const override { return static_cast<std::uint64_t>(remaining_); }
    // Cut short: what came is kept, but it is not the whole body.
    BodyOutcome Ended(bool) override { return {FailureKind::None, false}; }

private:
    std::int64_t remaining_;
};

class THttpClient::ToEndFraming final : public Framing {
public:
    std::size_t Take(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data) override {
        data.insert(data.end(), in.begin(), in.end());
        return in.size();
    }
    bool done() const override { return false; }
    // The server's close is this body's normal end; a reset or an abort is not, though
    // what came is kept.
    BodyOutcome Ended(bool orderly) override { return {FailureKind::None, orderly}; }
};

class THttpClient::ChunkedFraming final : public Framing {
public:
    explicit ChunkedFraming(HeaderList& headers) : headers_(headers) {}
    std::size_t Take(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data) override {
        return decoder_.Feed(in, data);
    }
    bool done() const override { return decoder_.done() || decoder_.failed(); }
    BodyOutcome Finished() override {
        if (decoder_.failed()) {
            return {FailureKind::BadChunk, false};
        }
        for (const Header& trailer : decoder_.trailers().items) {
            headers_.Add(trailer);
        }
        return {FailureKind::None, true};
    }
    BodyOutcome Ended(bool) override { return {FailureKind::ChunkedCut, false}; }

private:
    ChunkedDecoder decoder_;
    HeaderList& headers_;
};

namespace {

// 7-bit text for the wire; control characters that would end a line become '?' as well,
// so a hostile Location cannot add lines to our request.
std::string WireText(std::u16string_view text) {
    std::string out = ToAscii7(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = '?';
        }
    }
    return out;
}

// The name a resolver understands: an IPv6 literal loses its brackets.
std::string ResolverHost(std::u16string_view host) {
    if (host.size() >= 2 && host.front() == u'[' && host.back() == u']') {
        host = host.substr(1, host.size() - 2);
    }
    return WireText(host);
}

FailureKind StatusFailure(SocketStatus status) {
    return status == SocketStatus::TimedOut ? FailureKind::TimedOut : FailureKind::Network;
}

} // namespace

const char* FailureKindName(FailureKind kind) {
    switch (kind) {
    case FailureKind::None:
        return "none";
    case FailureKind::BadUrl:
        return "bad-url";
    case FailureKind::Https:
        return "https";
    case FailureKind::Resolve:
        return "resolve";
    case FailureKind::Connect:
        return "connect";
    case FailureKind::TimedOut:
        return "timeout";
    case FailureKind::ConnectionEnded:
        return "connection-ended";
    case FailureKind::Network:
        return "network";
    case FailureKind::HeadTooLarge:
        return "head-too-large";
    case FailureKind::Status:
        return "status";
    case FailureKind::ChunkedCut:
        return "chunked-cut";
    case FailureKind::BadChunk:
        return "bad-chunk";
    case FailureKind::BadLength:
        return "bad-length";
    case FailureKind::TooLarge:
        return "too-large";
    case FailureKind::Stream:
        return "stream";
    }
    return "unknown";
}

std::string BuildRequestHead(const Url& url, std::u16string_view accept,
                             std::u16string_view userAgent, std::u16string_view cookie) {
    std::string head;
    head += "GET " + WireText(RequestTarget(url)) + " HTTP/1.1\r\n";
    head += "Host: " + WireText(HostValue(url)) + "\r\n";
    head += "Accept: " + WireText(accept) + "\r\n";
    head += "User-Agent: " + WireText(userAgent) + "\r\n";
    if (!cookie.empty()) {
        head += "Cookie: " + WireText(cookie) + "\r\n";
    }
    head += "\r\n";
    return head;
}

THttpClient::THttpClient(std::unique_ptr<Connection> connection)
    : connection_(connection ? std::move(connection) : std::make_unique<Socket>()),
      buffer_(kReceiveSize) {
    block_.reserve(kBodyBlockSize);
}

THttpClient::~THttpClient() = default;

void THttpClient::Disconnect() {
    if (running_) {
        aborted_ = true;
    }
    connection_->Close();
}

std::optional<std::u16string> THttpClient::Get(std::u16string_view url) {
    TextSink sink;
    Run(url, sink);
    if (!result_.ok()) {
        return std::nullopt;
    }
    return DecodeBody(sink.bytes, head_.headers());
}

bool THttpClient::Get(std::u16string_view url, OutputStream& responseContent) {
    StreamSink sink(responseContent);
    if (!sink.usable()) {
        result_ = {};
        result_.kind = FailureKind::Stream;
        bodyComplete_ = false;
        return false;
    }
    Run(url, sink);
    return result_.ok();
}

THttpClient::Deadline THttpClient::Deadline::In(int ms) {
    return {SteadyNowMs() + ms, false};
}

int THttpClient::Deadline::RemainingMs() const {
    if (none) {
        return std::numeric_limits<int>::max();
    }
    const std::int64_t left = atMs - SteadyNowMs();
    return left <= 0 ? 0 : static_cast<int>(std::min<std::int64_t>(left, INT32_MAX));
}

int THttpClient::WaitMs(int limitMs) const {
    return std::max(0, std::min(limitMs, total_.RemainingMs()));
}

void THttpClient::Run(std::u16string_view url, Sink& sink) {
    result_ = {};
    bodyComplete_ = false;
    aborted_ = false;
    running_ = true;
    total_ = TotalTimeoutMs > 0 ? Deadline::In(TotalTimeoutMs) : Deadline{};
    if (OnWaitMessages) {
        connection_->SetMessageHandler([this] { Guarded([this] { OnWaitMessages(*this); }); });
    }
    // However the request ends, also by an exception: the destination ends where the
    // writing stopped and the connection follows the keep-alive rule.
    struct Ending {
        THttpClient& client;
        Sink& sink;
        ~Ending() {
            client.connection_->SetMessageHandler(nullptr);
            sink.Finish();
            client.FinishResponse();
            client.running_ = false;
        }
    } ending{*this, sink};

    int redirects = 0;
    std::optional<Url> current = ParseUrl(url);
    if (!current) {
        result_.kind = FailureKind::BadUrl;
    }
    while (current) {
        result_.kind = Exchange(*current);
        std::optional<Url> next;
        if (!result_.ok() || !HandleResponse(*current, sink, redirects, next)) {
            break;
        }
        FinishResponse();
        current = std::move(next);
    }
}

THttpClient::StatusClass THttpClient::Classify() const {
    const int code = head_.statusCode();
    if (code < 0 || (code >= 100 && code < 200)) {
        return StatusClass::Interim;
    }
    if (code == 204) {
        return StatusClass::NoContent;
    }
    if (code >= 200 && code < 300) {
        return StatusClass::Success;
    }
    const bool location = head_.headers().Find(u"Location") != nullptr;
    return code >= 300 && code < 400 && code != 304 && location ? StatusClass::Redirect
                                                                : StatusClass::Failure;
}

bool THttpClient::HandleResponse(const Url& url, Sink& sink, int& redirects,
                                 std::optional<Url>& next) {
    switch (Classify()) {
    case StatusClass::Interim:
        // An interim head other than 100 leaves the connection in an unknown state.
        result_.kind = FailureKind::Status;
        return false;
    case StatusClass::NoContent:
        responseClean_ = buffer_.empty();
        bodyComplete_ = true;
        return false;
    case StatusClass::Success: {
        const BodyOutcome body = ReadBody(sink, BodyUse::Deliver);
        result_.kind = body.failure;
        bodyComplete_ = body.failure == FailureKind::None && body.complete && !aborted_;
        return false;
    }
    case StatusClass::Redirect:
        if (HandleRedirects) {
            return FollowRedirect(url, sink, redirects, next);
        }
        break;
    case StatusClass::Failure:
        break;
    }
    ReadFailureBody();
    return false;
}

bool THttpClient::FollowRedirect(const Url& url, Sink& sink, int& redirects,
                                 std::optional<Url>& next) {
    ++redirects;
    DiscardSink drop;
    const BodyOutcome body = ReadBody(drop, BodyUse::Redirect);
    if (body.failure != FailureKind::None) {
        result_.kind = body.failure;
        return false;
    }
    // An abort stops the whole request; the redirect limit ends it normally.
    if (aborted_ || redirects >= RedirectMaximum) {
        return false;
    }
    result_.kind = sink.Restart();
    if (!result_.ok()) {
        return false;
    }
    next = ResolveLocation(url, *head_.headers().Find(u"Location"));
    if (!next) {
        result_.kind = FailureKind::BadUrl;
    }
    return result_.ok();
}

void THttpClient::ReadFailureBody() {
    // The status fails the request; its body, if any, becomes the failure's text.
    const int code = head_.statusCode();
    if (code != 304) {
        DiscardSink failureBody(kMaxFailureBody);
        ReadBody(failureBody, BodyUse::FailureText);
        result_.text = DecodeBody(failureBody.bytes, head_.headers());
    } else {
        responseClean_ = buffer_.empty();
    }
    result_.kind = FailureKind::Status;
}

void THttpClient::FinishResponse() {
    // Keep the connection only when the response was read exactly to its end and the server
    // allows another request on it.
    if (!responseClean_ || peerEnded_ || !AllowsKeepAlive(head_.headers())) {
        connection_->Close();
    }
}

FailureKind THttpClient::Exchange(const Url& url) {
    responseClean_ = false;
    peerEnded_ = false;
    if (url.scheme != u"http") {
        // No TLS here: an https URL fails before anything is sent.
        return url.scheme == u"https" ? FailureKind::Https : FailureKind::BadUrl;
    }
    if (const FailureKind f = Connect(url); f != FailureKind::None) {
        return f;
    }
    const std::u16string cookie = AllowCookies ? cookies_.CookieHeader(url) : std::u16string();
    const std::string head = BuildRequestHead(url, Request.Accept, Request.UserAgent, cookie);
    const SocketStatus sent = connection_->SendAll(
        std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()));
    if (sent != SocketStatus::Ok) {
        connection_->Close();
        return sent == SocketStatus::Ended ? FailureKind::ConnectionEnded : FailureKind::Network;
    }
    return ReadHead(url, Deadline::In(HeadTimeoutMs));
}

FailureKind THttpClient::Connect(const Url& url) {
    buffer_.Clear();
    if (connection_->IsOpen()) {
        if (EqualsNoCase(connectedHost_, url.host) && connectedPort_ == url.port &&
            !connection_->PeerClosedOrDirty()) {
            return FailureKind::None;
        }
        connection_->Close();
    }
    const int timeout = WaitMs(ConnectTimeoutMs);
    if (timeout == 0) {
        return FailureKind::TimedOut;
    }
    switch (connection_->Connect(ResolverHost(url.host), WireText(url.port), timeout)) {
    case ConnectStatus::Ok:
        connectedHost_ = url.host;
        connectedPort_ = url.port;
        return FailureKind::None;
    case ConnectStatus::ResolveFailed:
        return FailureKind::Resolve;
    case ConnectStatus::TimedOut:
        return FailureKind::TimedOut;
    case ConnectStatus::Refused:
        break;
    }
    return FailureKind::Connect;
}

FailureKind THttpClient::ReadHead(const Url& url, Deadline deadline) {
    for (int interim = 0;; ++interim) {
        head_.Reset();
        while (!head_.complete() && !head_.failed()) {
            if (!buffer_.empty()) {
                const std::size_t used = head_.Feed(buffer_.Pending());
                buffer_.Consume(used);
                if (used == 0 && !head_.complete() && !head_.failed()) {
                    return FailureKind::HeadTooLarge; // a reader that takes nothing: give up
                }
                continue;
            }
            // Past the deadline this only looks: a head that came meanwhile still counts.
            // A head is read a block at a time, so the part of the body that comes with it
            // is at most one block.
            const int timeout = WaitMs(deadline.RemainingMs());
            const ReceiveResult r = buffer_.Receive(*connection_, kBodyBlockSize, timeout);
            if (aborted_) {
                return FailureKind::ConnectionEnded; // given up by Disconnect while waiting
            }
            if (r.status == SocketStatus::Ended) {
                // Only the server's orderly close ends a head early.
                peerEnded_ = true;
                head_.ConnectionEnded();
            } else if (r.status == SocketStatus::Reset) {
                peerEnded_ = true;
                return FailureKind::ConnectionEnded;
            } else if (r.status != SocketStatus::Ok) {
                return StatusFailure(r.status);
            }
        }
        if (head_.failed()) {
            return head_.failure() == HeadReader::Failure::ClosedBeforeStatus
                       ? FailureKind::ConnectionEnded
                       : FailureKind::HeadTooLarge;
        }
        if (AllowCookies) {
            for (const std::u16string& value : head_.headers().All(u"Set-Cookie")) {
                cookies_.Store(value, url);
            }
        }
        result_.statusCode = head_.statusCode();
        result_.statusLine = head_.statusLine();
        if (head_.statusCode() != 100) {
            return FailureKind::None;
        }
        if (interim >= kMaxInterimHeads) {
            return FailureKind::HeadTooLarge;
        }
    }
}

THttpClient::BodyOutcome THttpClient::ReadBody(Sink& sink, BodyUse use) {
    const bool chunked = IsChunked(head_.headers());
    if (!chunked && ContentLengthsConflict(head_.headers())) {
        return {FailureKind::BadLength, false}; // which one would be the body's end?
    }
    const std::optional<std::int64_t> length =
        chunked ? std::nullopt : ContentLength(head_.headers());
    if (length && *length == 0) {
        responseClean_ = buffer_.empty();
        return {FailureKind::None, true};
    }
    // A redirect body that has not started to arrive is not waited for; it stays unread, so
    // the connection cannot carry another request. The same holds for any 3xx body.
    const int code = head_.statusCode();
    const bool redirectStatus = use == BodyUse::Redirect || (code >= 300 && code < 400);
    if (redirectStatus && buffer_.empty() && !peerEnded_ &&
        !connection_->WaitReadable(WaitMs(RedirectBodyWaitMs))) {
        return {FailureKind::None, false};
    }
    if (const FailureKind f = sink.Prepare(length); f != FailureKind::None) {
        return {f, false};
    }
    workCount_ = 0;
    if (OnWorkBegin) {
        Guarded([&] { OnWorkBegin(*this, TWorkMode::WorkRead, length.value_or(0)); });
    }
    ChunkedFraming chunks(head_.headers());
    LengthFraming announced(length.value_or(0));
    ToEndFraming toEnd;
    Framing& framing = chunked  ? static_cast<Framing&>(chunks)
                       : length ? static_cast<Framing&>(announced)
                                : static_cast<Framing&>(toEnd);
    const BodyOutcome outcome = ReadFramed(sink, framing, use);
    if (OnWorkEnd) {
        Guarded([&] { OnWorkEnd(*this, TWorkMode::WorkRead); });
    }
    return outcome;
}

// First the part that came with the head, then blocks of kBodyBlockSize bytes taken from
// the connection (received several blocks at a time), each delivered and counted whole,
// until the framing says the body ended or the connection does. A body that stalls (fewer
// than MinBodyBytesPerWindow bytes in a window of ReadTimeoutMs) fails as a time-out; a
// redirect or failure body is read only up to its caps in bytes and time, and then the
// connection is dropped instead. Past any limit a receive only looks, so data that came
// while we were busy elsewhere still counts.
THttpClient::BodyOutcome THttpClient::ReadFramed(Sink& sink, Framing& framing, BodyUse use) {
    const std::uint64_t cap = use == BodyUse::Redirect ? kMaxRedirectBody
                              : use == BodyUse::FailureText
                                  ? kMaxFailureBody
                                  : std::numeric_limits<std::uint64_t>::max();
    const int code = head_.statusCode();
    const Deadline until = use == BodyUse::Deliver     ? Deadline{}
                           : code >= 300 && code < 400 ? Deadline::In(RedirectBodyWaitMs)
                                                       : Deadline::In(FailureBodyWaitMs);
    std::uint64_t taken = 0;
    if (!buffer_.empty()) {
        block_.clear();
        const auto pending = buffer_.Pending();
        const std::size_t used = framing.Take(pending.first(Smaller(pending.size(), cap)), block_);
        buffer_.Consume(used);
        taken += used;
        if (const FailureKind f = Deliver(sink, block_, static_cast<std::int64_t>(used));
            f != FailureKind::None) {
            return {f, false};
        }
    }
    Deadline window = Deadline::In(ReadTimeoutMs);
    std::int64_t windowBytes = 0;
    SocketStatus status = SocketStatus::Ok;
    while (!framing.done() && taken < cap && status == SocketStatus::Ok) {
        block_.clear();
        std::size_t counted = 0;
        while (counted < kBodyBlockSize && !framing.done() && taken + counted < cap) {
            if (buffer_.empty()) {
                if (!connection_->IsOpen()) {
                    status = SocketStatus::Ended; // aborted: nothing more is read
                    break;
                }
                const int timeout = WaitMs(std::min(window.RemainingMs(), until.RemainingMs()));
                const std::size_t limit =
                    Smaller(kReceiveSize, std::min(framing.wanted(), cap - taken - counted));
                const ReceiveResult r = buffer_.Receive(*connection_, limit, timeout);
                status = r.status;
                if (status != SocketStatus::Ok) {
                    peerEnded_ = peerEnded_ || (!aborted_ && status != SocketStatus::TimedOut);
                    break;
                }
                windowBytes += static_cast<std::int64_t>(r.count);
                if (windowBytes >= MinBodyBytesPerWindow) {
                    window = Deadline::In(ReadTimeoutMs);
                    windowBytes = 0;
                }
            }
            const auto pending = buffer_.Pending();
            const std::size_t room = Smaller(kBodyBlockSize - counted, cap - taken - counted);
            const std::size_t used =
                framing.Take(pending.first(std::min(pending.size(), room)), block_);
            buffer_.Consume(used);
            counted += used;
        }
        taken += counted;
        if (counted > 0) {
            if (const FailureKind f = Deliver(sink, block_, static_cast<std::int64_t>(counted));
                f != FailureKind::None) {
                return {f, false};
            }
        }
    }
    if (status == SocketStatus::Ended || status == SocketStatus::Reset) {
        return framing.Ended(status == SocketStatus::Ended && !aborted_);
    }
    if (use != BodyUse::Deliver && (status == SocketStatus::TimedOut || !framing.done())) {
        return {FailureKind::None, false}; // read far enough: the connection is dropped
    }
    if (status != SocketStatus::Ok) {
        return {StatusFailure(status), false};
    }
    if (!framing.done()) {
        return {FailureKind::None, false}; // never call a body whole that has not ended
    }
    const BodyOutcome outcome = framing.Finished();
    // Only a body read exactly to its end leaves the connection fit for another request.
    responseClean_ = outcome.failure == FailureKind::None && buffer_.empty();
    return outcome;
}

FailureKind THttpClient::Deliver(Sink& sink, std::span<const std::uint8_t> bytes,
                                 std::int64_t counted) {
    const FailureKind taken = bytes.empty() ? FailureKind::None : sink.Take(bytes);
    workCount_ += counted;
    if (OnWork && counted > 0) {
        Guarded([&] { OnWork(*this, TWorkMode::WorkRead, workCount_); });
    }
    return taken;
}

} // namespace hx::net
