// Letter case as this program knows it: only A to Z and a to z are case pairs.
// Names (components, windows, resources, keys, switches) compare this way everywhere.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace hx {

constexpr char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

inline std::u16string AsciiLower(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out)
        c = AsciiLower(c);
    return out;
}

constexpr bool EqualsAsciiNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

} // namespace hx
