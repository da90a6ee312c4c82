// The IETF http-state cookie suite, run through the head reader, the cookie store and
// Location resolution the way the client uses them, with the store's clock fixed at
// 2017-08-09T00:00:00Z (the suite's dated expectations assume a clock of that time).
// Also its cookie-date vectors.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "net/Cookies.h"
#include "net/ResponseHead.h"
#include "tests/net/NetTestUtil.h"

namespace hx::net {
namespace {

using test::Bytes;
using test::Utf8;

const std::string kSuite = HX_SOURCE_DIR "/../shared/peers/http-state/";
constexpr int64_t kSuiteClock = 1502236800; // 2017-08-09T00:00:00Z

// Cases whose expectations hold UTF-8 bytes: our head reads bytes above 0x7F as U+FFFD
// and the request head goes out 7-bit, so these cookies come back with '?' instead.
const std::set<std::string> kDifferByDesign = {"charset0001", "charset0002", "charset0003",
                                               "charset0004"};

struct Case {
    std::string name, status, setUrl, requestUrl;
    std::vector<std::pair<std::string, std::string>> headers;
    std::optional<std::string> expect;
};

std::string Unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == '0' ? '\0' : c;
    }
    return out;
}

std::vector<Case> ReadCases(std::istream& in) {
    std::vector<Case> cases;
    Case c;
    std::string line;
    auto after = [&line](std::string_view key) {
        return Unescape(std::string_view(line).substr(key.size()));
    };
    while (std::getline(in, line)) {
        if (line.starts_with("TEST ")) {
            c = Case{};
            c.name = after("TEST ");
        } else if (line.starts_with("STATUS ")) {
            c.status = after("STATUS ");
        } else if (line.starts_with("SET-URL ")) {
            c.setUrl = after("SET-URL ");
        } else if (line.starts_with("HEADER ")) {
            std::string h = after("HEADER ");
            size_t colon = h.find(": ");
            c.headers.emplace_back(h.substr(0, colon), colon == h.npos ? "" : h.substr(colon + 2));
        } else if (line.starts_with("REQUEST-URL ")) {
            c.requestUrl = after("REQUEST-URL ");
        } else if (line.starts_with("EXPECT ")) {
            c.expect = after("EXPECT ");
        } else if (line == "END") {
            cases.push_back(c);
        }
    }
    return cases;
}

struct Outcome {
    std::string cookie;     // the Cookie header as sent, "" for none
    std::string requestUrl; // the redirect target as the client resolves it
};

// The redirect response as received, its cookies stored, the Location followed.
Outcome RunCase(const Case& c) {
    std::string head = "HTTP/1.1 302 Found\r\n";
    for (const auto& [name, value] : c.headers) {
        head += name + ": " + value + "\r\n";
    }
    head += "\r\n";
    HeadReader reader;
    reader.Feed(Bytes(head));
    if (!reader.complete()) {
        return {"<head not read>", ""};
    }

    CookieStore store;
    store.SetClock([] { return kSuiteClock; });
    Url setUrl = *ParseUrl(HeadText(c.setUrl));
    for (const auto& value : reader.headers().All(u"Set-Cookie")) {
        store.Store(value, setUrl);
    }
    const std::u16string* location = reader.headers().Find(u"Location");
    std::u16string target = location ? *location : u"/cookie-parser-result?" + HeadText(c.name);
    auto next = ResolveLocation(setUrl, target);
    if (!next) {
        return {"<no location>", ""};
    }
    return {ToAscii7(store.CookieHeader(*next)), ToAscii7(ToString(*next))};
}

std::string Join(const std::set<std::string>& names) {
    std::string out;
    for (const auto& n : names) {
        out += (out.empty() ? "" : " ") + n;
    }
    return out;
}

