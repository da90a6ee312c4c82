// THttpClient against the scripted loopback server: each test states what the server sends
// and the exact request bytes the client must send.

#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/net/NetTestUtil.h"
#include "tests/net/ScriptedServer.h"

namespace hx::net {
namespace {

using test::Close;
using test::Pause;
using test::Reply;
using test::Reset;
using test::Response200;
using test::ScriptedServer;
using test::Send;
using test::WaitRequest;

constexpr std::u16string_view kUa = u"Mozilla/4.0 (compatible; KORVEX)";

// A request as the server must see it; "{host}" stands for 127.0.0.1:<port>.
std::string Expect(const ScriptedServer& server, std::string head) {
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    for (std::size_t at; (at = head.find("{host}")) != std::string::npos;) {
        head.replace(at, 6, host);
    }
    return head;
}

std::string DownloadRequest(const ScriptedServer& server, std::string_view target,
                            std::string_view cookie = {}) {
    std::string head = "GET " + std::string(target) +
                       " HTTP/1.1\r\nHost: {host}\r\nAccept: text/html, */*\r\n"
                       "User-Agent: Mozilla/4.0 (compatible; KORVEX)\r\n";
    if (!cookie.empty()) {
        head += "Cookie: " + std::string(cookie) + "\r\n";
    }
    return Expect(server, head + "\r\n");
}

std::string Text(const MemoryOutputStream& stream) {
    return std::string(stream.bytes().begin(), stream.bytes().end());
}

// Records the progress events as "begin N", "work N", "end".
struct EventLog {
    std::vector<std::string> lines;
    void Attach(THttpClient& client) {
        client.OnWorkBegin = [this](THttpClient&, TWorkMode mode, std::int64_t max) {
            EXPECT_EQ(mode, TWorkMode::WorkRead);
            lines.push_back("begin " + std::to_string(max));
        };
        client.OnWork = [this](THttpClient&, TWorkMode, std::int64_t count) {
            lines.push_back("work " + std::to_string(count));
        };
        client.OnWorkEnd = [this](THttpClient&, TWorkMode) { lines.push_back("end"); };
    }
};

using Lines = std::vector<std::string>;

std::unique_ptr<THttpClient> DownloadClient() {
    auto client = std::make_unique<THttpClient>();
    test::UseDownloadSettings(*client);
    client->HeadTimeoutMs = 5000; // a fault shows as a failure, not as a 30 s hang
    client->ReadTimeoutMs = 5000;
    return client;
}

TEST(RequestHead, HostLineFollowsTheDefaultPortRuleAndCookieComesLast) {
    const Url port80 = *ParseUrl(u"http://www.korvex.com/downloads/hexaplane.exe#top");
    EXPECT_EQ(BuildRequestHead(port80, u"text/html, */*", kUa, u""),
              "GET /downloads/hexaplane.exe HTTP/1.1\r\n"
              "Host: www.korvex.com\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/4.0 (compatible; KORVEX)\r\n"
              "\r\n");
    const Url port8080 = *ParseUrl(u"http://www.korvex.com:8080/a?b=c");
    EXPECT_EQ(BuildRequestHead(port8080, u"*/*", u"ua", u"a=1; b=2"),
              "GET /a?b=c HTTP/1.1\r\n"
              "Host: www.korvex.com:8080\r\n"
              "Accept: */*\r\n"
              "User-Agent: ua\r\n"
              "Cookie: a=1; b=2\r\n"
              "\r\n");
}

TEST(RequestHead, OnlySevenBitTextAndNoLineBreaksGoOut) {
    const Url url = *ParseUrl(u"http://h/caf\u00e9");
    EXPECT_EQ(BuildRequestHead(url, u"x", u"a\r\nX-Injected: 1", u""),
              "GET /caf? HTTP/1.1\r\nHost: h\r\nAccept: x\r\nUser-Agent: a??X-Injected: 1\r\n\r\n");
}

TEST(HttpClient, BothProfilesSendExactlyTheirHeads) {
    ScriptedServer server({Reply(Response200("KORVEX|0")), Reply(Response200("payload"))});

    THttpClient check;
    check.Request.UserAgent = std::u16string(kUa);
    const auto text = check.Get(server.Url("/downloads/update/?product=hexaplane&v=2#frag"));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, u"KORVEX|0");

