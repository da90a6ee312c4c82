// Fuzz target for the whole HTTP client over a scripted in-memory connection: heads,
// interim heads, the three framings, redirects, failure bodies, keep-alive and cookies
// across several requests of one client. The first byte chooses the client's settings and
// how the connections end; the rest is the servers' bytes: "\xff\xfe" separates the
// scripts of successive connections, "\xff\xfd" the answers to successive requests on one.
// Invariants: a call's outcome agrees with LastResult(), a whole body is never a failure,
// the destination ends exactly where the writing stopped, each progress series is begun,
// counted upwards and ended, and no exception is swallowed on the way.
#include "net/HttpClient.h"

#include "base/Guard.h"

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/ScriptedConnection.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace hx::net;
using hx::test::ConnectionScript;

namespace {

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + separator.size());
    }
}

// Progress events as a state machine: begin, then counts that only grow, then end.
struct Series {
    bool open = false;
    std::int64_t max = 0, last = 0;
    int status = 0; // of the response whose body the series counts
    void Attach(THttpClient& client) {
        client.OnWorkBegin = [this](THttpClient& sender, TWorkMode mode, std::int64_t m) {
            Require(!open && mode == TWorkMode::WorkRead && m >= 0);
            open = true, max = m, last = 0, status = sender.LastResult().statusCode;
        };
        client.OnWork = [this](THttpClient&, TWorkMode, std::int64_t count) {
            Require(open && count > last);
            Require(max == 0 || count <= max);
            last = count;
        };
        client.OnWorkEnd = [this](THttpClient&, TWorkMode) {
            Require(open);
            open = false;
        };
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t flags = data[0];
    const std::string_view servers(reinterpret_cast<const char*>(data + 1), size - 1);

    std::deque<ConnectionScript> scripts;
    for (const std::string& connection : Split(servers, "\xff\xfe")) {
        ConnectionScript script;
        script.segments = Split(connection, "\xff\xfd");
        script.end = static_cast<ConnectionScript::End>((flags >> 2) % 3);
        script.maxReceive = 1 + (flags >> 4) * 97;
        scripts.push_back(std::move(script));
    }
    THttpClient client(std::make_unique<hx::test::ScriptedConnection>(std::move(scripts)));
    client.HandleRedirects = flags & 1;
    client.RedirectMaximum = 4;
    client.Request.UserAgent = u"fuzz";
    Series series;
    series.Attach(client);

    const unsigned long caught = hx::CaughtExceptions();
    const char16_t* urls[] = {u"http://h/a", u"http://h/b?c", u"http://h:81/d"};
    for (int i = 0; i < 3; ++i) {
        series.status = 0;
        if (flags & 2) {
            MemoryOutputStream stream;
            const bool ok = client.Get(urls[i], stream);
            Require(ok == client.LastResult().ok());
            Require(stream.Size() == stream.Position());
            if (client.LastResult().kind == FailureKind::Status) {
                Require(stream.bytes().empty()); // a failure status writes nothing
            }
        } else {
            const auto text = client.Get(urls[i]);
            Require(text.has_value() == client.LastResult().ok());
            if (text) {
                Require(text->size() <= static_cast<std::size_t>(kMaxTextBody));
            }
        }
        Require(!series.open);
        if (client.LastBodyComplete()) {
            Require(client.LastResult().ok());
            // A whole body of announced length was counted to its length exactly.
            if (series.status == client.LastResult().statusCode) {
                Require(series.max == 0 || series.last == series.max);
            }
        }
        Require(static_cast<std::int64_t>(client.LastResult().text.size()) <= kMaxFailureBody);
    }
    Require(hx::CaughtExceptions() == caught);
    return 0;
}
