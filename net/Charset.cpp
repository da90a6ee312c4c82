#include "net/Charset.h"

#include "base/TextCodecs.h"

#include <algorithm>

namespace hx::net {
namespace {

// META elements belong in the head at the start of a page; the scan for them stops here
// (browsers' prescan looks at far less), so a huge page is not copied to find them.
constexpr size_t kMaxMetaScan = 64 * 1024;
// An XML declaration is short; look for it only at the start.
constexpr size_t kMaxXmlDeclaration = 1024;

enum class Codec { None, Utf8, Utf16Le, Utf16Be, Utf16Bom, Latin1, Ascii, Windows1252 };

Codec CodecOf(std::u16string_view name) {
    std::u16string n = AsciiLower(TrimBlanks(name));
    if (n.size() >= 2 && (n.front() == u'"' || n.front() == u'\'') && n.back() == n.front()) {
        n = n.substr(1, n.size() - 2);
    }
    auto in = [&n](std::initializer_list<std::u16string_view> names) {
        return std::find(names.begin(), names.end(), n) != names.end();
    };
    if (in({u"utf-8", u"utf8", u"unicode-1-1-utf-8"})) {
        return Codec::Utf8;
    }
    if (in({u"utf-16le"})) {
        return Codec::Utf16Le;
    }
    if (in({u"utf-16be", u"unicodefffe"})) {
        return Codec::Utf16Be;
    }
    if (in({u"utf-16", u"ucs-2", u"unicode", u"csunicode", u"iso-10646-ucs-2"})) {
        return Codec::Utf16Bom;
    }
    if (in({u"iso-8859-1", u"iso8859-1", u"iso_8859-1", u"iso_8859-1:1987", u"latin1", u"latin-1",
            u"l1", u"iso-ir-100", u"cp819", u"ibm819", u"csisolatin1", u"iso88591"})) {
        return Codec::Latin1;
    }
    if (in({u"us-ascii", u"ascii", u"us", u"ansi_x3.4-1968", u"ansi_x3.4-1986", u"iso646-us",
            u"iso_646.irv:1991", u"cp367", u"ibm367", u"csascii", u"iso-ir-6"})) {
        return Codec::Ascii;
    }
    if (in({u"windows-1252", u"cp1252", u"x-cp1252"})) {
        return Codec::Windows1252;
    }
    return Codec::None;
}

std::u16string DecodeUtf16(std::span<const uint8_t> s, bool bigEndian) {
    std::u16string out;
    out.reserve(s.size() / 2 + 1);
    size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        out.push_back(bigEndian ? char16_t(s[i] << 8 | s[i + 1]) : char16_t(s[i + 1] << 8 | s[i]));
    }
    if (i < s.size()) {
        out.push_back(u'\uFFFD'); // a lone last byte
    }
    return out;
}

// ---- Choosing ----

bool IsHtmlType(std::u16string_view media) {
    return media == u"text/html" || media == u"text/html-sandboxed" ||
           media == u"application/xhtml+xml";
}

bool IsXmlType(std::u16string_view media) {
    if (media == u"application/xml" || media == u"application/xml-external-parsed-entity" ||
        media == u"application/xml-dtd") {
        return true;
    }
    return !media.starts_with(u"text/") && media.find(u'/') != media.npos &&
           media.ends_with(u"+xml");
}

// Rules 1 and 2: the Content-Type's charset, else the default of the text family.
std::u16string HeaderCharset(const HeaderList& headers) {
    const std::u16string* contentType = headers.Find(u"Content-Type");
    if (!contentType) {
        return {};
    }
    std::u16string charset = ContentTypeParameter(*contentType, u"charset");
    if (!charset.empty()) {
        return charset;
    }
    std::u16string media = MediaType(*contentType);
    if (!media.starts_with(u"text/")) {
        return {};
    }
    std::u16string_view subtype = std::u16string_view(media).substr(5);
    if (subtype == u"xml" || subtype == u"xml-external-parsed-entity" ||
        subtype.ends_with(u"+xml")) {
        return u"us-ascii";
    }
    return u"ISO-8859-1";
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

struct MetaAttributes {
    std::u16string httpEquiv, content, charset;
    bool hasHttpEquiv = false, hasContent = false;
};

// Reads the attributes of a tag from pos (just after its name) to its '>'.
MetaAttributes ReadAttributes(std::u16string_view html, size_t& pos) {
    MetaAttributes meta;
    bool seenCharset = false;
    while (pos < html.size()) {
        while (pos < html.size() && (IsSpace(html[pos]) || html[pos] == u'/')) {
            ++pos;
        }
        if (pos >= html.size() || html[pos] == u'>') {
            break;
        }
        size_t start = pos;
        while (pos < html.size() && !IsSpace(html[pos]) && html[pos] != u'=' && html[pos] != u'>' &&
               html[pos] != u'/') {
            ++pos;
        }
        if (pos == start) { // a stray '=': skip it
            ++pos;
        }
        std::u16string name = AsciiLower(html.substr(start, pos - start));
        while (pos < html.size() && IsSpace(html[pos])) {
            ++pos;
        }
        std::u16string value;
        if (pos < html.size() && html[pos] == u'=') {
            ++pos;
            while (pos < html.size() && IsSpace(html[pos])) {
                ++pos;
            }
            if (pos < html.size() && (html[pos] == u'"' || html[pos] == u'\'')) {
                char16_t quote = html[pos++];
                size_t end = std::min(html.find(quote, pos), html.size());
                value = html.substr(pos, end - pos);
                pos = std::min(end + 1, html.size());
            } else {
                size_t vstart = pos;
                while (pos < html.size() && !IsSpace(html[pos]) && html[pos] != u'>') {
                    ++pos;
                }
                value = html.substr(vstart, pos - vstart);
            }
        }
        if (name == u"http-equiv" && !meta.hasHttpEquiv) {
            meta.httpEquiv = std::u16string(TrimBlanks(value)), meta.hasHttpEquiv = true;
        } else if (name == u"content" && !meta.hasContent) {
            meta.content = value, meta.hasContent = true;
        } else if (name == u"charset" && !seenCharset) {
            meta.charset = std::u16string(TrimBlanks(value)), seenCharset = true;
        }
    }
    return meta;
}

// Rule 3: META http-equiv headers go into `headers`; the first META charset is returned.
std::u16string ScanMeta(std::span<const uint8_t> body, HeaderList& headers) {
    std::u16string html = Latin1Text(body.first(std::min(body.size(), kMaxMetaScan)));
    std::u16string charset;
    size_t pos = 0;
    while ((pos = html.find(u'<', pos)) != html.npos) {
        std::u16string_view rest = std::u16string_view(html).substr(pos);
        if (rest.starts_with(u"<!--")) {
            size_t end = html.find(u"-->", pos + 4);
            if (end == html.npos) {
                break;
            }
            pos = end + 3;
            continue;
        }
        if (StartsWithNoCase(rest, u"</head") || StartsWithNoCase(rest, u"<body")) {
            break;
        }
        if (StartsWithNoCase(rest, u"<meta") && rest.size() > 5 &&
            (IsSpace(rest[5]) || rest[5] == u'/' || rest[5] == u'>')) {
            pos += 5;
            MetaAttributes meta = ReadAttributes(html, pos);
            if (meta.hasHttpEquiv && meta.hasContent && !meta.httpEquiv.empty()) {
                headers.Set(meta.httpEquiv, meta.content);
            }
            if (charset.empty() && !meta.charset.empty()) {
                charset = meta.charset;
            }
            continue;
        }
        ++pos;
    }
    return charset;
}

// Rule 4: byte-order mark, else encoding declaration, else UTF-8.
std::u16string XmlCharset(std::span<const uint8_t> body) {
    auto startsWith = [&body](std::initializer_list<uint8_t> bytes) {
        return body.size() >= bytes.size() && std::equal(bytes.begin(), bytes.end(), body.begin());
    };
    if (startsWith({0xEF, 0xBB, 0xBF})) {
        return u"UTF-8";
    }
    if (startsWith({0xFE, 0xFF})) {
        return u"UTF-16BE";
    }
    if (startsWith({0xFF, 0xFE})) {
        return u"UTF-16LE";
    }
    if (startsWith({0x3C, 0x00, 0x3F, 0x00})) {
        return u"UTF-16LE";
    }
    if (startsWith({0x00, 0x3C, 0x00, 0x3F})) {
        return u"UTF-16BE";
    }
    std::u16string head = Latin1Text(body.first(std::min(body.size(), kMaxXmlDeclaration)));
    std::u16string_view decl(head);
    if (!decl.starts_with(u"<?xml") || decl.size() < 6 || !IsSpace(decl[5])) {
        return u"UTF-8";
    }
    decl = decl.substr(0, decl.find(u"?>"));
    size_t at = decl.find(u"encoding");
    if (at == decl.npos) {
        return u"UTF-8";
    }
    size_t pos = at + 8;
    while (pos < decl.size() && IsSpace(decl[pos])) {
        ++pos;
    }
    if (pos >= decl.size() || decl[pos] != u'=') {
        return u"UTF-8";
    }
    ++pos;
    while (pos < decl.size() && IsSpace(decl[pos])) {
        ++pos;
    }
    if (pos >= decl.size() || (decl[pos] != u'"' && decl[pos] != u'\'')) {
        return u"UTF-8";
    }
    char16_t quote = decl[pos++];
    size_t end = decl.find(quote, pos);
    if (end == decl.npos || end == pos) {
        return u"UTF-8";
    }
    return std::u16string(decl.substr(pos, end - pos));
}

} // namespace

std::u16string MediaType(std::u16string_view contentType) {
    return AsciiLower(TrimBlanks(contentType.substr(0, contentType.find(u';'))));
}

std::u16string ContentTypeParameter(std::u16string_view contentType, std::u16string_view name) {
    size_t pos = contentType.find(u';');
    while (pos != contentType.npos) {
        size_t next = contentType.find(u';', pos + 1);
        std::u16string_view param = contentType.substr(
            pos + 1, next == contentType.npos ? contentType.npos : next - pos - 1);
        pos = next;
        size_t eq = param.find(u'=');
        if (eq == param.npos || !EqualsNoCase(TrimBlanks(param.substr(0, eq)), name)) {
            continue;
        }
        std::u16string_view value = TrimBlanks(param.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::u16string(value);
    }
    return {};
}

std::u16string ChooseCharset(std::span<const uint8_t> body, const HeaderList& headers) {
    const std::u16string* contentType = headers.Find(u"Content-Type");
    std::u16string media = contentType ? MediaType(*contentType) : std::u16string();
    if (IsHtmlType(media)) {
        HeaderList withMeta = headers;
        std::u16string metaCharset = ScanMeta(body, withMeta);
        return metaCharset.empty() ? HeaderCharset(withMeta) : metaCharset;
    }
    if (IsXmlType(media)) {
        return XmlCharset(body);
    }
    return HeaderCharset(headers);
}

bool IsKnownCharset(std::u16string_view name) {
    return CodecOf(name) != Codec::None;
}

std::u16string DecodeWithCharset(std::span<const uint8_t> body, std::u16string_view charset) {
    switch (CodecOf(charset)) {
    case Codec::Utf8:
        return hx::DecodeUtf8(body);
    case Codec::Utf16Le:
        return DecodeUtf16(body, false);
    case Codec::Utf16Be:
        return DecodeUtf16(body, true);
    case Codec::Utf16Bom:
        // The mark decides; without one, little-endian as on Windows. The mark is kept.
        return DecodeUtf16(body, body.size() >= 2 && body[0] == 0xFE && body[1] == 0xFF);
    case Codec::Ascii: {
        std::u16string out = HeadText(body);
        return out;
    }
    case Codec::Windows1252:
        return hx::DecodeWindows1252(body);
    case Codec::Latin1:
    case Codec::None:
        break;
    }
    return Latin1Text(body);
}

std::u16string DecodeBody(std::span<const uint8_t> body, const HeaderList& headers) {
    if (body.empty()) {
        return {};
    }
    return DecodeWithCharset(body, ChooseCharset(body, headers));
}

} // namespace hx::net
