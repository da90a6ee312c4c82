// The client against servers that are slow, endless or malformed: every request ends within
// its limits (shortened here), and no broken body counts as whole.

#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "net/Socket.h"

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
using test::Urgent;
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
    EXPECT_EQ(std::int64_t(client->LastResult().text.size()), kMaxFailureBody);
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

TEST(HttpLimits, OurOwnTimeIsNotTheServers) {
    // The whole body waits in the socket, but every block's handler takes longer than the
    // read limit (a modal loop, a slow disk).
    const std::string body(4 * kBodyBlockSize + 10, 'b');
    ScriptedServer server({{WaitRequest(), Send(test::Response200(body)), WaitRequest(), Pause(100),
                            Send(test::Response200("after"))}});
    auto client = QuickClient();
    client->OnWork = [](THttpClient&, TWorkMode, std::int64_t) {
        std::this_thread::sleep_for(600ms);
    };
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/busy"), file));
    EXPECT_TRUE(client->LastBodyComplete());
    EXPECT_TRUE(Text(file) == body);
#ifdef _WIN32
    // The window's handler runs while the head is awaited, and takes longer than its limit.
    client->OnWork = nullptr;
    client->OnWaitMessages = [](THttpClient&) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        std::this_thread::sleep_for(600ms);
    };
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_EQ(client->Get(server.Url("/after")), u"after");
#endif
}

TEST(HttpLimits, UrgentDataIsNothingToWaitFor) {
    // One byte of urgent data, then silence: in place of the head, after part of a body, and
    // left pending on a kept-alive connection when it is checked for the next request.
    ScriptedServer server({
        {WaitRequest(), Urgent("!"), Pause(5000)},
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), Urgent("!"),
         Pause(5000)},
        {WaitRequest(), Urgent("!"), Send(test::Response200("kept")), WaitRequest(),
         Send(test::Response200("again"))},
        Reply(test::Response200("again")), // the urgent byte may count as dirt: a new connection
    });
    auto client = QuickClient();
    MemoryOutputStream head, body;
    const auto took = Timed([&] {
        EXPECT_FALSE(client->Get(server.Url("/head"), head));
        EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
        EXPECT_FALSE(client->Get(server.Url("/body"), body));
        EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
        EXPECT_EQ(client->Get(server.Url("/kept")), u"kept");
        EXPECT_EQ(client->Get(server.Url("/again")), u"again");
    });
    EXPECT_LT(took, 4s);
    EXPECT_EQ(Text(body), "abc");
}

TEST(HttpLimits, AFailurePageIsReadOnlyForAFewSeconds) {
    // A not-found page that comes fast enough for the body window, for much longer than a
    // failure body may take, on either profile.
    const Script trickle = Then({WaitRequest(), Send("HTTP/1.1 404 Not Found\r\n\r\n")},
                                Drip(std::string(20000, 'p'), 200, 50));
    ScriptedServer server({trickle, trickle});
    auto download = QuickClient();
    THttpClient check;
    check.FailureBodyWaitMs = download->FailureBodyWaitMs = 400;
    for (THttpClient* client : {download.get(), &check}) {
        const auto took =
            Timed([&] { EXPECT_EQ(client->Get(server.Url("/missing")), std::nullopt); });
        EXPECT_EQ(client->LastResult().kind, FailureKind::Status);
        EXPECT_LT(took, 3s);
        EXPECT_FALSE(client->Connected());
    }
}

TEST(HttpLimits, ANameServerThatNeverAnswersIsLeftBehind) {
    struct Silence {
        std::mutex mutex;
        std::condition_variable over;
        bool ended = false;
    };
    const auto silence = std::make_shared<Silence>();
    const Lookup never = [silence](const std::string&, const std::string&) {
        std::unique_lock lock(silence->mutex);
        silence->over.wait(lock, [&] { return silence->ended; });
        return std::optional<Ipv4Endpoint>();
    };
    // The connect limit bounds the lookup, and so does the whole request's (the check's).
    THttpClient byConnect(std::make_unique<Socket>(never));
    byConnect.ConnectTimeoutMs = 300;
    THttpClient byTotal(std::make_unique<Socket>(never));
    byTotal.TotalTimeoutMs = 300;
    for (THttpClient* client : {&byConnect, &byTotal}) {
        const auto took =
            Timed([&] { EXPECT_EQ(client->Get(u"http://updates.invalid/"), std::nullopt); });
        EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
        EXPECT_LT(took, 3s);
    }
#ifdef _WIN32
    // The window answers during the lookup, and Close there gives it up at once.
    THttpClient closed(std::make_unique<Socket>(never));
    closed.OnWaitMessages = [](THttpClient& sender) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        sender.Disconnect();
    };
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    const auto took =
        Timed([&] { EXPECT_EQ(closed.Get(u"http://updates.invalid/"), std::nullopt); });
    EXPECT_EQ(closed.LastResult().kind, FailureKind::Connect);
    EXPECT_LT(took, 3s);
