// 8-bit text to and from the program's UTF-16 text: UTF-8 and Windows-1252. One
// implementation for the language resource, HTTP bodies, file names and command lines.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace hx {

namespace utf8_detail {
inline void Append(std::u16string& out, uint32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}
} // namespace utf8_detail

// Each maximal ill-formed part becomes one U+FFFD (as the WHATWG decoder does): overlong
// forms, surrogates and values above U+10FFFF never decode.
inline std::u16string DecodeUtf8(std::span<const uint8_t> s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t b = s[i++];
        if (b < 0x80) {
            out.push_back(b);
            continue;
        }
        int need;
        uint8_t lower = 0x80, upper = 0xBF;
        uint32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1, cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2, cp = b & 0x0F;
            lower = b == 0xE0 ? 0xA0 : 0x80;
            upper = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3, cp = b & 0x07;
            lower = b == 0xF0 ? 0x90 : 0x80;
            upper = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            out.push_back(u'\uFFFD');
            continue;
        }
        bool ok = true;
        for (int k = 0; k < need; ++k) {
            if (i >= s.size() || s[i] < lower || s[i] > upper) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[i++] & 0x3F);
            lower = 0x80, upper = 0xBF;
        }
        if (ok) {
            utf8_detail::Append(out, cp);
        } else {
            out.push_back(u'\uFFFD');
        }
    }
    return out;
}

inline std::u16string DecodeUtf8(std::string_view s) {
    return DecodeUtf8({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
}

// A lone surrogate is written as U+FFFD.
inline std::string EncodeUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Windows-1252. The five bytes the code page leaves undefined stand for themselves, as
// Windows' own table has them.
inline std::u16string DecodeWindows1252(std::span<const uint8_t> bytes) {
    static constexpr std::array<char16_t, 32> kHigh{
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::u16string out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes) {
        out.push_back(b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

} // namespace hx
