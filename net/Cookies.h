// The client's cookie store, following the storage model of RFC 6265 section 5
// (parsing 5.2, dates 5.1.1, domain 5.1.3, path 5.1.4, storage 5.3, retrieval 5.4).
// There is no public-suffix list: the client only ever talks to the maker's host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/Url.h"

namespace hx::net {

// Name plus value plus attributes of one Set-Cookie value: RFC 6265 asks for at least
// 4096; larger ones are ignored so a server cannot fill our memory.
inline constexpr size_t kMaxCookieBytes = 4096 + 1024;
// Cookies per domain: RFC 6265 asks for at least 50; the oldest goes first beyond that.
inline constexpr size_t kMaxCookiesPerDomain = 50;
// Cookies in one store: RFC 6265 asks for at least 3000; the oldest goes first beyond that.
inline constexpr size_t kMaxCookiesTotal = 3000;

struct Cookie {
    std::u16string name, value;
    std::u16string domain; // canonical (lower-case) host or Domain attribute
    std::u16string path;
    int64_t expiry = INT64_MAX; // seconds since 1970 UTC; INT64_MAX when not persistent
    bool persistent = false;
    bool hostOnly = true;
    bool secure = false;
    bool httpOnly = false;
    int64_t creation = 0;  // seconds since 1970 UTC
    uint64_t sequence = 0; // order of creation, the tiebreaker among equal creation times
    int64_t lastAccess = 0;
};

class CookieStore {
public:
    using Clock = std::function<int64_t()>; // seconds since 1970 UTC

    CookieStore();
    void SetClock(Clock clock); // default: the system clock

    // One Set-Cookie header value received for requestUrl; a malformed one is ignored.
    void Store(std::u16string_view setCookieValue, const Url& requestUrl);
    // Removes expired cookies, then joins "name=value" of the cookies for requestUrl with
    // "; ": domain and path match, Secure only for https, longer path first, then older
    // first. Empty when none.
    std::u16string CookieHeader(const Url& requestUrl);

    size_t size() const { return cookies_.size(); }
    const std::vector<Cookie>& cookies() const { return cookies_; }

private:
    void RemoveExpired(int64_t now);
    void EnforceCaps(const std::u16string& domain);

    Clock clock_;
    uint64_t nextSequence_ = 1;
    std::vector<Cookie> cookies_;
};

// RFC 6265 5.1.1 cookie-date: seconds since 1970 UTC, or nullopt when it does not parse.
std::optional<int64_t> ParseCookieDate(std::u16string_view text);

// RFC 6265 5.1.3: string domain-matches domain (both already lower-case).
bool DomainMatches(std::u16string_view string, std::u16string_view domain);
// RFC 6265 5.1.4.
std::u16string DefaultCookiePath(const Url& url);
bool PathMatches(std::u16string_view requestPath, std::u16string_view cookiePath);

} // namespace hx::net
