// The cookie store beyond the conformance suite: expiry over time, replacement and
// order, Secure, IP hosts, and the caps.
#include <gtest/gtest.h>

#include "net/Cookies.h"
#include "tests/net/NetTestUtil.h"

namespace hx::net {
namespace {

class CookieStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        store.SetClock([this] { return now; });
    }
    static Url U(std::u16string_view text) { return *ParseUrl(text); }
    void Set(std::u16string_view cookie, std::u16string_view url = u"http://www.korvex.com/") {
        store.Store(cookie, U(url));
    }
    std::u16string Get(std::u16string_view url = u"http://www.korvex.com/downloads/hexaplane.exe") {
        return store.CookieHeader(U(url));
    }

    int64_t now = 1502236800; // 2017-08-09T00:00:00Z
    CookieStore store;
};

TEST_F(CookieStoreTest, ExpiresWithTheClock) {
    Set(u"short=1; Max-Age=10");
    Set(u"dated=2; Expires=Wed, 09 Aug 2017 00:01:00 GMT");
    Set(u"session=3");
    EXPECT_EQ(Get(), u"short=1; dated=2; session=3");
    now += 10; // Max-Age 10 has run out
    EXPECT_EQ(Get(), u"dated=2; session=3");
    now += 50;
    EXPECT_EQ(Get(), u"session=3");
    EXPECT_EQ(store.size(), 1u);
}

TEST_F(CookieStoreTest, MaxAgeWinsOverExpiresInAnyOrder) {
    Set(u"a=1; Max-Age=100; Expires=Thu, 01 Jan 1970 00:00:00 GMT");
    Set(u"b=2; Expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=100");
    Set(u"c=3; Max-Age=x10; Expires=Thu, 01 Jan 1970 00:00:00 GMT"); // bad Max-Age ignored
    Set(u"d=4; Max-Age=99999999999999999999999");                    // saturates, far future
    EXPECT_EQ(Get(), u"a=1; b=2; d=4");
}

TEST_F(CookieStoreTest, ReplacementKeepsTheOriginalCreationOrder) {
    Set(u"first=1");
    Set(u"second=2");
    now += 5;
    Set(u"first=updated");
    EXPECT_EQ(Get(), u"first=updated; second=2");
    Set(u"second=gone; Max-Age=0");
    EXPECT_EQ(Get(), u"first=updated");
    EXPECT_EQ(store.size(), 1u);
}

TEST_F(CookieStoreTest, LongerPathFirstThenOlderFirst) {
    Set(u"root=1; Path=/");
    Set(u"deep=2; Path=/downloads/sub");
    Set(u"mid=3; Path=/downloads");
    Set(u"root2=4; Path=/");
    EXPECT_EQ(Get(u"http://www.korvex.com/downloads/sub/x"), u"deep=2; mid=3; root=1; root2=4");
    EXPECT_EQ(Get(u"http://www.korvex.com/downloads/subway"), u"mid=3; root=1; root2=4");
    EXPECT_EQ(Get(u"http://www.korvex.com/down"), u"root=1; root2=4");
}

TEST_F(CookieStoreTest, DefaultPathIsTheRequestDirectory) {
    Set(u"p=1", u"http://www.korvex.com/a/b/c.html");
    EXPECT_EQ(store.cookies().at(0).path, u"/a/b");
    EXPECT_EQ(Get(u"http://www.korvex.com/a/b"), u"p=1");
    EXPECT_EQ(Get(u"http://www.korvex.com/a/b/x/y"), u"p=1");
    EXPECT_EQ(Get(u"http://www.korvex.com/a/bc"), u"");
    EXPECT_EQ(Get(u"http://www.korvex.com/a/"), u"");
    Set(u"q=1; Path=relative", u"http://www.korvex.com/x/y");
    EXPECT_EQ(store.cookies().at(1).path, u"/x");
}

TEST_F(CookieStoreTest, DomainAttributeWidensHostOnlyDoesNot) {
    Set(u"wide=1; Domain=.KORVEX.com");
    Set(u"narrow=2");
    Set(u"foreign=3; Domain=example.org");    // not ours: ignored
    Set(u"sub=4; Domain=sub.www.korvex.com"); // narrower than the host: ignored
    Set(u"tld=5; Domain=.com");               // a single label counts as a public suffix
    EXPECT_EQ(store.size(), 2u);
    EXPECT_EQ(Get(u"http://WWW.Korvex.COM/"), u"wide=1; narrow=2");
    Set(u"local=6; Domain=LOCALHOST", u"http://localhost:18080/"); // the host itself: host-only
    ASSERT_EQ(store.size(), 3u);
    EXPECT_TRUE(store.cookies().back().hostOnly);
    EXPECT_EQ(Get(u"http://download.korvex.com/"), u"wide=1");
    EXPECT_EQ(Get(u"http://notkorvex.com/"), u"");
}

