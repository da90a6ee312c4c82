// Chunked framing: every framing case, every slicing, and the caps.
#include <gtest/gtest.h>

#include "net/ChunkedDecoder.h"
#include "tests/net/NetTestUtil.h"

namespace hx::net {
namespace {

using test::Bytes;

struct Decoded {
    std::string data;
    size_t consumed = 0;
    ChunkedDecoder decoder;
};

Decoded DecodeInSlices(std::string_view wire, size_t slice) {
    Decoded d;
    std::vector<uint8_t> out;
    for (size_t pos = 0; pos < wire.size(); pos += slice) {
        d.consumed += d.decoder.Feed(Bytes(wire.substr(pos, slice)), out);
    }
    d.data.assign(out.begin(), out.end());
    return d;
}

const std::string kWire = "4\r\nWiki\r\n5;ext=\"a;b\"\r\npedia\r\nE\r\n in\r\n\r\nchunks.\r\n"
                          "0\r\nX-Checksum: 42\r\nX-Other:  two \r\n\r\n";
const std::string kData = "Wikipedia in\r\n\r\nchunks.";
const std::string kNext = "HTTP/1.1 200 OK\r\n";

TEST(Chunked, DecodesInOneSliceAndCountsTheFraming) {
    std::vector<uint8_t> out;
    ChunkedDecoder d;
    std::string wire = kWire + kNext;
    size_t consumed = d.Feed(Bytes(wire), out);
    EXPECT_EQ(consumed, kWire.size()); // the next response is left alone
    EXPECT_TRUE(d.done());
    EXPECT_EQ(std::string(out.begin(), out.end()), kData);
    EXPECT_EQ(*d.trailers().Find(u"x-checksum"), u"42");
    EXPECT_EQ(*d.trailers().Find(u"X-Other"), u"two");
    EXPECT_EQ(d.Feed(Bytes(kNext), out), 0u);
}

TEST(Chunked, AnySliceSizeGivesTheSameResult) {
    std::string wire = kWire + kNext;
    for (size_t slice = 1; slice <= wire.size(); ++slice) {
        Decoded d = DecodeInSlices(wire, slice);
        EXPECT_TRUE(d.decoder.done()) << "slice " << slice;
        EXPECT_EQ(d.data, kData) << "slice " << slice;
        EXPECT_EQ(d.consumed, kWire.size()) << "slice " << slice;
        EXPECT_EQ(d.decoder.trailers().items.size(), 2u);
    }
}

TEST(Chunked, AcceptsLenientSizeLines) {
    Decoded d = DecodeInSlices("  a  \n0123456789\n00000000000000000000003 ; x\r\nabc\r\n0\n\n", 1);
    EXPECT_TRUE(d.decoder.done());
    EXPECT_EQ(d.data, "0123456789abc");
}

TEST(Chunked, DropsWhateverFollowsTheDataOnItsLine) {
    Decoded d = DecodeInSlices("4\r\nWikiJUNK\r\n2\r\nok\r\n0\r\n\r\n", 3);
    EXPECT_TRUE(d.decoder.done());
    EXPECT_EQ(d.data, "Wikiok");
}

// Taken for the last chunk, such a size would cut the data and call the body whole.
TEST(Chunked, ASizeThatIsNotAHexNumberFails) {
    for (std::string line : {"zz", "", "-5", "0x0c", "1g", "; only=ext"}) {
        Decoded d = DecodeInSlices("3\r\nabc\r\n" + line + "\r\nmore\r\n0\r\n\r\n", 64);
        EXPECT_TRUE(d.decoder.failed()) << line;
        EXPECT_EQ(d.data, "abc") << line;
    }
}

TEST(Chunked, ParsesChunkSizes) {
    EXPECT_EQ(ParseChunkSize(u"1A"), 26);
    EXPECT_EQ(ParseChunkSize(u"ff;name=value"), 255);
    EXPECT_EQ(ParseChunkSize(u"\t10 "), 16);
    EXPECT_FALSE(ParseChunkSize(u"nonsense"));
    EXPECT_EQ(ParseChunkSize(u"000000000000000000000000001"), 1);
    EXPECT_EQ(ParseChunkSize(u"10000000000"), kMaxChunkSize);
    EXPECT_FALSE(ParseChunkSize(u"10000000001"));         // above the cap
    EXPECT_FALSE(ParseChunkSize(u"FFFFFFFFFFFFFFFF"));    // would not fit an int64
    EXPECT_FALSE(ParseChunkSize(u"1000000000000000000")); // too many digits
}

TEST(Chunked, OversizedChunksAndLinesFail) {
    Decoded huge = DecodeInSlices("FFFFFFFFFFFFFFFFFFFF\r\n", 4);
    EXPECT_TRUE(huge.decoder.failed());
    std::vector<uint8_t> out;
    EXPECT_EQ(huge.decoder.Feed(Bytes("0\r\n\r\n"), out), 0u); // sticky

    Decoded longLine = DecodeInSlices("1;" + std::string(kMaxChunkSizeLine, 'x') + "\r\n", 1000);
    EXPECT_TRUE(longLine.decoder.failed());

    std::string trailers = "0\r\n";
    for (size_t i = 0; i <= kMaxHeaderCount; ++i) {
        trailers += "T: v\r\n";
    }
    Decoded many = DecodeInSlices(trailers + "\r\n", 4096);
    EXPECT_TRUE(many.decoder.failed());
}

// Only the empty line after the last chunk ends the body: the reader fails any body whose
// connection ends before it.
TEST(Chunked, OnlyTheEndOfTheTrailerIsDone) {
    for (std::string cut :
         {"", "4\r\nWi", "4\r\nWiki", "4\r\nWiki\r\n", "0\r\n", "0\r\nT: 1\r\n"}) {
        Decoded d = DecodeInSlices(cut, 1);
        EXPECT_FALSE(d.decoder.done() || d.decoder.failed()) << cut;
    }
    EXPECT_TRUE(DecodeInSlices("0\r\n\r\n", 1).decoder.done());
}

TEST(Chunked, LargeChunkInBlocks) {
    const size_t size = 100000;
    std::string payload(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        payload[i] = static_cast<char>(i * 7);
    }
    char sizeLine[32];
    std::snprintf(sizeLine, sizeof sizeLine, "%zx\r\n", size);
    std::string wire = sizeLine + payload + "\r\n0\r\n\r\n";
    Decoded d = DecodeInSlices(wire, 32768);
    EXPECT_TRUE(d.decoder.done());
    EXPECT_EQ(d.data, payload);
    EXPECT_EQ(d.consumed, wire.size());
}

} // namespace
} // namespace hx::net
