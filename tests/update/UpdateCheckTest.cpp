// The update question: the verdict rules over answer texts, and the one request sent on a
// client made for it, against the scripted loopback server.

#include "update/UpdateCheck.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "tests/net/ScriptedServer.h"

namespace hx::update {
namespace {

using test::Reply;
using test::Response200;
using test::ScriptedServer;

TEST(VerdictFromAnswer, MarkersAreTestedInFixedOrderAnywhereInTheText) {
    EXPECT_EQ(VerdictFromAnswer(u"KORVEX|1"), UpdateVerdict::UpdateAvailable);
    EXPECT_EQ(VerdictFromAnswer(u"<p>KORVEX|2</p>\n"), UpdateVerdict::ManualUpdate);
    EXPECT_EQ(VerdictFromAnswer(u"<html>KORVEX|0 current</html>"), UpdateVerdict::NoUpdate);
    // Several markers: the lowest-numbered wins whatever the order in the text.
    EXPECT_EQ(VerdictFromAnswer(u"KORVEX|1 KORVEX|0"), UpdateVerdict::NoUpdate);
    EXPECT_EQ(VerdictFromAnswer(u"KORVEX|0 KORVEX|1"), UpdateVerdict::NoUpdate);
    EXPECT_EQ(VerdictFromAnswer(u"KORVEX|2KORVEX|1"), UpdateVerdict::UpdateAvailable);
}

TEST(VerdictFromAnswer, AnythingButAnExactMarkerFails) {
    for (std::u16string_view answer :
         {u"", u"korvex|1", u"Korvex|0", u"KORVEX|3", u"KORVEX|", u"KORVEX 1", u"KORVEX||1",
          u"KORVEX\uFF5C1", u"KORVEX|\uFF11"}) {
        EXPECT_EQ(VerdictFromAnswer(answer), UpdateVerdict::CheckFailed)
            << std::string(answer.begin(), answer.end());
    }
    // A marker split by a NUL is no marker.
    EXPECT_EQ(VerdictFromAnswer(std::u16string_view(u"KORVEX\0|1", 9)), UpdateVerdict::CheckFailed);
}

constexpr std::string_view kAnswerPath =
    "/downloads/update/?product=hexaplane&version=2.10.12.2020";

std::string CheckRequest(const ScriptedServer& server) {
    return "GET /downloads/update/?product=hexaplane&version=2.10.12.2020 HTTP/1.1\r\n"
           "Host: 127.0.0.1:" +
           std::to_string(server.port()) +
           "\r\n"
           "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
           "User-Agent: Mozilla/4.0 (compatible; KORVEX)\r\n"
           "\r\n";
}

TEST(CheckForUpdate, SendsOneRequestWithTheProductsUserAgentAndReadsTheMarker) {
    ScriptedServer server(
        {Reply(Response200("<html><body>KORVEX|1</body></html>", "Content-Type: text/html\r\n"))});
    EXPECT_EQ(CheckForUpdate(server.Url(kAnswerPath)), UpdateVerdict::UpdateAvailable);
    ASSERT_TRUE(server.WaitScriptDone(0));
    EXPECT_EQ(server.Received(), std::vector<std::string>{CheckRequest(server)});
}

TEST(CheckForUpdate, FailureStatusesRedirectsAndEmptyBodiesFail) {
    const std::vector<std::string> replies = {
        // The page of a failure status is never searched.
        "HTTP/1.1 404 Not Found\r\nContent-Length: 8\r\n\r\nKORVEX|1",
        "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 8\r\n\r\nKORVEX|0",
        // No redirect is followed: no second request reaches the server.
        "HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 8\r\n\r\nKORVEX|0",
        "HTTP/1.1 204 No Content\r\n\r\n",
        Response200(""),
        Response200("korvex|0"),
    };
    for (const std::string& reply : replies) {
        ScriptedServer server({Reply(reply)});
        EXPECT_EQ(CheckForUpdate(server.Url(kAnswerPath)), UpdateVerdict::CheckFailed) << reply;
        EXPECT_EQ(server.Received(), std::vector<std::string>{CheckRequest(server)}) << reply;
    }
}

TEST(CheckForUpdate, EndsWithinItsLimitWhateverTheServerDoes) {
    // Every byte in time for the client's own limits, but the answer never ends.
    test::Script drip{test::WaitRequest(), test::Send("HTTP/1.1 200 OK\r\n\r\n")};
    for (int i = 0; i < 100; ++i) {
        drip.push_back(test::Send(std::string(2000, 'x')));
        drip.push_back(test::Pause(50));
    }
    drip.push_back(test::Send("KORVEX|1"));
    ScriptedServer server({drip});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CheckForUpdate(server.Url(kAnswerPath), {}, 500), UpdateVerdict::CheckFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(CheckForUpdate, RefusedConnectionAndMalformedUrlFail) {
    std::u16string url;
    {
        ScriptedServer gone({});
        url = gone.Url(kAnswerPath);
    } // the port is closed now
    EXPECT_EQ(CheckForUpdate(url), UpdateVerdict::CheckFailed);
    EXPECT_EQ(CheckForUpdate(u"not a url"), UpdateVerdict::CheckFailed);
}

} // namespace
} // namespace hx::update
