// The response head: one slice, byte by byte, every split, and each limit.
#include <gtest/gtest.h>

#include "net/ResponseHead.h"
#include "tests/net/NetTestUtil.h"

namespace hx::net {
namespace {

using test::Bytes;

const std::string kHead = "HTTP/1.1 200 OK\r\n"
                          "Content-Type: text/plain; charset=utf-8\r\n"
                          "Set-Cookie: a=1\r\n"
                          "set-cookie:b=2  \r\n"
                          "Location:  http://h:1/x \r\n"
                          "\r\n";
const std::string kBody = "body bytes";

void ExpectParsed(const HeadReader& r) {
    ASSERT_EQ(r.state(), HeadReader::State::Complete);
    EXPECT_EQ(r.statusLine(), u"HTTP/1.1 200 OK");
    EXPECT_EQ(r.statusCode(), 200);
    ASSERT_NE(r.headers().Find(u"content-type"), nullptr);
    EXPECT_EQ(*r.headers().Find(u"CONTENT-TYPE"), u"text/plain; charset=utf-8");
    EXPECT_EQ(r.headers().All(u"Set-Cookie"), (std::vector<std::u16string>{u"a=1", u"b=2"}));
    EXPECT_EQ(*r.headers().Find(u"Location"), u"http://h:1/x"); // split at the first ':'
}

TEST(HeadReader, ReadsAHeadInOneSliceAndLeavesTheBody) {
    HeadReader r;
    std::string all = kHead + kBody;
    EXPECT_EQ(r.Feed(Bytes(all)), kHead.size());
    ExpectParsed(r);
    EXPECT_EQ(r.Feed(Bytes(kBody)), 0u); // nothing more once complete
}

TEST(HeadReader, ReadsAHeadByteByByte) {
    HeadReader r;
    std::string all = kHead + kBody;
    size_t consumed = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        consumed += r.Feed(Bytes(all).subspan(i, 1));
    }
    EXPECT_EQ(consumed, kHead.size());
    ExpectParsed(r);
}

TEST(HeadReader, AnySplitGivesTheSameHead) {
    std::string all = kHead + kBody;
    for (size_t split = 0; split <= all.size(); ++split) {
        HeadReader r;
        size_t first = r.Feed(Bytes(all).first(split));
        size_t second = r.Feed(Bytes(all).subspan(first));
        EXPECT_EQ(first + second, kHead.size()) << "split " << split;
        ExpectParsed(r);
    }
}

TEST(HeadReader, LineEndsAtLfAndOnlyACrBeforeItIsDropped) {
    HeadReader r;
    r.Feed(Bytes("HTTP/1.0 404 Not Found\nX-A: one\rtwo\nX-B: \xE9t\xE9\r\n\n"));
    ASSERT_TRUE(r.complete());
    EXPECT_EQ(r.statusCode(), 404);
    EXPECT_EQ(*r.headers().Find(u"X-A"), u"one\rtwo");
    EXPECT_EQ(*r.headers().Find(u"X-B"), u"\ufffdt\ufffd"); // bytes above 0x7F
}

TEST(HeadReader, SkipsBlankLinesBeforeTheStatusAndOddHeaderLines) {
    HeadReader r;
    r.Feed(Bytes("\r\n\r\nHTTP/1.1 204 No Content\r\nno colon here\r\n  Spaced  :  v  \r\n"
                 "Empty:\r\n\r\n"));
    ASSERT_TRUE(r.complete());
    EXPECT_EQ(r.statusCode(), 204);
    ASSERT_EQ(r.headers().items.size(), 2u);
    EXPECT_EQ(*r.headers().Find(u"Spaced"), u"v");
    EXPECT_EQ(*r.headers().Find(u"empty"), u"");
}

TEST(HeadReader, ReadsConsecutiveHeadsAfterReset) {
    std::string wire = "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nA: b\r\n\r\nrest";
    HeadReader r;
    size_t first = r.Feed(Bytes(wire));
    ASSERT_TRUE(r.complete());
    EXPECT_EQ(r.statusCode(), 100);
    r.Reset();
    EXPECT_EQ(r.statusCode(), -1);
    size_t second = r.Feed(Bytes(wire).subspan(first));
    ASSERT_TRUE(r.complete());
    EXPECT_EQ(r.statusCode(), 200);
    EXPECT_EQ(wire.substr(first + second), "rest");
    EXPECT_EQ(r.headers().items.size(), 1u);
}

TEST(HeadReader, ConnectionEndAfterTheStatusLineEndsTheHead) {
    HeadReader r;
    r.Feed(Bytes("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nX-Cut: unfinis"));
    r.ConnectionEnded();
    ASSERT_EQ(r.state(), HeadReader::State::Complete);
    EXPECT_EQ(r.headers().items.size(), 1u); // the unfinished line is dropped
    EXPECT_EQ(ContentLength(r.headers()), 5);
}

TEST(HeadReader, ConnectionEndBeforeTheStatusLineFails) {
    for (std::string sent : {"", "\r\n", "HTTP/1.1 200 OK"}) {
        HeadReader r;
        r.Feed(Bytes(sent));
        r.ConnectionEnded();
        EXPECT_EQ(r.state(), HeadReader::State::Failed) << sent;
        EXPECT_EQ(r.failure(), HeadReader::Failure::ClosedBeforeStatus);
    }
}

TEST(HeadReader, LongestLineIsAccepted) {
    for (std::string end : {"\r\n", "\n"}) {
        std::string line = "X: " + std::string(kMaxHeadLine - 3, 'v');
        std::string head = "HTTP/1.1 200 OK\r\n" + line + end + "\r\n";
        HeadReader whole, bytewise;
        whole.Feed(Bytes(head));
        for (size_t i = 0; i < head.size(); ++i) {
            bytewise.Feed(Bytes(head).subspan(i, 1));
        }
        EXPECT_TRUE(whole.complete());
        EXPECT_TRUE(bytewise.complete());
        EXPECT_EQ(whole.headers().Find(u"X")->size(), kMaxHeadLine - 3);
    }
}

TEST(HeadReader, LongerLineFails) {
    std::string tooLong =
        "HTTP/1.1 200 OK\r\nX: " + std::string(kMaxHeadLine - 2, 'v') + "\r\n\r\n";
    HeadReader r;
    size_t consumed = r.Feed(Bytes(tooLong));
    EXPECT_EQ(r.failure(), HeadReader::Failure::LineTooLong);
    EXPECT_LT(consumed, tooLong.size());
    EXPECT_EQ(r.Feed(Bytes("\r\n")), 0u); // sticky

    HeadReader status; // an endless status line, CRs included
    std::string crs(kMaxHeadLine + 10, '\r');
    status.Feed(Bytes(crs));
    EXPECT_EQ(status.failure(), HeadReader::Failure::LineTooLong);
}

TEST(HeadReader, CapsTheHeaderCountAndTheHeadSize) {
    std::string head = "HTTP/1.1 200 OK\r\n";
    for (size_t i = 0; i < kMaxHeaderCount; ++i) {
        head += "H: v\r\n";
    }
    HeadReader atCap;
    atCap.Feed(Bytes(head + "\r\n"));
    EXPECT_TRUE(atCap.complete());
    HeadReader overCap;
    overCap.Feed(Bytes(head + "H: v\r\n\r\n"));
    EXPECT_EQ(overCap.failure(), HeadReader::Failure::TooManyHeaders);

    std::string big = "HTTP/1.1 200 OK\r\n";
    std::string line = "H: " + std::string(16000, 'v') + "\r\n";
    while (big.size() <= kMaxHeadBytes) {
        big += line;
    }
    HeadReader large;
    large.Feed(Bytes(big));
    EXPECT_EQ(large.failure(), HeadReader::Failure::HeadTooLarge);
}

TEST(StatusCode, IsTheSecondFieldUpToADot) {
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1 200 OK"), 200);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1 404"), 404);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.0 100 Continue"), 100);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1 302.5 Odd"), 302);
    EXPECT_EQ(ParseStatusCode(u"ICY 200 OK"), 200);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1 abc OK"), -1);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1"), -1);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1  200 OK"), -1); // the second field is empty
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1 -5 x"), -1);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1 .200 x"), -1);
    EXPECT_EQ(ParseStatusCode(u"HTTP/1.1 99999999999 x"), -1);
    EXPECT_EQ(ParseStatusCode(u""), -1);
}