    auto download = DownloadClient();
    MemoryOutputStream file;
    EXPECT_TRUE(download->Get(server.Url("/downloads/hexaplane.exe"), file));
    EXPECT_EQ(Text(file), "payload");
    EXPECT_TRUE(download->LastBodyComplete());

    EXPECT_EQ(server.Received(),
              Lines({Expect(server, "GET /downloads/update/?product=hexaplane&v=2 HTTP/1.1\r\n"
                                    "Host: {host}\r\n"
                                    "Accept: text/html,application/xhtml+xml,application/"
                                    "xml;q=0.9,*/*;q=0.8\r\n"
                                    "User-Agent: Mozilla/4.0 (compatible; KORVEX)\r\n"
                                    "\r\n"),
                     DownloadRequest(server, "/downloads/hexaplane.exe")}));
}

TEST(HttpClient, Interim100IsSkippedButOther1xxFails) {
    ScriptedServer server({{
        WaitRequest(),
        Send("HTTP/1.1 100 Continue\r\n\r\n" + Response200("after continue")),
        WaitRequest(),
        Send("HTTP/1.1 103 Early Hints\r\nLink: </a.css>\r\n\r\n" + Response200("never")),
    }});
    auto client = DownloadClient();
    EventLog log;
    log.Attach(*client);
    EXPECT_EQ(client->Get(server.Url("/a")), u"after continue");

    EXPECT_EQ(client->Get(server.Url("/b")), std::nullopt);
    EXPECT_EQ(client->LastResult().kind, FailureKind::Status);
    EXPECT_EQ(client->LastResult().statusCode, 103);
    EXPECT_EQ(log.lines, Lines({"begin 14", "work 14", "end"})); // none for the 103
    EXPECT_FALSE(client->Connected());
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HttpClient, FollowsRedirectsIntoAFileFromItsStartPosition) {
    ScriptedServer server({
        {WaitRequest(),
         Send("HTTP/1.1 301 Moved\r\nLocation: ../next/x?q=1\r\n"
              "Content-Length: 5\r\n\r\nmoved"),
         WaitRequest(),
         Send("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:{port}/final\r\n"
              "Content-Length: 0\r\nConnection: close\r\n\r\n")},
        Reply(Response200("the installer")),
    });
    const auto path = std::filesystem::temp_directory_path() / "hx-redirect-test.bin";
    auto client = DownloadClient();
    EventLog log;
    log.Attach(*client);
    {
        auto file = FileOutputStream::Create(path.u16string());
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->Write(std::span(reinterpret_cast<const std::uint8_t*>("ab"), 2)));
        EXPECT_TRUE(client->Get(server.Url("/dir/start"), *file));
    }
    EXPECT_EQ(ReadFile(path), "abthe installer");
    std::filesystem::remove(path);
    // One series per body read; the 302's empty body raises none.
    EXPECT_EQ(log.lines, Lines({"begin 5", "work 5", "end", "begin 13", "work 13", "end"}));
    EXPECT_EQ(server.Received(),
              Lines({DownloadRequest(server, "/dir/start") + DownloadRequest(server, "/next/x?q=1"),
                     DownloadRequest(server, "/final")}));
}

