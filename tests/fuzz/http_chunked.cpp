// Fuzz target for the chunked decoder: one slice and input-driven slices must agree on
// the data, the bytes consumed and the trailers; the data never exceeds what was consumed.
#include "net/ChunkedDecoder.h"

#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <span>

using namespace hx::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> in(data, size);
    ChunkedDecoder whole;
    std::vector<uint8_t> wholeData;
    size_t wholeUsed = whole.Feed(in, wholeData);
    Require(wholeUsed <= size && wholeData.size() <= wholeUsed);

    ChunkedDecoder sliced;
    std::vector<uint8_t> slicedData;
    size_t slicedUsed = 0, pos = 0;
    size_t slice = 1 + (size ? data[size - 1] : 0) % 13;
    while (pos < size) {
        size_t n = std::min(slice, size - pos);
        size_t before = slicedData.size();
        size_t used = sliced.Feed(in.subspan(pos, n), slicedData);
        Require(used <= n && slicedData.size() - before <= used);
        slicedUsed += used;
        if (sliced.done() || sliced.failed()) {
            Require(sliced.Feed(in.subspan(pos + used), slicedData) == 0);
            break;
        }
        Require(used == n);
        pos += n;
        slice = 1 + (slice * 5 + 3) % 1031;
    }

    Require(wholeUsed == slicedUsed && wholeData == slicedData);
    Require(whole.state() == sliced.state());
    Require(whole.trailers().items.size() == sliced.trailers().items.size());
    Require(whole.trailers().items.size() <= kMaxHeaderCount);
    return 0;
}
