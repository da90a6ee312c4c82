#include "net/ChunkedDecoder.h"

#include <algorithm>

namespace hx::net {

std::optional<int64_t> ParseChunkSize(std::u16string_view line) {
    std::u16string_view text = TrimBlanks(line.substr(0, line.find(u';')));
    // Not a hexadecimal number ("", "0x0c", "-5"): taking it for the last chunk would cut
    // the data silently.
    if (text.empty()) {
        return std::nullopt;
    }
    for (char16_t c : text) {
        bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!hex) {
            return std::nullopt;
        }
    }
    while (text.size() > 1 && text.front() == u'0') {
        text.remove_prefix(1);
    }
    if (text.size() > kMaxChunkSizeDigits) {
        return std::nullopt;
    }
    int64_t size = 0;
    for (char16_t c : text) {
        int digit = c <= u'9' ? c - u'0' : (AsciiLower(c) - u'a' + 10);
        size = size * 16 + digit;
    }
    if (size > kMaxChunkSize) {
        return std::nullopt;
    }
    return size;
}

size_t ChunkedDecoder::Feed(std::span<const uint8_t> in, std::vector<uint8_t>& dataOut) {
    size_t pos = 0;
    while (pos < in.size() && state_ != State::Done && state_ != State::Failed) {
        if (state_ == State::Data) {
            size_t n = static_cast<size_t>(
                std::min<int64_t>(remaining_, static_cast<int64_t>(in.size() - pos)));
            dataOut.insert(dataOut.end(), in.begin() + pos, in.begin() + pos + n);
            pos += n;
            remaining_ -= static_cast<int64_t>(n);
            if (remaining_ == 0) {
                state_ = State::DataEnd;
            }
            continue;
        }
        size_t before = pos;
        auto status =
            lines_.Take(in, pos, state_ == State::SizeLine ? kMaxChunkSizeLine : kMaxHeadLine);
        if (state_ == State::Trailer) {
            trailerBytes_ += pos - before;
        }
        if (status == LineReader::Status::TooLong || trailerBytes_ > kMaxHeadBytes) {
            state_ = State::Failed;
        } else if (status == LineReader::Status::Line) {
            if (state_ == State::SizeLine) {
                TakeSizeLine(lines_.line());
            } else if (state_ == State::DataEnd) {
                state_ = State::SizeLine; // the line end after the data is dropped
            } else {
                TakeTrailerLine(lines_.line());
            }
        }
    }
    return pos;
}

void ChunkedDecoder::TakeSizeLine(std::u16string_view line) {
    auto size = ParseChunkSize(line);
    if (!size) {
        state_ = State::Failed;
    } else if (*size == 0) {
        state_ = State::Trailer;
    } else {
        remaining_ = *size;
        state_ = State::Data;
    }
}

void ChunkedDecoder::TakeTrailerLine(const std::u16string& line) {
    if (line.empty()) {
        state_ = State::Done;
        return;
    }
    if (++trailerLines_ > kMaxHeaderCount) {
        state_ = State::Failed;
        return;
    }
    if (auto header = ParseHeaderLine(line)) {
        trailers_.Add(std::move(*header));
    }
}

} // namespace hx::net