TEST(HttpClient, FifteenthRedirectEndsNormallyWithNothingDelivered) {
    test::Script script;
    std::string expected;
    for (int i = 0; i < 15; ++i) {
        script.push_back(WaitRequest());
        script.push_back(Send("HTTP/1.1 302 Found\r\nLocation: /r" + std::to_string(i + 1) +
                              "\r\nContent-Length: 0\r\n\r\n"));
    }
    ScriptedServer server({script});
    for (int i = 0; i < 15; ++i) {
        expected += DownloadRequest(server, "/r" + std::to_string(i));
    }
    auto client = DownloadClient();
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/r0"), file));
    EXPECT_TRUE(file.bytes().empty());
    EXPECT_FALSE(client->LastBodyComplete());
    EXPECT_EQ(server.Received(), Lines({expected}));
}

TEST(HttpClient, RedirectFailsWhenNotFollowedOrWhenItLeadsToHttps) {
    ScriptedServer server({
        Reply("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 3\r\n\r\nabc"),
        Reply("HTTP/1.1 302 Found\r\nLocation: https://127.0.0.1:{port}/secure\r\n"
              "Content-Length: 0\r\n\r\n"),
    });
    THttpClient check;
    check.Request.UserAgent = std::u16string(kUa);
    EXPECT_EQ(check.Get(server.Url("/check")), std::nullopt);
    EXPECT_EQ(check.LastResult().kind, FailureKind::Status);
    EXPECT_EQ(check.LastResult().statusCode, 302);

    auto client = DownloadClient();
    MemoryOutputStream file;
    EXPECT_FALSE(client->Get(server.Url("/download"), file));
    EXPECT_EQ(client->LastResult().kind, FailureKind::Https);
    // One request each: nothing went to either Location.
    ASSERT_EQ(server.Received().size(), 2u);
    EXPECT_EQ(server.Received()[1], DownloadRequest(server, "/download"));
}

TEST(HttpClient, RedirectBodyThatDoesNotStartInTimeIsSkipped) {
    ScriptedServer server({
        {WaitRequest(), Send("HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 5\r\n\r\n"),
         Pause(1000), Send("late!")},
        Reply(Response200("ok")),
    });
    auto client = DownloadClient();
    client->RedirectBodyWaitMs = 100;
    EventLog log;
    log.Attach(*client);
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/start"), file));
    EXPECT_EQ(Text(file), "ok");
    EXPECT_EQ(log.lines, Lines({"begin 2", "work 2", "end"}));
    // The unread body spoils the first connection, so the redirect travels over a new one.
    EXPECT_EQ(server.Received(),
              Lines({DownloadRequest(server, "/start"), DownloadRequest(server, "/next")}));
}

TEST(HttpClient, FailureStatusBodyIsCountedAndKeptOutOfTheStream) {
    ScriptedServer server({Reply("HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\n"
                                 "Content-Length: 9\r\n\r\nnot found")});
    auto client = DownloadClient();
    EventLog log;
    log.Attach(*client);
    MemoryOutputStream file;
    EXPECT_FALSE(client->Get(server.Url("/missing"), file));
    EXPECT_EQ(log.lines, Lines({"begin 9", "work 9", "end"}));
    EXPECT_TRUE(file.bytes().empty());
    const HttpResult& result = client->LastResult();
    EXPECT_EQ(result.kind, FailureKind::Status);
    EXPECT_EQ(result.statusCode, 404);
    EXPECT_EQ(result.statusLine, u"HTTP/1.1 404 Not Found");
    EXPECT_EQ(result.text, u"not found");
}

TEST(HttpClient, EmptyBodiesRaiseNoEventsAndSucceed) {
    ScriptedServer server({{WaitRequest(), Send(Response200("")), WaitRequest(),
                            Send("HTTP/1.1 204 No Content\r\n\r\n")}});
    auto client = DownloadClient();
    EventLog log;
    log.Attach(*client);
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/zero"), file));
    EXPECT_TRUE(client->LastBodyComplete());
    EXPECT_TRUE(client->Get(server.Url("/none"), file));
    EXPECT_TRUE(file.bytes().empty());
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(server.Connections(), 1u);
}