TEST_F(CookieStoreTest, IpHostsMatchOnlyExactly) {
    Set(u"a=1; Domain=0.0.1", u"http://127.0.0.1:18080/");
    Set(u"b=2; Domain=127.0.0.1", u"http://127.0.0.1:18080/");
    Set(u"c=3", u"http://[::1]:18080/");
    EXPECT_EQ(Get(u"http://127.0.0.1:18080/x"), u"b=2");
    EXPECT_EQ(Get(u"http://[::1]/x"), u"c=3"); // cookies ignore the port
}

TEST_F(CookieStoreTest, SecureOnlyOverHttpsAndHttpOnlyIsSent) {
    Set(u"s=1; Secure");
    Set(u"h=2; HttpOnly");
    EXPECT_EQ(Get(u"http://www.korvex.com/"), u"h=2");
    EXPECT_EQ(Get(u"https://www.korvex.com/"), u"s=1; h=2");
}

TEST_F(CookieStoreTest, MalformedCookiesAreIgnored) {
    for (auto bad : {u"", u"novalue", u"=value", u"  =v", u";a=b", u"\t; x=y"}) {
        Set(bad);
    }
    EXPECT_EQ(store.size(), 0u);
    Set(u"  spaced  =  value with spaces  ; Path=/");
    EXPECT_EQ(Get(), u"spaced=value with spaces");
}

TEST_F(CookieStoreTest, CapsSizeAndCounts) {
    Set(u"big=" + std::u16string(kMaxCookieBytes, u'x'));
    EXPECT_EQ(store.size(), 0u);
    Set(u"fits=" + std::u16string(4000, u'x'));
    EXPECT_EQ(store.size(), 1u);

    for (size_t i = 0; i < kMaxCookiesPerDomain + 10; ++i) {
        now += 1;
        Set(u"n" + Widen(std::to_string(i)) + u"=v");
    }
    EXPECT_EQ(store.size(), kMaxCookiesPerDomain);
    std::u16string header = Get();
    EXPECT_EQ(header.find(u"fits="), std::u16string::npos); // the oldest went first
    EXPECT_NE(header.find(u"n59=v"), std::u16string::npos);

    CookieStore many;
    many.SetClock([] { return int64_t{0}; });
    for (size_t d = 0; d * kMaxCookiesPerDomain <= kMaxCookiesTotal + kMaxCookiesPerDomain; ++d) {
        for (size_t i = 0; i < kMaxCookiesPerDomain; ++i) {
            many.Store(u"c" + Widen(std::to_string(i)) + u"=v",
                       *ParseUrl(u"http://h" + Widen(std::to_string(d)) + u".example/"));
        }
    }
    EXPECT_EQ(many.size(), kMaxCookiesTotal);
    EXPECT_EQ(many.CookieHeader(*ParseUrl(u"http://h0.example/")), u""); // oldest domain evicted
}

TEST(CookieDate, ParsesTheRfcGrammar) {
    EXPECT_EQ(ParseCookieDate(u"Thu, 01 Jan 1970 00:00:00 GMT"), 0);
    EXPECT_EQ(ParseCookieDate(u"Wed, 09 Aug 2017 00:00:00 GMT"), 1502236800);
    EXPECT_EQ(ParseCookieDate(u"Sun Nov  6 08:49:37 1994"), 784111777);
    EXPECT_EQ(ParseCookieDate(u"Sunday, 06-Nov-94 08:49:37 GMT"), 784111777);
    EXPECT_EQ(ParseCookieDate(u"29 feb 2016 0:0:0"), 1456704000);
    EXPECT_EQ(ParseCookieDate(u"1 Jan 1601 00:00:00"), -11644473600);
    EXPECT_EQ(ParseCookieDate(u"31 Dec 9999 23:59:59"), 253402300799);
    for (auto bad : {u"", u"Thu, 01 Jan 1970", u"29 Feb 2017 00:00:00", u"31 Apr 2017 00:00:00",
                     u"1 Jan 1600 00:00:00", u"1 Jan 2017 24:00:00", u"1 Jan 2017 00:60:00",
                     u"1 Jan 2017 00:00:60", u"0 Jan 2017 00:00:00", u"1 Foo 2017 00:00:00",
                     u"1 Jan 20170 00:00:00", u"1 Jan 2017 000:00:00"}) {
        EXPECT_FALSE(ParseCookieDate(bad)) << test::Utf8(bad);
    }
}

} // namespace
} // namespace hx::net
