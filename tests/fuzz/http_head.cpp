// Fuzz target for the response head reader: the input is read in one slice and in slices
// whose sizes come from the input itself; both readings must agree, and no reading may
// exceed the head's caps.
#include "net/ResponseHead.h"

#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <span>

using namespace hx::net;

namespace {

size_t ReadInSlices(HeadReader& r, std::span<const uint8_t> in, uint8_t seed) {
    size_t pos = 0, consumed = 0;
    size_t slice = 1 + seed % 17;
    while (pos < in.size()) {
        size_t n = std::min(slice, in.size() - pos);
        size_t used = r.Feed(in.subspan(pos, n));
        Require(used <= n);
        consumed += used;
        if (r.complete() || r.failed()) {
            Require(r.Feed(in.subspan(pos + used)) == 0); // nothing more once ended
            break;
        }
        Require(used == n); // an unfinished head takes everything offered
        pos += n;
        slice = 1 + (slice * 7 + seed) % 4099;
    }
    return consumed;
}

void CheckHead(const HeadReader& r) {
    Require(r.headers().items.size() <= kMaxHeaderCount);
    for (const auto& h : r.headers().items) {
        Require(h.name.size() + h.value.size() < kMaxHeadLine);
    }
    Require(r.statusLine().size() <= kMaxHeadLine);
    Require(r.statusCode() >= -1);
    if (auto length = ContentLength(r.headers())) {
        Require(*length >= 0);
    }
    (void)IsChunked(r.headers());
    (void)AllowsKeepAlive(r.headers());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> in(data, size);
    HeadReader whole;
    size_t wholeUsed = whole.Feed(in);
    Require(wholeUsed <= size);
    HeadReader sliced;
    size_t slicedUsed = ReadInSlices(sliced, in, size ? data[0] : 0);

    Require(wholeUsed == slicedUsed);
    Require(whole.state() == sliced.state() && whole.failure() == sliced.failure());
    Require(whole.statusLine() == sliced.statusLine());
    Require(whole.headers().items.size() == sliced.headers().items.size());
    for (size_t i = 0; i < whole.headers().items.size(); ++i) {
        Require(whole.headers().items[i].name == sliced.headers().items[i].name &&
                whole.headers().items[i].value == sliced.headers().items[i].value);
    }

    whole.ConnectionEnded();
    Require(whole.complete() || whole.failed());
    CheckHead(whole);
    // What follows a finished head is read as the next head, as after a 100.
    if (whole.complete()) {
        whole.Reset();
        whole.Feed(in.subspan(wholeUsed));
        CheckHead(whole);
    }
    return 0;
}