TEST(HttpClient, AnnouncedBodyCutByCloseOrResetKeepsExactlyTheBytesReceived) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n";
    ScriptedServer server({
        {WaitRequest(), Send(head + "abcd"), Pause(50), Close()},
        {WaitRequest(), Send(head + "efg"), Pause(100), Reset()},
    });
    auto client = DownloadClient();
    MemoryOutputStream closed, reset;
    EXPECT_TRUE(client->Get(server.Url("/a"), closed));
    EXPECT_FALSE(client->LastBodyComplete());
    EXPECT_FALSE(client->Connected());
    EXPECT_TRUE(client->Get(server.Url("/b"), reset));
    EXPECT_FALSE(client->LastBodyComplete());
    EXPECT_EQ(Text(closed), "abcd"); // pre-sized to 10, cut back to what came
    EXPECT_EQ(Text(reset), "efg");
}

TEST(HttpClient, ChunkedBodyCutByCloseOrResetFails) {
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    ScriptedServer server({
        {WaitRequest(), Send(head + "4\r\nabcd\r\n"), Pause(50), Close()},
        {WaitRequest(), Send(head + "3\r\nefg\r\n"), Pause(100), Reset()},
    });
    auto client = DownloadClient();
    MemoryOutputStream closed, reset;
    EXPECT_FALSE(client->Get(server.Url("/a"), closed));
    EXPECT_EQ(client->LastResult().kind, FailureKind::ChunkedCut);
    EXPECT_FALSE(client->Get(server.Url("/b"), reset));
    EXPECT_EQ(client->LastResult().kind, FailureKind::ChunkedCut);
    EXPECT_EQ(Text(closed), "abcd");
    EXPECT_EQ(Text(reset), "efg");
}

TEST(HttpClient, ChunkedCountIncludesFramingAndConnectionIsReused) {
    // 9 + 7 + 3 + 8 + 3 + 14 + 2 = 46 bytes of framed body for 11 bytes of data.
    ScriptedServer server({{WaitRequest(),
                            Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                 "5;ext=1\r\nhello\r\n6\r\n world\r\n0\r\nX-Trailer: t\r\n\r\n"),
                            WaitRequest(), Send(Response200("again"))}});
    auto client = DownloadClient();
    EventLog log;
    log.Attach(*client);
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/chunked"), file));
    EXPECT_EQ(Text(file), "hello world");
    EXPECT_TRUE(client->LastBodyComplete());
    EXPECT_EQ(log.lines, Lines({"begin 0", "work 46", "end"}));
    EXPECT_EQ(client->Get(server.Url("/next")), u"again");
    EXPECT_EQ(server.Connections(), 1u);
}

TEST(HttpClient, BodyArrivesAsThePartWithTheHeadThenWholeBlocks) {
    const std::string body(100000, 'x');
    ScriptedServer server(
        {{WaitRequest(),
          Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + body.substr(0, 10)), Pause(50),
          Send(body.substr(10))}});
    auto client = DownloadClient();
    EventLog log;
    log.Attach(*client);
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/big"), file));
    EXPECT_EQ(Text(file), body);
    EXPECT_EQ(log.lines, Lines({"begin 100000", "work 10", "work 32778", "work 65546", "work 98314",
                                "work 100000", "end"}));
}

TEST(HttpClient, ContentEncodingIsNotUndone) {
    const std::string gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xcb\x48\x05\x00", 14);
    ScriptedServer server({Reply(Response200(gzip, "Content-Encoding: gzip\r\n"))});
    auto client = DownloadClient();
    MemoryOutputStream file;
    EXPECT_TRUE(client->Get(server.Url("/gz"), file));
    EXPECT_EQ(Text(file), gzip);
}

