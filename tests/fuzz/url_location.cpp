// Fuzz target for URL parsing and Location resolution. The input's first line is the
// base URL (a fixed one when it does not parse), the rest the Location. Every URL built
// must have the shape the request needs and survive being written and read back.
#include "net/Url.h"

#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace hx::net;

namespace {

void CheckShape(const Url& u) {
    Require(u.scheme == u"http" || u.scheme == u"https");
    Require(!u.host.empty() && !u.port.empty());
    Require(!u.path.empty() && u.path.front() == u'/' && u.path.back() == u'/');
    Require(u.document.find_first_of(u"/?#") == std::u16string::npos);
    Require(u.query.find(u'#') == std::u16string::npos);
    std::u16string target = RequestTarget(u);
    Require(!target.empty() && target.front() == u'/');
    auto again = ParseUrl(ToString(u));
    Require(again.has_value());
    Require(again->scheme == u.scheme && again->host == u.host && again->port == u.port &&
            again->path == u.path && again->document == u.document && again->query == u.query &&
            again->fragment == u.fragment);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text = HeadText(std::span(data, size));
    std::u16string_view all(text);
    size_t eol = all.find(u'\n');
    std::u16string_view first = all.substr(0, eol);
    std::u16string_view location = eol == all.npos ? all : all.substr(eol + 1);

    auto base = ParseUrl(first);
    if (base) {
        CheckShape(*base);
    }
    Url fallback = *ParseUrl(u"http://127.0.0.1:18080/downloads/update/?product=hexaplane");
    if (auto next = ResolveLocation(base ? *base : fallback, location)) {
        CheckShape(*next);
    }
    (void)hx::EqualsNoCase(first, location);
    return 0;
}
