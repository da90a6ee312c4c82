// The client against servers that are slow, endless or malformed: every request ends within
// its limits (shortened here), and no broken body counts as whole.

#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <chrono>

#include "tests/net/NetTestUtil.h"
#include "tests/net/ScriptedServer.h"

namespace hx::net {
namespace {

using namespace std::chrono_literals;
using test::Close;
using test::Pause;
using test::Reply;
using test::Reset;
using test::Script;
using test::ScriptedServer;
using test::Send;
using test::WaitRequest;

// `bytes` sent `piece` bytes at a time, `pauseMs` apart.
Script Drip(const std::string& bytes, std::size_t piece, int pauseMs) {
    Script script;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        script.push_back(Send(bytes.substr(at, piece)));
        script.push_back(Pause(pauseMs));
    }
    return script;
}

Script Then(Script first, const Script& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// A download client whose limits are a few hundred milliseconds instead of 30 s.
std::unique_ptr<THttpClient> QuickClient() {
    auto client = std::make_unique<THttpClient>();
    test::UseDownloadSettings(*client);
    client->HeadTimeoutMs = 400;
    client->ReadTimeoutMs = 400;
    client->RedirectBodyWaitMs = 400;
    return client;
}

// Runs `get` and says how long it took.
template <class F> std::chrono::milliseconds Timed(F&& get) {
    const auto start = std::chrono::steady_clock::now();
    get();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

std::string Text(const MemoryOutputStream& stream) {
    return std::string(stream.bytes().begin(), stream.bytes().end());
}

TEST(HttpLimits, AHeadMustArriveWholeInTimeHoweverItDrips) {
    // Each byte comes well within a read's limit, but the head takes 8 s in all.
    ScriptedServer server(
        {Then({WaitRequest()},
              Drip("HTTP/1.1 200 OK\r\nX-Slow: " + std::string(80, 'x') + "\r\n\r\n", 1, 80))});
    auto client = QuickClient();
    MemoryOutputStream file;
    const auto took = Timed([&] { EXPECT_FALSE(client->Get(server.Url("/head"), file)); });
    EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
    EXPECT_LT(took, 3s);
}

TEST(HttpLimits, ABodyThatDripsFailsButASmallRestMayTakeItsTime) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n";
    ScriptedServer dripping(
        {Then({WaitRequest(), Send(head)}, Drip(std::string(500, 'd'), 5, 50))});
    auto client = QuickClient();
    MemoryOutputStream file;
    const auto took = Timed([&] { EXPECT_FALSE(client->Get(dripping.Url("/drip"), file)); });
    EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
    EXPECT_LT(took, 3s);
    EXPECT_FALSE(file.bytes().empty()); // what came before the time-out is kept
    EXPECT_EQ(Text(file), std::string(file.bytes().size(), 'd'));

    // Fewer than 1,024 bytes in the window, but they are the whole rest of the body.
    ScriptedServer small(
        {Then({WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Length: 30\r\n\r\n")},
              Drip(std::string(30, 's'), 10, 60))});
    MemoryOutputStream rest;
    EXPECT_TRUE(client->Get(small.Url("/small"), rest));
    EXPECT_TRUE(client->LastBodyComplete());
    EXPECT_EQ(Text(rest), std::string(30, 's'));
}

TEST(HttpLimits, FailureAndRedirectBodiesAreReadOnlyUpToTheirCaps) {
    // A 500 page without end: 1 MiB is kept as the failure's text, then the connection goes.
    ScriptedServer endless(
        {{WaitRequest(), Send("HTTP/1.1 500 Oops\r\nContent-Type: text/plain\r\n\r\n" +
                              std::string(3 * 1024 * 1024, 'e'))}});
    auto client = QuickClient();
    MemoryOutputStream file;
    EXPECT_FALSE(client->Get(endless.Url("/error"), file));
    EXPECT_EQ(client->LastResult().kind, FailureKind::Status);
    EXPECT_EQ(client->LastResult().text.size(), kMaxFailureBody);
    EXPECT_FALSE(client->Connected());
    EXPECT_TRUE(file.bytes().empty());

    // A redirect whose body keeps coming: dropped after the wait, the redirect still followed.
    ScriptedServer redirect(
        {Then({WaitRequest(), Send("HTTP/1.1 302 Found\r\nLocation: /next\r\n\r\n")},
              Drip(std::string(2000, 'r'), 10, 50)),
         Reply(test::Response200("final"))});
    MemoryOutputStream final;
    const auto took = Timed([&] { EXPECT_TRUE(client->Get(redirect.Url("/start"), final)); });
    EXPECT_EQ(Text(final), "final");
    EXPECT_LT(took, 3s);
    EXPECT_EQ(redirect.Connections(), 2u);
}

TEST(HttpLimits, TheWholeRequestEndsWithinItsTotalLimit) {
    // Every piece within the head and body limits, but the request as a whole runs long.
    ScriptedServer server({Then({WaitRequest(), Send("HTTP/1.1 200 OK\r\n\r\n")},
                                Drip(std::string(40000, 't'), 2000, 100))});
    auto client = QuickClient();
    client->TotalTimeoutMs = 500;
    const auto took = Timed([&] { EXPECT_EQ(client->Get(server.Url("/long")), std::nullopt); });
    EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
    EXPECT_LT(took, 3s);
}

// Each of these would have counted as a whole body.
TEST(HttpCompleteness, BrokenFramingFails) {
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    ScriptedServer server({
        Reply(chunked + "3\r\nabc\r\n0x0c\r\nhello world!\r\n0\r\n\r\n"),
        Reply(chunked + "3\r\nabc\r\n-5\r\n"),
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 7\r\n\r\nabcdefg"),
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 3 \r\n\r\nabc"),
    });
    auto client = QuickClient();
    MemoryOutputStream hex0x, minus, conflict, repeat;
    EXPECT_FALSE(client->Get(server.Url("/0x"), hex0x));
    EXPECT_EQ(client->LastResult().kind, FailureKind::BadChunk);
    EXPECT_EQ(Text(hex0x), "abc");
    EXPECT_FALSE(client->Get(server.Url("/minus"), minus));
    EXPECT_EQ(client->LastResult().kind, FailureKind::BadChunk);
    EXPECT_FALSE(client->Get(server.Url("/conflict"), conflict));
    EXPECT_EQ(client->LastResult().kind, FailureKind::BadLength);
    EXPECT_TRUE(conflict.bytes().empty());
    EXPECT_TRUE(client->Get(server.Url("/repeat"), repeat));
    EXPECT_TRUE(client->LastBodyComplete());
    EXPECT_EQ(Text(repeat), "abc");
}

// Only the server's orderly close ends a head early, or a body without a length whole.
TEST(HttpCompleteness, AResetIsNoOrderlyEnd) {
    if (test::ResetsLookLikeCloses()) {
        GTEST_SKIP() << "Wine reports a reset as an orderly close (recv gives 0, FD_CLOSE no "
                        "error); the rule is shown where the system tells them apart";
    }
    const std::string half = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";
    ScriptedServer server({
        {WaitRequest(), Send(half), Pause(50), Reset()},
        {WaitRequest(), Send(half), Pause(50), Close()},
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\n\r\nto the"), Pause(50), Reset()},
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\n\r\nto the end"), Pause(50), Close()},
    });
    THttpClient check;
    EXPECT_EQ(check.Get(server.Url("/head-reset")), std::nullopt);
    EXPECT_EQ(check.LastResult().kind, FailureKind::ConnectionEnded);
    EXPECT_EQ(check.Get(server.Url("/head-close")), u"");

    auto client = QuickClient();
    MemoryOutputStream reset, closed;
    EXPECT_TRUE(client->Get(server.Url("/body-reset"), reset));
    EXPECT_FALSE(client->LastBodyComplete());
    EXPECT_EQ(Text(reset), "to the");
    EXPECT_TRUE(client->Get(server.Url("/body-close"), closed));
    EXPECT_TRUE(client->LastBodyComplete());
}

TEST(HttpClient, ChunkedBodyIsCountedInBlocksLikeTheOthers) {
    // 100 chunks of 1,000 bytes, sent a chunk at a time: 100,600 framed bytes in all.
    std::string chunks;
    for (int i = 0; i < 100; ++i) {
        chunks += "3e8\r\n" + std::string(1000, 'c') + "\r\n";
    }
    chunks += "0\r\n\r\n";
    ScriptedServer server({Then({WaitRequest(), Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: "
                                                     "chunked\r\n\r\n")},
                                Drip(chunks, 1007, 1))});
    auto client = QuickClient();
    std::vector<std::int64_t> counts;
    client->OnWork = [&](THttpClient&, TWorkMode, std::int64_t count) { counts.push_back(count); };
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/chunked"), file));
    EXPECT_EQ(file.bytes().size(), 100000u);
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.back(), std::int64_t(chunks.size()));
    // After the part that came with the head (if any), whole blocks but for the last one.
    for (std::size_t i = 1; i + 1 < counts.size(); ++i) {
        EXPECT_EQ(counts[i] - counts[i - 1], std::int64_t(kBodyBlockSize)) << i;
    }
    EXPECT_LE(counts.size(), 5u);
}

} // namespace
} // namespace hx::net