TEST(HttpClient, TextIsDecodedByTheResponseCharset) {
    ScriptedServer server(
        {{WaitRequest(), Send(Response200("caf\xe9", "Content-Type: text/plain\r\n")),
          WaitRequest(),
          Send(Response200("\xEF\xBB\xBFh\xC3\xA9",
                           "Content-Type: text/plain; charset=UTF-8\r\n"))}});
    THttpClient check;
    EXPECT_EQ(check.Get(server.Url("/latin1")), u"caf\u00e9");
    EXPECT_EQ(check.Get(server.Url("/utf8")), u"\uFEFFh\u00e9");
}

TEST(HttpClient, KeepAliveReusesTheConnectionUnlessTheServerSaysClose) {
    ScriptedServer kept(
        {{WaitRequest(), Send(Response200("1")), WaitRequest(), Send(Response200("2"))}});
    auto client = DownloadClient();
    EXPECT_EQ(client->Get(kept.Url("/1")), u"1");
    EXPECT_TRUE(client->Connected());
    EXPECT_EQ(client->Get(kept.Url("/2")), u"2");
    EXPECT_EQ(kept.Received(), Lines({DownloadRequest(kept, "/1") + DownloadRequest(kept, "/2")}));

    ScriptedServer closing(
        {Reply(Response200("1", "Connection: Close \r\n")), Reply(Response200("2"))});
    EXPECT_EQ(client->Get(closing.Url("/1")), u"1");
    EXPECT_FALSE(client->Connected());
    EXPECT_EQ(client->Get(closing.Url("/2")), u"2");
    EXPECT_EQ(closing.Connections(), 2u);
}

TEST(HttpClient, IdleConnectionClosedByTheServerIsReplaced) {
    ScriptedServer server(
        {{WaitRequest(), Send(Response200("1")), Close()}, Reply(Response200("2"))});
    auto client = DownloadClient();
    EXPECT_EQ(client->Get(server.Url("/1")), u"1");
    ASSERT_TRUE(server.WaitScriptDone(0));
    EXPECT_EQ(client->Get(server.Url("/2")), u"2");
    EXPECT_EQ(server.Received(),
              Lines({DownloadRequest(server, "/1"), DownloadRequest(server, "/2")}));
}

TEST(HttpClient, CookieFromOneDownloadGoesWithTheNext) {
    ScriptedServer server({{WaitRequest(), Send(Response200("a", "Set-Cookie: sid=42; Path=/\r\n")),
                            WaitRequest(), Send(Response200("b"))}});
    auto client = DownloadClient();
    MemoryOutputStream first, second;
    EXPECT_TRUE(client->Get(server.Url("/one"), first));
    EXPECT_TRUE(client->Get(server.Url("/two"), second));
    EXPECT_EQ(server.Received(),
              Lines({DownloadRequest(server, "/one") + DownloadRequest(server, "/two", "sid=42")}));
}

// Disconnect from the first OnWork: what had arrived is kept, nothing more is read.
struct AbortOnFirstWork {
    THttpClient& client;
    EventLog log;
    explicit AbortOnFirstWork(THttpClient& c) : client(c) {
        log.Attach(client);
        auto record = client.OnWork;
        client.OnWork = [record](THttpClient& sender, TWorkMode mode, std::int64_t n) {
            record(sender, mode, n);
            sender.Disconnect();
        };
    }
};

TEST(HttpClient, DisconnectInsideOnWorkEndsEachFramingAsDefined) {
    const std::string rest(50000, 'r');
    ScriptedServer server({
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Length: 50010\r\n\r\n0123456789"),
         Pause(100), Send(rest)},
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\n\r\n0123456789"), Pause(100), Send(rest), Close()},
        {WaitRequest(),
         Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\na\r\n0123456789\r\n"),
         Pause(100), Send("0\r\n\r\n")},
    });
    auto client = DownloadClient();
    AbortOnFirstWork abort(*client);
    MemoryOutputStream length, toEnd, chunked;

    EXPECT_TRUE(client->Get(server.Url("/length"), length));
    EXPECT_FALSE(client->Connected());
    EXPECT_FALSE(client->LastBodyComplete());
    EXPECT_TRUE(client->Get(server.Url("/to-end"), toEnd));
    EXPECT_FALSE(client->LastBodyComplete());
    EXPECT_FALSE(client->Get(server.Url("/chunked"), chunked));
    EXPECT_EQ(client->LastResult().kind, FailureKind::ChunkedCut);

    EXPECT_EQ(Text(length), "0123456789");
    EXPECT_EQ(Text(toEnd), "0123456789");
    EXPECT_EQ(Text(chunked), "0123456789");
    EXPECT_EQ(abort.log.lines, Lines({"begin 50010", "work 10", "end", "begin 0", "work 10", "end",
                                      "begin 0", "work 15", "end"}));
    EXPECT_EQ(server.Connections(), 3u);
}

