// The response head: status line and header lines, read by a state machine that accepts
// any slice of bytes, so the socket code can feed whatever a read returned and keep the
// bytes after the head for the body (or for the next head after a 100).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/Text.h"

namespace hx::net {

// Longest head line, in characters without its line end (the client's fixed rule).
inline constexpr size_t kMaxHeadLine = 16384;
// Header lines in one head (also trailer lines of a chunked body): real servers send a few
// dozen; a server streaming endless headers must not grow our memory.
inline constexpr size_t kMaxHeaderCount = 500;
// Bytes of one head, line ends included: ~1 MiB bounds memory whatever a server sends.
inline constexpr size_t kMaxHeadBytes = 1024 * 1024;

struct Header {
    std::u16string name, value;
};

class HeaderList {
public:
    std::vector<Header> items;

    // First header of that name (letter case ignored), or nullptr.
    const std::u16string* Find(std::u16string_view name) const;
    // Values of every header of that name, in order.
    std::vector<std::u16string> All(std::u16string_view name) const;
    void Add(Header header);
    // Removes every header of that name.
    void Remove(std::u16string_view name);
    // Replaces every header of that name by one header (added at the end when absent).
    void Set(std::u16string_view name, std::u16string_view value);
};

// The second space-separated field of the status line up to any '.', read as a decimal
// number; -1 when it is not one.
int ParseStatusCode(std::u16string_view statusLine);

// Splits "Name: value" at the first ':'; name and value trimmed of blanks.
// nullopt for a line without ':'.
std::optional<Header> ParseHeaderLine(std::u16string_view line);

// Content-Length as a non-negative number; nullopt when missing or not a number. A field
// may hold a comma-separated list: members that all say the same ("3, 3") are that length.
std::optional<int64_t> ContentLength(const HeaderList& headers);
// Content-Length members that say different things, on two lines or in one list ("5, 7"):
// the body's end cannot be told, and taking either would cut or run over the data.
// Identical repeats are fine.
bool ContentLengthsConflict(const HeaderList& headers);
// Some Transfer-Encoding contains "chunked", letter case ignored.
bool IsChunked(const HeaderList& headers);
// False when Connection or Proxy-Connection, trimmed, equals "close" in any letter case.
bool AllowsKeepAlive(const HeaderList& headers);

// Reads one line at a time: ends at LF, a CR just before the LF dropped, bytes above 0x7F
// read as U+FFFD. Shared by the head reader and the chunked decoder.
class LineReader {
public:
    enum class Status { NeedMore, Line, TooLong };
    // Takes bytes from `in` starting at `pos` (advanced past what was taken) until a line is
    // complete (Line: read it with line()), the input is used up (NeedMore) or the line
    // grows beyond maxLine characters (TooLong).
    Status Take(std::span<const uint8_t> in, size_t& pos, size_t maxLine = kMaxHeadLine);
    // The completed line; valid until the next Take.
    const std::u16string& line() const { return line_; }

private:
    std::string raw_;
    std::u16string line_;
    bool complete_ = false;
};

// States:
//   StatusLine - waiting for the status line (empty lines before it are skipped);
//   Headers    - reading header lines up to the empty line;
//   Complete   - the head has ended (by its empty line, or by ConnectionEnded after the
//                status line); further bytes are not consumed;
//   Failed     - sticky; failure() says why. Further bytes are not consumed.
class HeadReader {
public:
    enum class State { StatusLine, Headers, Complete, Failed };
    enum class Failure { None, LineTooLong, HeadTooLarge, TooManyHeaders, ClosedBeforeStatus };

    // Consumes up to and including the empty line that ends the head; returns the bytes
    // consumed. Consumes nothing once Complete or Failed.
    size_t Feed(std::span<const uint8_t> bytes);
    // The server closed while the head was read: Complete when the status line was read
    // (the head is the headers read so far; an unfinished header line is dropped), else
    // Failed(ClosedBeforeStatus).
    void ConnectionEnded();

    State state() const { return state_; }
    Failure failure() const { return failure_; }
    bool complete() const { return state_ == State::Complete; }
    bool failed() const { return state_ == State::Failed; }

    const std::u16string& statusLine() const { return statusLine_; }
    int statusCode() const { return statusCode_; } // -1 until the status line is read
    const HeaderList& headers() const { return headers_; }
    HeaderList& headers() { return headers_; }

    // Ready for the next head (after a 100, or for the next response on the connection).
    void Reset();

private:
    void Fail(Failure why);
    void TakeLine(const std::u16string& line);

    State state_ = State::StatusLine;
    Failure failure_ = Failure::None;
    LineReader lines_;
    size_t headBytes_ = 0;
    size_t headerLines_ = 0;
    std::u16string statusLine_;
    int statusCode_ = -1;
    HeaderList headers_;
};

} // namespace hx::net
