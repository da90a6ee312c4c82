#include "net/Url.h"

#include <vector>

namespace hx::net {
namespace {

bool IsAsciiAlpha(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The scheme before ':' when the text starts with one (RFC 3986 letters), else empty.
std::u16string_view SchemeOf(std::u16string_view text) {
    if (text.empty() || !IsAsciiAlpha(text[0])) {
        return {};
    }
    for (size_t i = 1; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u':') {
            return text.substr(0, i);
        }
        if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != u'+' && c != u'-' && c != u'.') {
            return {};
        }
    }
    return {};
}

// Path (with document), query and fragment of the part after the authority.
struct Tail {
    std::u16string_view path, query, fragment;
};

Tail SplitTail(std::u16string_view rest) {
    Tail t;
    size_t hash = rest.find(u'#');
    if (hash != rest.npos) {
        t.fragment = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
    }
    size_t question = rest.find(u'?');
    if (question != rest.npos) {
        t.query = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    t.path = rest;
    return t;
}

void SetPathAndDocument(Url& url, std::u16string_view full) {
    if (full.empty() || full[0] != u'/') {
        url.path = u"/";
        url.document = std::u16string(full);
        return;
    }
    size_t slash = full.rfind(u'/');
    url.path = std::u16string(full.substr(0, slash + 1));
    url.document = std::u16string(full.substr(slash + 1));
}

// RFC 3986 5.2.4 on an absolute path: "." and ".." segments resolved, never above the root.
std::u16string RemoveDotSegments(std::u16string_view path) {
    std::vector<std::u16string_view> segments;
    size_t start = 1; // path begins with '/'
    bool trailingSlash = false;
    while (start <= path.size()) {
        size_t end = path.find(u'/', start);
        if (end == path.npos) {
            end = path.size();
        }
        std::u16string_view seg = path.substr(start, end - start);
        bool last = end == path.size();
        if (seg == u".") {
            trailingSlash = last;
        } else if (seg == u"..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
            trailingSlash = last;
        } else {
            segments.push_back(seg);
            trailingSlash = false;
        }
        start = end + 1;
    }
    std::u16string out;
    for (auto seg : segments) {
        out += u'/';
        out += seg;
    }
    if (out.empty() || trailingSlash) {
        out += u'/';
    }
    return out;
}

bool ValidPort(std::u16string_view port) {
    if (port.empty() || port.size() > 5) {
        return false;
    }
    int value = 0;
    for (char16_t c : port) {
        if (!IsAsciiDigit(c)) {
            return false;
        }
        value = value * 10 + (c - u'0');
    }
    return value <= 65535;
}

} // namespace

std::u16string DefaultPort(std::u16string_view scheme) {
    if (EqualsNoCase(scheme, u"http")) {
        return u"80";
    }
    if (EqualsNoCase(scheme, u"https")) {
        return u"443";
    }
    return {};
}

std::optional<Url> ParseUrl(std::u16string_view text) {
    std::u16string_view scheme = SchemeOf(text);
    if (scheme.empty()) {
        return std::nullopt;
    }
    Url url;
    url.scheme = AsciiLower(scheme);
    if (url.scheme != u"http" && url.scheme != u"https") {
        return std::nullopt;
    }
    std::u16string_view rest = text.substr(scheme.size() + 1);
    if (rest.substr(0, 2) != u"//") {
        return std::nullopt;
    }
    rest.remove_prefix(2);

    size_t authorityEnd = rest.find_first_of(u"/?#");
    if (authorityEnd == rest.npos) {
        authorityEnd = rest.size();
    }
    std::u16string_view authority = rest.substr(0, authorityEnd);
    size_t at = authority.rfind(u'@');
    if (at != authority.npos) {
        authority.remove_prefix(at + 1);
    }

    std::u16string_view host = authority, port;
    if (!authority.empty() && authority[0] == u'[') {
        size_t close = authority.find(u']');
        if (close == authority.npos) {
            return std::nullopt;
        }
        host = authority.substr(0, close + 1);
        std::u16string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != u':') {
                return std::nullopt;
            }
            port = after.substr(1);
        }
    } else if (size_t colon = authority.find(u':'); colon != authority.npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty() || host == u"[]") {
        return std::nullopt;
    }
    if (port.empty()) {
        url.port = DefaultPort(url.scheme);
    } else if (ValidPort(port)) {
        url.port = std::u16string(port);
    } else {
        return std::nullopt;
    }
    url.host = std::u16string(host);

    Tail tail = SplitTail(rest.substr(authorityEnd));
    SetPathAndDocument(url, tail.path);
    url.query = std::u16string(tail.query);
    url.fragment = std::u16string(tail.fragment);
    return url;
}

std::u16string RequestTarget(const Url& url) {
    std::u16string target = url.path + url.document;
    if (!url.query.empty()) {
        target += u"?" + url.query;
    }
    return target;
}

std::u16string HostValue(const Url& url) {
    if (url.port == DefaultPort(url.scheme)) {
        return url.host;
    }
    return url.host + u":" + url.port;
}

std::optional<Url> ResolveLocation(const Url& base, std::u16string_view location) {
    if (!SchemeOf(location).empty()) {
        return ParseUrl(location);
    }
    if (location.substr(0, 2) == u"//") {
        return ParseUrl(base.scheme + u":" + std::u16string(location));
    }

    Tail tail = SplitTail(location);
    Url url;
    url.scheme = base.scheme;
    url.host = base.host;
    url.port = base.port;
    std::u16string full;
    if (!tail.path.empty() && tail.path[0] == u'/') {
        full = std::u16string(tail.path);
    } else {
        full = base.path + std::u16string(tail.path);
    }
    if (full.empty() || full[0] != u'/') {
        full.insert(full.begin(), u'/');
    }
    SetPathAndDocument(url, RemoveDotSegments(full));
    url.query = std::u16string(tail.query);
    url.fragment = std::u16string(tail.fragment);
    return url;
}

std::u16string ToString(const Url& url) {
    std::u16string out = url.scheme + u"://" + HostValue(url) + RequestTarget(url);
    if (!url.fragment.empty()) {
        out += u"#" + url.fragment;
    }
    return out;
}

} // namespace hx::net
