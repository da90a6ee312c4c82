// A chunked body, decoded by a state machine that accepts any slice of bytes. Every byte
// consumed is reported, framing included, because the progress count includes the chunk
// size lines, the line ends after the data and the trailer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "net/ResponseHead.h"

namespace hx::net {

// Hex digits of a chunk size after leading zeros: 15 digits reach 2^60, beyond any body.
inline constexpr size_t kMaxChunkSizeDigits = 15;
// Largest chunk accepted: 1 TiB keeps the running counts far from overflow.
inline constexpr int64_t kMaxChunkSize = int64_t{1} << 40;
// A chunk-size line (with its extensions) is read as a head line.
inline constexpr size_t kMaxChunkSizeLine = kMaxHeadLine;

// States:
//   SizeLine - reading a chunk-size line: cut at its first ';', trimmed and read as hex;
//              a line that is not a hex number fails. Size 0 goes to Trailer;
//   Data     - copying the chunk's data to the output;
//   DataEnd  - reading the line end after the data (the whole line is read and dropped);
//   Trailer  - reading trailer lines up to an empty line; they become trailers();
//   Done     - the body has ended; further bytes are not consumed (they belong to the
//              next response on the connection);
//   Failed   - sticky: a line too long, a size that is not a hex number or beyond the
//              caps, or too many trailers.
// The end of the connection before Done is the reader's business: it fails the body there.
class ChunkedDecoder {
public:
    enum class State { SizeLine, Data, DataEnd, Trailer, Done, Failed };

    // Appends the data of the chunks in `in` to dataOut and returns the bytes consumed
    // (framing included). Consumes nothing once Done or Failed.
    size_t Feed(std::span<const uint8_t> in, std::vector<uint8_t>& dataOut);

    bool done() const { return state_ == State::Done; }
    bool failed() const { return state_ == State::Failed; }
    State state() const { return state_; }
    const HeaderList& trailers() const { return trailers_; }

private:
    void TakeSizeLine(std::u16string_view line);
    void TakeTrailerLine(const std::u16string& line);

    State state_ = State::SizeLine;
    LineReader lines_;
    int64_t remaining_ = 0;
    size_t trailerBytes_ = 0;
    size_t trailerLines_ = 0;
    HeaderList trailers_;
};

// A chunk-size line's value: nullopt (a failure) when it is not a hex number or exceeds
// the caps.
std::optional<int64_t> ParseChunkSize(std::u16string_view line);

} // namespace hx::net