#endif
    {
        const std::lock_guard lock(silence->mutex);
        silence->ended = true;
    }
    silence->over.notify_all();
}

// Lengths past 4 GiB, without sending them: what a 32-bit count would take for a small body.
class SizeOnlyStream final : public OutputStream {
public:
    std::int64_t Position() override { return position_; }
    std::int64_t Size() override { return size_; }
    bool Seek(std::int64_t position) override { return (position_ = position) >= 0; }
    bool SetSize(std::int64_t size) override { return (size_ = size) >= 0; }
    bool Write(std::span<const std::uint8_t> data) override {
        position_ += std::int64_t(data.size());
        size_ = std::max(size_, position_);
        return true;
    }

private:
    std::int64_t position_ = 0, size_ = 0;
};

TEST(HttpCompleteness, LengthsBeyond4GiBAreNeverCutTo32Bits) {
    // 2^32 + 5: its low 32 bits would make the five bytes sent a whole body.
    ScriptedServer server({
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Length: 4294967301\r\n\r\nhello"),
         Close()},
        {WaitRequest(),
         Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n100000005\r\nhello"), Close()},
    });
    auto client = QuickClient();
    std::int64_t announced = 0;
    client->OnWorkBegin = [&](THttpClient&, TWorkMode, std::int64_t max) { announced = max; };
    SizeOnlyStream length, chunked;
    EXPECT_TRUE(client->Get(server.Url("/length"), length));
    EXPECT_EQ(announced, 4294967301);
    EXPECT_FALSE(client->LastBodyComplete());
    EXPECT_EQ(length.Size(), 5);
    EXPECT_FALSE(client->Get(server.Url("/chunked"), chunked));
    EXPECT_EQ(client->LastResult().kind, FailureKind::ChunkedCut);
    EXPECT_EQ(chunked.Size(), 5);
}

// Each of these would have counted as a whole body.
TEST(HttpCompleteness, BrokenFramingFails) {
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    ScriptedServer server({
        Reply(chunked + "3\r\nabc\r\n0x0c\r\nhello world!\r\n0\r\n\r\n"),
        Reply(chunked + "3\r\nabc\r\n-5\r\n"),
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 7\r\n\r\nabcdefg"),
        // Equal repeats keep the connection for the next request; one list that disagrees
        // with itself fails like two lines that do.
        {WaitRequest(),
         Send("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 3 \r\n\r\nabc"),
         WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Length: 5, 7\r\n\r\nabcdefg")},
        // A list of equal lengths is that length: the kept-alive connection serves the next.
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Length: 3 ,3\r\n\r\nabc"), WaitRequest(),
         Send(test::Response200("next"))},
    });
    auto client = QuickClient();
    MemoryOutputStream hex0x, minus, conflict, repeat, listConflict, list;
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
    EXPECT_FALSE(client->Get(server.Url("/list-conflict"), listConflict));
    EXPECT_EQ(client->LastResult().kind, FailureKind::BadLength);
    EXPECT_TRUE(listConflict.bytes().empty());
    const auto took = Timed([&] { EXPECT_TRUE(client->Get(server.Url("/list"), list)); });
    EXPECT_TRUE(client->LastBodyComplete());
    EXPECT_EQ(Text(list), "abc");
    EXPECT_LT(took, 300ms) << "read to the connection's end instead of the length";
    EXPECT_EQ(client->Get(server.Url("/next")), u"next");
    EXPECT_EQ(server.Connections(), 5u);
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
