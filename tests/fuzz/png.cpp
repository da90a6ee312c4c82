// Fuzz target for the PNG decoder. Each input is decoded twice: as given, and with every
// chunk CRC recomputed, because random mutations almost never keep a CRC valid and would
// otherwise stop at the first chunk.
#include "ui/Png.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(const std::vector<uint8_t>& bytes) {
    const hx::ui::PngResult r = hx::ui::DecodePng(bytes);
    if (r.bitmap.has_value() != (r.error == hx::ui::PngError::None)) {
        std::abort();
    }
    if (r.bitmap && (r.bitmap->width == 0 || r.bitmap->height == 0 ||
                     r.bitmap->rgba.size() != size_t(r.bitmap->width) * r.bitmap->height * 4)) {
        std::abort();
    }
}

void FixCrcs(std::vector<uint8_t>& b) {
    size_t pos = 8;
    while (b.size() - pos >= 12 && pos < b.size()) {
        const uint32_t length = (uint32_t(b[pos]) << 24) | (uint32_t(b[pos + 1]) << 16) |
                                (uint32_t(b[pos + 2]) << 8) | b[pos + 3];
        if (length > b.size() - pos - 12) {
            return;
        }
        const uint32_t crc = uint32_t(crc32(0, &b[pos + 4], uInt(4 + length)));
        const size_t at = pos + 8 + length;
        for (int i = 0; i < 4; ++i) {
            b[at + i] = uint8_t(crc >> (24 - 8 * i));
        }
        pos = at + 4;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    Check(bytes);
    if (size > 8) {
        FixCrcs(bytes);
        Check(bytes);
    }
    return 0;
}
