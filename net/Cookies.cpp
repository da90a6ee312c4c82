#include "net/Cookies.h"

#include <algorithm>
#include <chrono>

namespace hx::net {
namespace {

constexpr int64_t kEarliest = INT64_MIN;
constexpr int64_t kLatest = INT64_MAX;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// ---- Dates (5.1.1) ----

bool IsDateDelimiter(char16_t c) {
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) ||
           (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
}

// 1*2DIGIT at text[pos]; advances pos. (Fields of a date are at most max digits.)
bool Digits(std::u16string_view text, size_t& pos, size_t min, size_t max, int& value) {
    size_t start = pos;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < max) {
        value = value * 10 + (text[pos++] - u'0');
    }
    return pos - start >= min;
}

// After a number: end of token, or a non-digit followed by anything.
bool EndsNumber(std::u16string_view token, size_t pos) {
    return pos == token.size() || !IsDigit(token[pos]);
}

bool MatchTime(std::u16string_view t, int& h, int& m, int& s) {
    size_t pos = 0;
    if (!Digits(t, pos, 1, 2, h) || pos >= t.size() || t[pos++] != u':') {
        return false;
    }
    if (!Digits(t, pos, 1, 2, m) || pos >= t.size() || t[pos++] != u':') {
        return false;
    }
    return Digits(t, pos, 1, 2, s) && EndsNumber(t, pos);
}

bool MatchNumber(std::u16string_view t, size_t min, size_t max, int& value) {
    size_t pos = 0;
    return Digits(t, pos, min, max, value) && EndsNumber(t, pos);
}

bool MatchMonth(std::u16string_view t, int& month) {
    static constexpr std::u16string_view kMonths[] = {u"jan", u"feb", u"mar", u"apr",
                                                      u"may", u"jun", u"jul", u"aug",
                                                      u"sep", u"oct", u"nov", u"dec"};
    for (int i = 0; i < 12; ++i) {
        if (StartsWithNoCase(t, kMonths[i])) {
            month = i + 1;
            return true;
        }
    }
    return false;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// ---- Set-Cookie parsing (5.2) ----

struct Attribute {
    enum Kind { Expires, MaxAge, Domain, Path, Secure, HttpOnly } kind;
    std::u16string text; // Domain, Path
    int64_t time = 0;    // Expires, Max-Age: the expiry time
};

struct ParsedCookie {
    std::u16string name, value;
    std::vector<Attribute> attributes;
};

int64_t AddSeconds(int64_t now, int64_t delta) {
    return delta > kLatest - now ? kLatest : now + delta;
}

std::optional<int64_t> ParseMaxAge(std::u16string_view v, int64_t now) {
    if (v.empty() || !(IsDigit(v[0]) || v[0] == u'-')) {
        return std::nullopt;
    }
    bool negative = v[0] == u'-';
    std::u16string_view digits = negative ? v.substr(1) : v;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
        return std::nullopt;
    }
    int64_t delta = 0;
    for (char16_t c : digits) {
        delta = delta > (kLatest - 9) / 10 ? kLatest : delta * 10 + (c - u'0');
    }
    if (negative || delta == 0) {
        return kEarliest;
    }
    return AddSeconds(now, delta);
}

void ParseAttribute(std::u16string_view av, const Url& url, int64_t now, ParsedCookie& out) {
    std::u16string_view name = av, value;
    if (size_t eq = av.find(u'='); eq != av.npos) {
        name = av.substr(0, eq);
        value = av.substr(eq + 1);
    }
    name = TrimBlanks(name);
    value = TrimBlanks(value);
    if (EqualsNoCase(name, u"expires")) {
        if (auto time = ParseCookieDate(value)) {
            out.attributes.push_back({Attribute::Expires, {}, *time});
        }
    } else if (EqualsNoCase(name, u"max-age")) {
        if (auto time = ParseMaxAge(value, now)) {
            out.attributes.push_back({Attribute::MaxAge, {}, *time});
        }
    } else if (EqualsNoCase(name, u"domain")) {
        // An empty Domain is ignored entirely, as the RFC recommends.
        if (!value.empty()) {
            if (value[0] == u'.') {
                value.remove_prefix(1);
            }
            out.attributes.push_back({Attribute::Domain, AsciiLower(value), 0});
        }
    } else if (EqualsNoCase(name, u"path")) {
        std::u16string path =
            value.empty() || value[0] != u'/' ? DefaultCookiePath(url) : std::u16string(value);
        out.attributes.push_back({Attribute::Path, std::move(path), 0});
    } else if (EqualsNoCase(name, u"secure")) {
        out.attributes.push_back({Attribute::Secure, {}, 0});
    } else if (EqualsNoCase(name, u"httponly")) {
        out.attributes.push_back({Attribute::HttpOnly, {}, 0});
    }
}

std::optional<ParsedCookie> ParseSetCookie(std::u16string_view text, const Url& url, int64_t now) {
    size_t semicolon = text.find(u';');
    std::u16string_view pair = text.substr(0, semicolon);
    size_t eq = pair.find(u'=');
    if (eq == pair.npos) {
        return std::nullopt;
    }
    ParsedCookie cookie;
    cookie.name = std::u16string(TrimBlanks(pair.substr(0, eq)));
    cookie.value = std::u16string(TrimBlanks(pair.substr(eq + 1)));
    if (cookie.name.empty()) {
        return std::nullopt;
    }
    std::u16string_view rest =
        semicolon == text.npos ? std::u16string_view{} : text.substr(semicolon + 1);
    while (!rest.empty()) {
        size_t next = rest.find(u';');
        ParseAttribute(rest.substr(0, next), url, now, cookie);
        rest = next == rest.npos ? std::u16string_view{} : rest.substr(next + 1);
    }
    return cookie;
}

const Attribute* Last(const ParsedCookie& c, Attribute::Kind kind) {
    for (auto it = c.attributes.rbegin(); it != c.attributes.rend(); ++it) {
        if (it->kind == kind) {
            return &*it;
        }
    }
    return nullptr;
}

bool IsIpAddress(std::u16string_view host) {
    if (host.find(u':') != host.npos || (!host.empty() && host[0] == u'[')) {
        return true; // IPv6 literal
    }
    if (host.empty()) {
        return false;
    }
    // IPv4 in dotted form: digits and dots only, ending in a digit.
    return std::all_of(host.begin(), host.end(),
                       [](char16_t c) { return IsDigit(c) || c == u'.'; }) &&
           IsDigit(host.back());
}

} // namespace