HeaderList Headers(std::initializer_list<Header> items) {
    HeaderList list;
    for (const auto& h : items) {
        list.Add(h);
    }
    return list;
}

TEST(HeadHelpers, ContentLengthIsANumberOrNothing) {
    EXPECT_EQ(ContentLength(Headers({{u"Content-Length", u"123"}})), 123);
    EXPECT_EQ(ContentLength(Headers({{u"content-length", u" 0 "}})), 0);
    EXPECT_EQ(ContentLength(Headers({{u"Content-Length", u"9223372036854775807"}})), INT64_MAX);
    EXPECT_EQ(ContentLength(Headers({{u"Content-Length", u"5"}, {u"Content-Length", u"6"}})), 5);
    for (auto bad : {u"", u"abc", u"-1", u"+1", u"12a", u"1 2", u"0x10", u"9223372036854775808",
                     u"99999999999999999999999"}) {
        EXPECT_FALSE(ContentLength(Headers({{u"Content-Length", bad}}))) << test::Utf8(bad);
    }
    EXPECT_FALSE(ContentLength(Headers({{u"Content-Type", u"5"}})));
}

TEST(HeadHelpers, ChunkedAndKeepAlive) {
    EXPECT_TRUE(IsChunked(Headers({{u"Transfer-Encoding", u"gzip, CHUNKED"}})));
    EXPECT_TRUE(
        IsChunked(Headers({{u"Transfer-Encoding", u"gzip"}, {u"transfer-encoding", u"chunked"}})));
    EXPECT_FALSE(IsChunked(Headers({{u"Transfer-Encoding", u"identity"}})));
    EXPECT_FALSE(IsChunked(Headers({})));

    EXPECT_TRUE(AllowsKeepAlive(Headers({})));
    EXPECT_TRUE(AllowsKeepAlive(Headers({{u"Connection", u"keep-alive"}})));
    EXPECT_TRUE(AllowsKeepAlive(Headers({{u"Connection", u"close, upgrade"}})));
    EXPECT_FALSE(AllowsKeepAlive(Headers({{u"Connection", u" Close\t"}})));
    EXPECT_FALSE(AllowsKeepAlive(Headers({{u"Proxy-Connection", u"CLOSE"}})));
}

} // namespace
} // namespace hx::net
