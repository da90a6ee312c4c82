// THttpClient: the program's HTTP/1.1 client over plain TCP. GET only; the body comes back
// as text or is written into a seekable stream, with progress events on the way.
//
// A request runs from start to end inside Get on the calling thread. The only operation
// allowed while a Get runs is Disconnect (typically from inside OnWork). Failures are not
// exceptions: Get reports them in LastResult().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/Connection.h"
#include "net/Cookies.h"
#include "net/OutputStream.h"
#include "net/ReadBuffer.h"
#include "net/ResponseHead.h"
#include "net/Url.h"

namespace hx::net {

// A connect attempt (name resolution included) that takes longer than this fails: the
// window must not hang for good.
inline constexpr int kConnectTimeoutMs = 15000;
// A response head must arrive whole this soon after its request was sent.
inline constexpr int kHeadTimeoutMs = 30000;
// A body must bring at least kMinBodyBytesPerWindow bytes (or the rest of it, when that is
// less) in every window of this length, or it fails as a time-out: a server that stalls or
// drips must not keep us reading for hours. No single read waits longer either.
inline constexpr int kReadTimeoutMs = 30000;
inline constexpr std::int64_t kMinBodyBytesPerWindow = 1024;
// Every limit measures the server's time only: before one declares a time-out, the data
// already waiting is taken, so time spent in our own handlers (a modal loop, a slow disk)
// never fails a healthy transfer.
//
// How long a redirect body may take to start arriving before it is skipped unread, and to
// arrive whole before the connection is dropped instead (it is thrown away anyway).
inline constexpr int kRedirectBodyWaitMs = 5000;
// How long a failure body is read after its start before the connection is dropped: it is
// kept only as the failure's text, which nobody reads, so a trickling error page must not
// keep a download busy.
inline constexpr int kFailureBodyWaitMs = 5000;
// Bytes taken from the connection and written per step; also the progress granularity.
inline constexpr std::size_t kBodyBlockSize = 32768;
// Bytes asked of the connection in one receive while a body streams in: several blocks at
// once, so a fast transfer costs few system calls; the blocks above stay as they are.
inline constexpr std::size_t kReceiveSize = 8 * kBodyBlockSize;
// A text body beyond this fails: the update answer is a short page, and its decoded
// UTF-16 copy doubles it.
inline constexpr std::int64_t kMaxTextBody = 8 * 1024 * 1024;
// Only this much of a failure body is read and kept as the failure's text; then the
// connection is dropped, so an endless error page can neither fill memory nor keep us
// reading. A redirect body is read no further either. Body counts and caps are 64-bit on
// every build.
inline constexpr std::int64_t kMaxFailureBody = 1024 * 1024;
inline constexpr std::int64_t kMaxRedirectBody = kMaxFailureBody;
// 100 heads in a row beyond this fail the request: a server must not keep us reading
// interim heads forever.
inline constexpr int kMaxInterimHeads = 32;

// The Accept value of a new client.
inline constexpr std::u16string_view kDefaultAccept =
    u"text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";

enum class TWorkMode { WorkRead, WorkWrite };

enum class FailureKind {
    None,
    BadUrl,          // not an absolute http URL, or a Location that does not resolve
    Https,           // https is not served (no TLS), also as a redirect target
    Resolve,         // the host name has no IPv4 address
    Connect,         // refused or unreachable
    TimedOut,        // connect or read time-out
    ConnectionEnded, // the connection ended before the status line
    Network,         // any other socket error
    HeadTooLarge,    // a head line, head or header count beyond its cap
    Status,          // the response status makes the request fail
    ChunkedCut,      // the connection ended (or was aborted) inside a chunked body
    BadChunk,        // a chunk size that is not a hex number or beyond the decoder's caps
    BadLength,       // Content-Length headers that disagree
    TooLarge,        // a text body beyond its cap, or a length that cannot be pre-allocated
    Stream,          // the destination stream refused to seek, resize or write
};

// Short lower-case name of a kind, e.g. "status", for diagnostics.
const char* FailureKindName(FailureKind kind);

struct HttpResult {
    FailureKind kind = FailureKind::None;
    int statusCode = 0;        // of the last response head read (0: none)
    std::u16string statusLine; // of the last response head read
    std::u16string text;       // the body of a failure status, decoded; else empty
    bool ok() const { return kind == FailureKind::None; }
};

struct TRequestSettings {
    std::u16string UserAgent;
    std::u16string Accept;
};

// The request head, byte for byte: request line, Host, Accept, User-Agent, Cookie (only
// when `cookie` is not empty), empty line. Text goes out 7-bit with '?' for anything else.
std::string BuildRequestHead(const Url& url, std::u16string_view accept,
                             std::u16string_view userAgent, std::u16string_view cookie);

class THttpClient {
public:
    using WorkBeginEvent =
        std::function<void(THttpClient& sender, TWorkMode mode, std::int64_t workCountMax)>;
    using WorkEvent =
        std::function<void(THttpClient& sender, TWorkMode mode, std::int64_t workCount)>;
    using WorkEndEvent = std::function<void(THttpClient& sender, TWorkMode mode)>;