std::optional<int64_t> ParseCookieDate(std::u16string_view text) {
    bool foundTime = false, foundDay = false, foundMonth = false, foundYear = false;
    int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsDateDelimiter(text[pos])) {
            ++pos;
        }
        size_t start = pos;
        while (pos < text.size() && !IsDateDelimiter(text[pos])) {
            ++pos;
        }
        std::u16string_view token = text.substr(start, pos - start);
        if (token.empty()) {
            break;
        }
        if (!foundTime && MatchTime(token, hour, minute, second)) {
            foundTime = true;
        } else if (!foundDay && MatchNumber(token, 1, 2, day)) {
            foundDay = true;
        } else if (!foundMonth && MatchMonth(token, month)) {
            foundMonth = true;
        } else if (!foundYear && MatchNumber(token, 2, 4, year)) {
            foundYear = true;
        }
    }
    if (year >= 70 && year <= 99) {
        year += 1900;
    } else if (year >= 0 && year <= 69) {
        year += 2000;
    }
    if (!foundTime || !foundDay || !foundMonth || !foundYear) {
        return std::nullopt;
    }
    if (day < 1 || day > 31 || year < 1601 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    if (day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

bool DomainMatches(std::u16string_view string, std::u16string_view domain) {
    if (string == domain) {
        return true;
    }
    return string.size() > domain.size() && !domain.empty() &&
           string.substr(string.size() - domain.size()) == domain &&
           string[string.size() - domain.size() - 1] == u'.' && !IsIpAddress(string);
}

std::u16string DefaultCookiePath(const Url& url) {
    // The directory of path + document is url.path; without its final '/' unless it is "/".
    const std::u16string& dir = url.path;
    if (dir.size() <= 1 || dir[0] != u'/') {
        return u"/";
    }
    return dir.substr(0, dir.size() - 1);
}

bool PathMatches(std::u16string_view requestPath, std::u16string_view cookiePath) {
    if (requestPath == cookiePath) {
        return true;
    }
    if (requestPath.size() <= cookiePath.size() ||
        requestPath.substr(0, cookiePath.size()) != cookiePath) {
        return false;
    }
    return cookiePath.back() == u'/' || requestPath[cookiePath.size()] == u'/';
}

CookieStore::CookieStore()
    : clock_([] {
          return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                          std::chrono::system_clock::now().time_since_epoch())
                                          .count());
      }) {}

void CookieStore::SetClock(Clock clock) {
    clock_ = std::move(clock);
}

