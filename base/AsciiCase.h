// Letter case as this program knows it: only A to Z and a to z are case pairs.
// Names (components, windows, resources, keys, switches, header names) compare this way
// everywhere.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace hx {

constexpr char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

inline std::u16string AsciiLower(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out) {
        c = AsciiLower(c);
    }
    return out;
}

constexpr bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

constexpr bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Position of the first occurrence of needle at or after `from`, or npos.
constexpr std::size_t FindNoCase(std::u16string_view text, std::u16string_view needle,
                                 std::size_t from = 0) {
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (EqualsNoCase(text.substr(i, needle.size()), needle)) {
            return i;
        }
    }
    return std::u16string_view::npos;
}

} // namespace hx
