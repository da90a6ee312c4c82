#include "net/HttpClient.h"

#include <algorithm>
#include <limits>

#include "net/Charset.h"
#include "net/ChunkedDecoder.h"
#include "net/Text.h"

namespace hx::net {

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
    explicit DiscardSink(std::size_t keep = 0) : keep_(keep) {}
    FailureKind Take(std::span<const std::uint8_t> in) override {
        const std::size_t room = keep_ - std::min(keep_, bytes.size());
        bytes.insert(bytes.end(), in.begin(), in.begin() + std::min(room, in.size()));
        return FailureKind::None;
    }
    std::vector<std::uint8_t> bytes;

private:
    std::size_t keep_;
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

THttpClient::THttpClient(ClientProfile profile)
    : readBuffer_(kBodyBlockSize), blockBuffer_(kBodyBlockSize) {
    if (profile == ClientProfile::Download) {
        Request.Accept = std::u16string(kAcceptDownload);
        HandleRedirects = true;
    } else {
        Request.Accept = std::u16string(kAcceptCheck);
        HandleRedirects = false;
    }
}

THttpClient::~THttpClient() = default;

void THttpClient::Disconnect() {
    if (running_) {
        aborted_ = true;
    }
    socket_.Close();
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

std::span<const std::uint8_t> THttpClient::Pending() const {
    return std::span<const std::uint8_t>(readBuffer_)
        .subspan(pendingBegin_, pendingEnd_ - pendingBegin_);
}

void THttpClient::Run(std::u16string_view url, Sink& sink) {
    result_ = {};
    bodyComplete_ = false;
    aborted_ = false;
    running_ = true;
    int redirects = 0;
    std::optional<Url> current = ParseUrl(url);
    if (!current) {
        result_.kind = FailureKind::BadUrl;
    }
    while (current) {
        result_.kind = Exchange(*current);
        if (!result_.ok()) {
            break;
        }
        const int code = head_.statusCode();
        if (code < 0 || (code >= 100 && code < 200)) {
            // An interim head other than 100 leaves the connection in an unknown state.
            result_.kind = FailureKind::Status;
            break;
        }
        if (code == 204) {
            responseClean_ = Pending().empty();
            bodyComplete_ = true;
            break;
        }
        if (code >= 200 && code < 300) {
            const BodyOutcome body = ReadBody(sink, false);
            result_.kind = body.failure;
            bodyComplete_ = body.failure == FailureKind::None && body.complete && !aborted_;
            break;
        }
        const std::u16string* location = head_.headers().Find(u"Location");
        const bool redirect = code >= 300 && code < 400 && code != 304 && location != nullptr;
        if (redirect && HandleRedirects) {
            ++redirects;
            DiscardSink drop;
            const BodyOutcome body = ReadBody(drop, true);
            if (body.failure != FailureKind::None) {
                result_.kind = body.failure;
                break;
            }
            // An abort stops the whole request; the redirect limit ends it normally.
            if (aborted_ || redirects >= RedirectMaximum) {
                break;
            }
            result_.kind = sink.Restart();
            std::optional<Url> next = ResolveLocation(*current, *location);
            if (!next) {
                result_.kind = FailureKind::BadUrl;
            }
            if (!result_.ok()) {
                break;
            }
            FinishResponse();
            current = std::move(next);
            continue;
        }
        // Every other status fails; its body, if any, becomes the failure's text.
        if (code != 304) {
            DiscardSink failureBody(kMaxFailureBody);
            ReadBody(failureBody, code >= 300 && code < 400);
            result_.text = DecodeBody(failureBody.bytes, head_.headers());
        } else {
            responseClean_ = Pending().empty();
        }
        result_.kind = FailureKind::Status;
        break;
    }
    sink.Finish();
    FinishResponse();
    running_ = false;
}

void THttpClient::FinishResponse() {
    // Keep the connection only when the response was read exactly to its end and the server
    // allows another request on it.
    if (!responseClean_ || peerEnded_ || !AllowsKeepAlive(head_.headers())) {
        socket_.Close();
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
    const SocketStatus sent =
        socket_.SendAll(std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()));
    if (sent != SocketStatus::Ok) {
        socket_.Close();
        return sent == SocketStatus::Ended ? FailureKind::ConnectionEnded : FailureKind::Network;
    }
    return ReadHead(url);
}

FailureKind THttpClient::Connect(const Url& url) {
    if (socket_.IsOpen()) {
        if (EqualsNoCase(connectedHost_, url.host) && connectedPort_ == url.port &&
            !socket_.PeerClosedOrDirty()) {
            pendingBegin_ = pendingEnd_ = 0;
            return FailureKind::None;
        }
        socket_.Close();
    }
    pendingBegin_ = pendingEnd_ = 0;
    switch (socket_.Connect(ResolverHost(url.host), WireText(url.port), ConnectTimeoutMs)) {
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

FailureKind THttpClient::ReadHead(const Url& url) {
    for (int interim = 0;; ++interim) {
        head_.Reset();
        while (!head_.complete() && !head_.failed()) {
            if (pendingBegin_ < pendingEnd_) {
                const std::size_t used = head_.Feed(Pending());
                pendingBegin_ += used;
                if (used == 0 && !head_.complete() && !head_.failed()) {
                    return FailureKind::HeadTooLarge; // a reader that takes nothing: give up
                }
                continue;
            }
            const ReceiveResult r = socket_.Receive(readBuffer_, ReadTimeoutMs);
            if (r.status == SocketStatus::Ok) {
                pendingBegin_ = 0;
                pendingEnd_ = r.count;
            } else if (r.status == SocketStatus::Ended) {
                peerEnded_ = true;
                head_.ConnectionEnded();
            } else {
                return r.status == SocketStatus::TimedOut ? FailureKind::TimedOut
                                                          : FailureKind::Network;
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

THttpClient::BodyOutcome THttpClient::ReadBody(Sink& sink, bool redirectStatus) {
    const bool chunked = IsChunked(head_.headers());
    const std::optional<std::int64_t> length =
        chunked ? std::nullopt : ContentLength(head_.headers());
    if (length && *length == 0) {
        responseClean_ = Pending().empty();
        return {FailureKind::None, true, false};
    }
    // A redirect body that has not started to arrive is not waited for; it stays unread, so
    // the connection cannot carry another request.
    if (redirectStatus && Pending().empty() && !peerEnded_ &&
        !socket_.WaitReadable(RedirectBodyWaitMs)) {
        return {FailureKind::None, false, false};
    }
    if (const FailureKind f = sink.Prepare(length); f != FailureKind::None) {
        return {f, false, false};
    }
    workCount_ = 0;
    if (OnWorkBegin) {
        OnWorkBegin(*this, TWorkMode::WorkRead, length.value_or(0));
    }
    BodyOutcome outcome = chunked  ? ReadChunkedBody(sink)
                          : length ? ReadLengthBody(sink, *length)
                                   : ReadToEndBody(sink);
    outcome.read = true;
    if (OnWorkEnd) {
        OnWorkEnd(*this, TWorkMode::WorkRead);
    }
    return outcome;
}

FailureKind THttpClient::Deliver(Sink& sink, std::span<const std::uint8_t> bytes,
                                 std::int64_t counted) {
    const FailureKind taken = bytes.empty() ? FailureKind::None : sink.Take(bytes);
    workCount_ += counted;
    if (OnWork && counted > 0) {
        OnWork(*this, TWorkMode::WorkRead, workCount_);
    }
    return taken;
}

// Fills blockBuffer_ up to `wanted` bytes from the connection; Ok only when it is full.
SocketStatus THttpClient::FillBlock(std::size_t wanted, std::size_t& filled) {
    filled = 0;
    while (filled < wanted) {
        if (!socket_.IsOpen()) {
            return SocketStatus::Ended; // aborted: nothing more is read
        }
        const ReceiveResult r = socket_.Receive(
            std::span(blockBuffer_).subspan(filled, wanted - filled), ReadTimeoutMs);
        if (r.status != SocketStatus::Ok) {
            if (r.status == SocketStatus::Ended) {
                peerEnded_ = true;
            }
            return r.status;
        }
        filled += r.count;
    }
    return SocketStatus::Ok;
}

THttpClient::BodyOutcome THttpClient::ReadLengthBody(Sink& sink, std::int64_t length) {
    std::int64_t remaining = length;
    // First the part that came with the head, then whole blocks.
    if (pendingBegin_ < pendingEnd_) {
        const auto part = Pending().first(
            static_cast<std::size_t>(std::min<std::int64_t>(Pending().size(), remaining)));
        pendingBegin_ += part.size();
        remaining -= static_cast<std::int64_t>(part.size());
        if (const FailureKind f = Deliver(sink, part, static_cast<std::int64_t>(part.size()));
            f != FailureKind::None) {
            return {f, false, true};
        }
    }
    while (remaining > 0) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::int64_t>(kBodyBlockSize, remaining));
        std::size_t filled = 0;
        const SocketStatus status = FillBlock(wanted, filled);
        remaining -= static_cast<std::int64_t>(filled);
        if (filled > 0) {
            const FailureKind f = Deliver(sink, std::span(blockBuffer_).first(filled),
                                          static_cast<std::int64_t>(filled));
            if (f != FailureKind::None) {
                return {f, false, true};
            }
        }
        if (status == SocketStatus::Ended) {
            return {FailureKind::None, false, true}; // cut short: what came is kept
        }
        if (status != SocketStatus::Ok) {
            return {StatusFailure(status), false, true};
        }
    }
    responseClean_ = Pending().empty();
    return {FailureKind::None, true, true};
}

THttpClient::BodyOutcome THttpClient::ReadToEndBody(Sink& sink) {
    if (pendingBegin_ < pendingEnd_) {
        const auto part = Pending();
        pendingBegin_ = pendingEnd_;
        if (const FailureKind f = Deliver(sink, part, static_cast<std::int64_t>(part.size()));
            f != FailureKind::None) {
            return {f, false, true};
        }
    }
    for (;;) {
        std::size_t filled = 0;
        const SocketStatus status = FillBlock(kBodyBlockSize, filled);
        if (filled > 0) {
            const FailureKind f = Deliver(sink, std::span(blockBuffer_).first(filled),
                                          static_cast<std::int64_t>(filled));
            if (f != FailureKind::None) {
                return {f, false, true};
            }
        }
        if (status == SocketStatus::Ended) {
            // The connection's end is this body's normal end; an abort is not.
            return {FailureKind::None, !aborted_, true};
        }
        if (status != SocketStatus::Ok) {
            return {StatusFailure(status), false, true};
        }
    }
}

THttpClient::BodyOutcome THttpClient::ReadChunkedBody(Sink& sink) {
    ChunkedDecoder decoder;
    bool ended = false;
    // Every consumed byte counts, framing included; only the chunks' data is delivered.
    auto feed = [&]() -> FailureKind {
        chunkData_.clear();
        const std::size_t used = decoder.Feed(Pending(), chunkData_);
        pendingBegin_ += used;
        return Deliver(sink, chunkData_, static_cast<std::int64_t>(used));
    };
    if (pendingBegin_ < pendingEnd_) {
        if (const FailureKind f = feed(); f != FailureKind::None) {
            return {f, false, true};
        }
    }
    while (!decoder.done() && !decoder.failed()) {
        if (!socket_.IsOpen()) {
            ended = true; // aborted: nothing more is read
            decoder.ConnectionEnded();
            break;
        }
        const ReceiveResult r = socket_.Receive(readBuffer_, ReadTimeoutMs);
        if (r.status == SocketStatus::Ended) {
            peerEnded_ = ended = true;
            decoder.ConnectionEnded();
            break;
        }
        if (r.status != SocketStatus::Ok) {
            return {StatusFailure(r.status), false, true};
        }
        pendingBegin_ = 0;
        pendingEnd_ = r.count;
        if (const FailureKind f = feed(); f != FailureKind::None) {
            return {f, false, true};
        }
    }
    if (decoder.failed()) {
        return {ended ? FailureKind::ChunkedCut : FailureKind::BadChunk, false, true};
    }
    for (const Header& trailer : decoder.trailers().items) {
        head_.headers().Add(trailer);
    }
    responseClean_ = Pending().empty();
    return {FailureKind::None, true, true};
}

} // namespace hx::net