void CookieStore::Store(std::u16string_view setCookieValue, const Url& requestUrl) {
    if (setCookieValue.size() > kMaxCookieBytes) {
        return;
    }
    const int64_t now = clock_();
    auto parsed = ParseSetCookie(setCookieValue, requestUrl, now);
    if (!parsed) {
        return;
    }

    Cookie cookie;
    cookie.name = std::move(parsed->name);
    cookie.value = std::move(parsed->value);
    cookie.creation = cookie.lastAccess = now;
    cookie.sequence = nextSequence_++;
    if (const Attribute* maxAge = Last(*parsed, Attribute::MaxAge)) {
        cookie.persistent = true;
        cookie.expiry = maxAge->time;
    } else if (const Attribute* expires = Last(*parsed, Attribute::Expires)) {
        cookie.persistent = true;
        cookie.expiry = expires->time;
    }
    const std::u16string host = AsciiLower(requestUrl.host);
    const Attribute* domain = Last(*parsed, Attribute::Domain);
    // Without a public-suffix list, a single label (".org", "com") counts as a public
    // suffix, as the storage model's step 5 treats those: allowed only as the host itself,
    // and then host-only.
    if (domain && domain->text.find(u'.') == std::u16string::npos) {
        if (domain->text != host) {
            return;
        }
        domain = nullptr;
    }
    if (domain && !domain->text.empty()) {
        if (!DomainMatches(host, domain->text)) {
            return;
        }
        cookie.hostOnly = false;
        cookie.domain = domain->text;
    } else {
        cookie.domain = host;
    }
    const Attribute* path = Last(*parsed, Attribute::Path);
    cookie.path = path ? path->text : DefaultCookiePath(requestUrl);
    cookie.secure = Last(*parsed, Attribute::Secure) != nullptr;
    cookie.httpOnly = Last(*parsed, Attribute::HttpOnly) != nullptr;

    auto old = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& c) {
        return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
    });
    if (old != cookies_.end()) {
        cookie.creation = old->creation;
        cookie.sequence = old->sequence;
        cookies_.erase(old);
    }
    cookies_.push_back(std::move(cookie));
    RemoveExpired(now);
    EnforceCaps(cookies_.empty() ? std::u16string() : cookies_.back().domain);
}

std::u16string CookieStore::CookieHeader(const Url& requestUrl) {
    const int64_t now = clock_();
    RemoveExpired(now);
    const std::u16string host = AsciiLower(requestUrl.host);
    const std::u16string path = requestUrl.path + requestUrl.document;
    const bool secureChannel = requestUrl.scheme == u"https";
    std::vector<Cookie*> chosen;
    for (auto& c : cookies_) {
        bool domainOk = c.hostOnly ? host == c.domain : DomainMatches(host, c.domain);
        if (domainOk && PathMatches(path, c.path) && (!c.secure || secureChannel)) {
            chosen.push_back(&c);
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(), [](const Cookie* a, const Cookie* b) {
        if (a->path.size() != b->path.size()) {
            return a->path.size() > b->path.size();
        }
        if (a->creation != b->creation) {
            return a->creation < b->creation;
        }
        return a->sequence < b->sequence;
    });
    std::u16string header;
    for (Cookie* c : chosen) {
        c->lastAccess = now;
        if (!header.empty()) {
            header += u"; ";
        }
        header += c->name + u"=" + c->value;
    }
    return header;
}

void CookieStore::RemoveExpired(int64_t now) {
    std::erase_if(cookies_, [now](const Cookie& c) { return c.persistent && c.expiry <= now; });
}

void CookieStore::EnforceCaps(const std::u16string& domain) {
    // Least recently used first, then the oldest.
    auto evictOne = [this](auto&& eligible) {
        auto victim = cookies_.end();
        for (auto it = cookies_.begin(); it != cookies_.end(); ++it) {
            if (eligible(*it) &&
                (victim == cookies_.end() || it->lastAccess < victim->lastAccess ||
                 (it->lastAccess == victim->lastAccess && it->sequence < victim->sequence))) {
                victim = it;
            }
        }
        if (victim != cookies_.end()) {
            cookies_.erase(victim);
        }
    };
    auto sameDomain = [&domain](const Cookie& c) { return c.domain == domain; };
    while (static_cast<size_t>(std::count_if(cookies_.begin(), cookies_.end(), sameDomain)) >
           kMaxCookiesPerDomain) {
        evictOne(sameDomain);
    }
    while (cookies_.size() > kMaxCookiesTotal) {
        evictOne([](const Cookie&) { return true; });
    }
}

} // namespace hx::net
