// Fuzz target for the cookie store and cookie dates. Input lines: the first two bytes
// choose the clock, the first line is the URL the cookies come from (a fixed one when it
// does not parse), every further line is one Set-Cookie value; then the store is asked for
// the Cookie header of several URLs.
#include "net/Cookies.h"

#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace hx::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Characters 0-255 (not only head text), to reach every branch of the date tokenizer.
    std::u16string text = Latin1Text(std::span(data, size));
    (void)ParseCookieDate(text);

    int64_t now = size >= 2 ? (int64_t{data[0]} << 8 | data[1]) * 86400 * 3 : 0;
    CookieStore store;
    store.SetClock([&now] { return now; });

    std::u16string_view rest(text);
    size_t eol = rest.find(u'\n');
    auto from = ParseUrl(rest.substr(0, eol));
    Url url = from ? *from : *ParseUrl(u"http://www.korvex.com/downloads/update/");
    rest = eol == rest.npos ? std::u16string_view{} : rest.substr(eol + 1);
    while (!rest.empty()) {
        eol = rest.find(u'\n');
        store.Store(rest.substr(0, eol), url);
        rest = eol == rest.npos ? std::u16string_view{} : rest.substr(eol + 1);
        now += 1;
    }
    Require(store.size() <= kMaxCookiesTotal);

    for (auto other : {u"http://www.korvex.com/", u"https://www.korvex.com/a/b/c",
                       u"http://sub.www.korvex.com/downloads/update/x"}) {
        std::u16string header = store.CookieHeader(*ParseUrl(other));
        Require(header.empty() || store.size() > 0);
    }
    std::u16string own = store.CookieHeader(url);
    Require(own.size() <= store.size() * (kMaxCookieBytes + 2));
    now = INT64_MAX; // everything persistent expires
    (void)store.CookieHeader(url);
    for (const auto& c : store.cookies()) {
        Require(!c.persistent);
    }
    return 0;
}