TEST(HttpState, NormalCasesPassExceptTheSevenBitOnes) {
    std::ifstream in(kSuite + "cases.txt", std::ios::binary);
    if (!in) {
        GTEST_SKIP() << "http-state suite not found at " << kSuite;
    }
    auto cases = ReadCases(in);
    ASSERT_EQ(cases.size(), 222u);

    std::map<std::string, std::set<std::string>> failed; // by status
    size_t normal = 0;
    for (const auto& c : cases) {
        Outcome got = RunCase(c);
        EXPECT_EQ(got.requestUrl, c.requestUrl) << c.name;
        bool pass = got.cookie == c.expect.value_or("");
        if (c.status == "normal") {
            ++normal;
        }
        if (!pass) {
            failed[c.status].insert(c.name);
            if (c.status == "normal" && !kDifferByDesign.contains(c.name)) {
                ADD_FAILURE() << c.name << ": sent \"" << got.cookie << "\", expected \""
                              << c.expect.value_or("") << "\"";
            }
        }
    }
    EXPECT_EQ(normal, 214u);
    EXPECT_EQ(Join(failed["normal"]), Join(kDifferByDesign));
    // Not required: reported for information.
    for (std::string status : {"optional", "disabled"}) {
        std::string list = Join(failed[status]);
        RecordProperty(status + "_failed", list);
        std::printf("http-state %s cases failing: %s\n", status.c_str(),
                    list.empty() ? "none" : list.c_str());
    }
}

TEST(HttpState, DifferByDesignCasesComeBackSevenBit) {
    std::ifstream in(kSuite + "cases.txt", std::ios::binary);
    if (!in) {
        GTEST_SKIP() << "http-state suite not found at " << kSuite;
    }
    for (const auto& c : ReadCases(in)) {
        if (!kDifferByDesign.contains(c.name)) {
            continue;
        }
        // Each UTF-8 byte became U+FFFD in the head, then '?' on the wire.
        std::string expected = c.expect.value_or("");
        std::replace_if(
            expected.begin(), expected.end(),
            [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; }, '?');
        EXPECT_EQ(RunCase(c).cookie, expected) << c.name;
    }
}

// ---- cookie dates ----

std::string FormatHttpDate(int64_t t) {
    static const char* kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int64_t days = t >= 0 ? t / 86400 : (t - 86399) / 86400;
    int64_t secs = t - days * 86400;
    // civil_from_days (H. Hinnant)
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    int64_t y = yoe + era * 400 + (m <= 2);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d GMT",
                  kDays[((days % 7) + 7) % 7], int(d), kMonths[m - 1], int(y), int(secs / 3600),
                  int(secs / 60 % 60), int(secs % 60));
    return buf;
}

// The date files are arrays of {"test": "...", "expected": "..." or null}, one key a line.
std::vector<std::pair<std::string, std::optional<std::string>>> ReadDates(std::istream& in) {
    std::vector<std::pair<std::string, std::optional<std::string>>> out;
    auto stringValue = [](const std::string& line) {
        size_t colon = line.find(':');
        size_t open = line.find('"', colon);
        std::string v;
        for (size_t i = open + 1; i < line.size() && line[i] != '"'; ++i) {
            v += line[i] == '\\' && i + 1 < line.size() ? line[++i] : line[i];
        }
        return v;
    };
    std::string line, test;
    while (std::getline(in, line)) {
        if (line.find("\"test\"") != line.npos) {
            test = stringValue(line);
        } else if (line.find("\"expected\"") != line.npos) {
            bool null = line.find("null", line.find(':')) != line.npos &&
                        line.find('"', line.find(':')) == line.npos;
            out.emplace_back(test, null ? std::nullopt : std::optional(stringValue(line)));
        }
    }
    return out;
}

TEST(HttpState, CookieDateVectors) {
    size_t checked = 0;
    for (std::string file : {"examples.json", "bsd-examples.json"}) {
        std::ifstream in(kSuite + "upstream/dates/" + file, std::ios::binary);
        if (!in) {
            GTEST_SKIP() << "http-state date vectors not found";
        }
        for (const auto& [text, expected] : ReadDates(in)) {
            auto parsed = ParseCookieDate(HeadText(text));
            std::string got = parsed ? FormatHttpDate(*parsed) : "null";
            EXPECT_EQ(got, expected.value_or("null")) << file << ": " << text;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 15u + 55u);
}

} // namespace
} // namespace hx::net