TEST(HttpClient, DisconnectOnAnIdleClientOnlyDropsTheConnection) {
    ScriptedServer server({Reply(Response200("1")), Reply(Response200("2"))});
    auto client = DownloadClient();
    client->Disconnect(); // nothing open: no effect
    EXPECT_EQ(client->Get(server.Url("/1")), u"1");
    EXPECT_TRUE(client->Connected());
    client->Disconnect();
    EXPECT_FALSE(client->Connected());
    EXPECT_EQ(client->Get(server.Url("/2")), u"2");
    EXPECT_EQ(server.Connections(), 2u);
}

TEST(HttpClient, SilentServerFailsAfterTheReadTimeOut) {
    ScriptedServer server({
        {WaitRequest(), Pause(5000)},
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), Pause(5000)},
    });
    auto client = DownloadClient();
    client->HeadTimeoutMs = 150;
    client->ReadTimeoutMs = 150;
    MemoryOutputStream head, body;
    EXPECT_FALSE(client->Get(server.Url("/head"), head));
    EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
    EXPECT_FALSE(client->Get(server.Url("/body"), body));
    EXPECT_EQ(client->LastResult().kind, FailureKind::TimedOut);
    EXPECT_EQ(Text(body), "abc");
    EXPECT_FALSE(client->Connected());
}

TEST(HttpClient, LengthsBeyondWhatCanBeHeldFailBeforeReading) {
    ScriptedServer server({
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 1000000000\r\n\r\nabc"),
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\nabc"),
    });
    THttpClient check;
    EventLog log;
    log.Attach(check);
    EXPECT_EQ(check.Get(server.Url("/text")), std::nullopt);
    EXPECT_EQ(check.LastResult().kind, FailureKind::TooLarge);

    MemoryOutputStream disk;
    disk.SetSizeLimit(1000); // a disk with room for 1000 bytes
    EXPECT_FALSE(check.Get(server.Url("/file"), disk));
    EXPECT_EQ(check.LastResult().kind, FailureKind::TooLarge);
    EXPECT_EQ(disk.Size(), 0);
    EXPECT_TRUE(log.lines.empty());
}

TEST(HttpClient, ConnectionTroubleBeforeTheStatusLineFails) {
    std::u16string deadUrl;
    {
        ScriptedServer gone({});
        deadUrl = gone.Url("/");
    }
    ScriptedServer server({
        {WaitRequest(), Close()},
        {WaitRequest(), Send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"), Close()},
    });
    THttpClient check;
    EXPECT_EQ(check.Get(deadUrl), std::nullopt);
    EXPECT_EQ(check.LastResult().kind, FailureKind::Connect);
    EXPECT_EQ(check.Get(server.Url("/closed")), std::nullopt);
    EXPECT_EQ(check.LastResult().kind, FailureKind::ConnectionEnded);
    // A close among the header lines ends the head; the body runs to the (already) end.
    EXPECT_EQ(check.Get(server.Url("/half")), u"");
    EXPECT_EQ(check.Get(u"https://127.0.0.1/"), std::nullopt);
    EXPECT_EQ(check.LastResult().kind, FailureKind::Https);
}

} // namespace
} // namespace hx::net
