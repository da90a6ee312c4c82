// A small PNG writer for tests: builds well-formed files chunk by chunk, so each test can
// then break exactly one thing.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace hx::test {

using Bytes = std::vector<uint8_t>;

inline void PutBe32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(uint8_t(v >> shift));
    }
}

inline Bytes Ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType,
                  uint8_t interlace = 0) {
    Bytes d;
    PutBe32(d, width);
    PutBe32(d, height);
    d.insert(d.end(), {depth, colourType, 0, 0, interlace});
    return d;
}

// Compresses `raw` into one zlib stream; `flushEvery` > 0 ends a deflate block after that
// many input bytes, so the stream has several blocks with back-references across them.
inline Bytes Zlib(std::span<const uint8_t> raw, int level = 6, size_t flushEvery = 0) {
    z_stream zs{};
    deflateInit(&zs, level);
    Bytes out(deflateBound(&zs, uLong(raw.size())) + 64 * (raw.size() / 16 + 1));
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    size_t pos = 0;
    do {
        const size_t n = flushEvery ? std::min(flushEvery, raw.size() - pos) : raw.size() - pos;
        zs.next_in = const_cast<Bytef*>(raw.data() + pos);
        zs.avail_in = uInt(n);
        pos += n;
        deflate(&zs, pos == raw.size() ? Z_FINISH : Z_FULL_FLUSH);
    } while (pos < raw.size());
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

class PngWriter {
public:
    PngWriter() { bytes_ = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}; }

    // Appends a chunk; `length` overrides the stored length field, `crcDelta` spoils the CRC.
    PngWriter& Chunk(const std::string& type, std::span<const uint8_t> data, int64_t length = -1,
                     uint32_t crcDelta = 0) {
        PutBe32(bytes_, length < 0 ? uint32_t(data.size()) : uint32_t(length));
        const size_t typeAt = bytes_.size();
        bytes_.insert(bytes_.end(), type.begin(), type.end());
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        const uLong crc = crc32(0, bytes_.data() + typeAt, uInt(bytes_.size() - typeAt));
        PutBe32(bytes_, uint32_t(crc) + crcDelta);
        return *this;
    }
    PngWriter& Chunk(const std::string& type, const Bytes& data = {}) {
        return Chunk(type, std::span<const uint8_t>(data));
    }
    PngWriter& End() { return Chunk("IEND"); }

    Bytes bytes_;
};

// Filters one row of `bpp`-byte pixels as an encoder would, given the previous raw row.
inline Bytes FilterRow(uint8_t type, const uint8_t* row, const uint8_t* prev, size_t n,
                       size_t bpp) {
    Bytes out{type};
    for (size_t i = 0; i < n; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prev[i];
        const int c = i >= bpp ? prev[i - bpp] : 0;
        int predictor = 0;
        switch (type) {
        case 1:
            predictor = a;
            break;
        case 2:
            predictor = b;
            break;
        case 3:
            predictor = (a + b) / 2;
            break;
        case 4: {
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b),
                      pc = std::abs(p - c);
            predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            break;
        }
        default:
            break;
        }
        out.push_back(uint8_t(row[i] - predictor));
    }
    return out;
}

// The filtered, uncompressed image data for `samples` (rows of width * bpp bytes), with
// row y using filter filters[y % filters.size()].
inline Bytes FilteredRows(const Bytes& samples, uint32_t width, uint32_t height, size_t bpp,
                          const std::vector<uint8_t>& filters) {
    const size_t n = size_t(width) * bpp;
    const Bytes zeros(n, 0);
    Bytes out;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = samples.data() + y * n;
        const uint8_t* prev = y ? row - n : zeros.data();
        const Bytes f = FilterRow(filters[y % filters.size()], row, prev, n, bpp);
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

} // namespace hx::test
