// Absolute http(s) URLs split the way the request needs them, and Location resolution.
// Nothing is percent-encoded or decoded: the URL goes out as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "net/Text.h"

namespace hx::net {

struct Url {
    std::u16string scheme;   // lower-cased, e.g. u"http"
    std::u16string host;     // as written; an IPv6 literal keeps its brackets, e.g. u"[::1]"
    std::u16string port;     // as written, or the scheme default (u"80"/u"443") when absent
    std::u16string path;     // directory part, begins and ends with '/', e.g. u"/downloads/update/"
    std::u16string document; // last path segment (may be empty)
    std::u16string query;    // without '?'
    std::u16string fragment; // without '#'
};

// nullopt: not an absolute http or https URL, no host, or a port that is not decimal.
// User information before '@' is dropped: the client holds no credentials.
std::optional<Url> ParseUrl(std::u16string_view text);

// path + document (+ "?" query when the URL had a query); the fragment is never sent.
std::u16string RequestTarget(const Url& url);

// The host alone when the port equals the scheme's default as text ("80" for http, "443"
// for https), otherwise host ":" port.
std::u16string HostValue(const Url& url);

// The scheme's default port as text, or empty for another scheme.
std::u16string DefaultPort(std::u16string_view scheme);

// A Location against the URL it answered. An absolute URL replaces the base; a relative one
// keeps scheme, host and port; "//host/..." keeps only the scheme; "/..." replaces the
// path, anything else is appended to the base's directory, with "." and ".." resolved.
// Document and query always come from the Location (empty when it has none).
// nullopt when the result is not an absolute http(s) URL.
std::optional<Url> ResolveLocation(const Url& base, std::u16string_view location);

// The URL written back as text (fragment included when present).
std::u16string ToString(const Url& url);

} // namespace hx::net