    // A new client has the defaults below and talks over `connection` (a TCP socket when
    // none is given).
    explicit THttpClient(std::unique_ptr<Connection> connection = nullptr);
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    TRequestSettings Request{{}, std::u16string(kDefaultAccept)};
    bool HandleRedirects = false;
    int RedirectMaximum = 15;
    bool AllowCookies = true;
    int ConnectTimeoutMs = kConnectTimeoutMs;
    int HeadTimeoutMs = kHeadTimeoutMs;
    int ReadTimeoutMs = kReadTimeoutMs;
    std::int64_t MinBodyBytesPerWindow = kMinBodyBytesPerWindow;
    int RedirectBodyWaitMs = kRedirectBodyWaitMs;
    int FailureBodyWaitMs = kFailureBodyWaitMs;
    // The whole Get ends within this, whatever the server does (0: no such limit).
    int TotalTimeoutMs = 0;

    // Raised for every body read: delivered, thrown away after a redirect, or read as a
    // failure's text. Counts are bytes taken from the connection, chunk framing included.
    // A handler that throws is treated as one that returned.
    WorkBeginEvent OnWorkBegin;
    WorkEvent OnWork;
    WorkEndEvent OnWorkEnd;
    // Raised while the client waits for the network and the calling thread has window
    // messages: the handler processes them, so the window keeps answering, and may call
    // Disconnect. Without a handler the thread waits for the network alone.
    std::function<void(THttpClient& sender)> OnWaitMessages;

    // GET into text. nullopt on failure (see LastResult()).
    std::optional<std::u16string> Get(std::u16string_view url);
    // GET into `responseContent` from its current position. Returns LastResult().ok().
    bool Get(std::u16string_view url, OutputStream& responseContent);

    // Closes the connection at once; safe when none is open and from inside OnWork.
    void Disconnect();

    const HttpResult& LastResult() const { return result_; }
    // Whether the last Get delivered a whole body: a failure, an abort, an announced
    // length not reached, or a redirect limit leave it false. Get's outcome is unaffected.
    bool LastBodyComplete() const { return bodyComplete_; }
    bool Connected() const { return connection_->IsOpen(); }
    CookieStore& Cookies() { return cookies_; }

private:
    class Sink;
    class TextSink;
    class StreamSink;
    class DiscardSink;
    class Framing;
    class LengthFraming;
    class ToEndFraming;
    class ChunkedFraming;

    // What reading one body came to.
    struct BodyOutcome {
        FailureKind failure = FailureKind::None;
        bool complete = false; // the body reached its framing's end, not cut or aborted
    };
    // What a body is read for: delivered, thrown away after a redirect, or a failure's
    // text. The last two are read only up to their caps.
    enum class BodyUse { Deliver, Redirect, FailureText };
    // A point in time that waits must not pass; `none` for none.
    struct Deadline {
        std::int64_t atMs = 0; // on the steady clock
        bool none = true;
        static Deadline In(int ms);
        int RemainingMs() const; // never negative; a large number for none
    };
    // How a response's status is handled.
    enum class StatusClass { Interim, NoContent, Success, Redirect, Failure };

    void Run(std::u16string_view url, Sink& sink);
    // One exchange's response after its head: true when a redirect to `next` is followed.
    bool HandleResponse(const Url& url, Sink& sink, int& redirects, std::optional<Url>& next);
    StatusClass Classify() const;
    bool FollowRedirect(const Url& url, Sink& sink, int& redirects, std::optional<Url>& next);
    void ReadFailureBody();

    FailureKind Exchange(const Url& url);
    FailureKind Connect(const Url& url);
    FailureKind ReadHead(const Url& url, Deadline deadline);
    BodyOutcome ReadBody(Sink& sink, BodyUse use);
    BodyOutcome ReadFramed(Sink& sink, Framing& framing, BodyUse use);
    // The longest a wait may last now: the given limit, cut by the request's own deadline.
    int WaitMs(int limitMs) const;
    FailureKind Deliver(Sink& sink, std::span<const std::uint8_t> bytes, std::int64_t counted);
    void FinishResponse();

    std::unique_ptr<Connection> connection_;
    std::u16string connectedHost_, connectedPort_;
    CookieStore cookies_;
    HeadReader head_;
    ReadBuffer buffer_;
    std::vector<std::uint8_t> block_; // the body data of one block

    std::int64_t workCount_ = 0;
    bool running_ = false;       // inside Get
    bool aborted_ = false;       // Disconnect was called during this Get
    bool peerEnded_ = false;     // the connection ended while this response was read
    bool responseClean_ = false; // the response was read to its end and nothing more came
    Deadline total_;             // of this Get (TotalTimeoutMs)
    HttpResult result_;
    bool bodyComplete_ = false;
};

} // namespace hx::net
