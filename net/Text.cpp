#include "net/Text.h"

namespace hx::net {

std::string ToAscii7(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

std::u16string HeadText(std::span<const uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes)
        out.push_back(b < 0x80 ? char16_t(b) : u'\uFFFD');
    return out;
}

std::u16string HeadText(std::string_view bytes) {
    return HeadText(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::u16string Latin1Text(std::span<const uint8_t> bytes) {
    return std::u16string(bytes.begin(), bytes.end());
}

char16_t AsciiLowerChar(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

std::u16string AsciiLower(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out)
        c = AsciiLowerChar(c);
    return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i]))
            return false;
    return true;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

size_t FindNoCase(std::u16string_view text, std::u16string_view needle, size_t from) {
    if (needle.size() > text.size())
        return std::u16string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i)
        if (EqualsNoCase(text.substr(i, needle.size()), needle))
            return i;
    return std::u16string_view::npos;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string Widen(std::string_view ascii) {
    std::u16string out;
    out.reserve(ascii.size());
    for (char c : ascii)
        out.push_back(static_cast<unsigned char>(c));
    return out;
}

} // namespace hx::net
