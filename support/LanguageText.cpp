#include "support/LanguageText.h"

#include <array>

namespace hx {

namespace {

constexpr bool IsBlank(char16_t c) { return c >= 0x0001 && c <= 0x0020; }

// 0x80 to 0x9F of Windows-1252; the five undefined bytes stand for themselves.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string DecodeUtf16(std::span<const uint8_t> bytes, bool bigEndian) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint8_t hi = bigEndian ? bytes[i] : bytes[i + 1];
        const uint8_t lo = bigEndian ? bytes[i + 1] : bytes[i];
        out.push_back(char16_t(hi << 8 | lo));
    }
    return out; // a lone trailing byte is no character
}

bool StartsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

} // namespace

std::u16string DecodeWindows1252(std::span<const uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes)
        out.push_back(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b));
    return out;
}

std::u16string DecodeUtf8(std::span<const uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const uint8_t b = bytes[i];
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        size_t j = 1;
        for (; j <= size_t(extra) && i + j < bytes.size() && (bytes[i + j] & 0xC0) == 0x80; ++j)
            cp = cp << 6 | (bytes[i + j] & 0x3F);
        if (j != size_t(extra) + 1 || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD); // skip the lead and the continuation bytes it did take
            i += j;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += j;
    }
    return out;
}

std::u16string DecodeLanguageBytes(std::span<const uint8_t> bytes, const AnsiDecoder& ansi) {
    std::u16string text;
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}))
        text = DecodeUtf8(bytes.subspan(3));
    else if (StartsWith(bytes, {0xFF, 0xFE}))
        text = DecodeUtf16(bytes.subspan(2), false);
    else if (StartsWith(bytes, {0xFE, 0xFF}))
        text = DecodeUtf16(bytes.subspan(2), true);
    else
        text = ansi ? ansi(bytes) : DecodeWindows1252(bytes);
    if (auto nul = text.find(u'\0'); nul != std::u16string::npos)
        text.resize(nul);
    return text;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::u16string> SplitFields(std::u16string_view line) {
    std::vector<std::u16string> fields;
    size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
    };
    skipBlanks();
    while (pos < line.size()) {
        std::u16string field;
        if (line[pos] == u'"') {
            ++pos;
            while (pos < line.size()) {
                if (line[pos] == u'"') {
                    if (pos + 1 < line.size() && line[pos + 1] == u'"') {
                        field.push_back(u'"');
                        pos += 2;
                        continue;
                    }
                    ++pos; // the closing quote
                    break;
                }
                field.push_back(line[pos++]);
            }
        } else {
            const size_t start = pos;
            while (pos < line.size() && !IsBlank(line[pos]) && line[pos] != u',')
                ++pos;
            field.assign(line.substr(start, pos - start));
        }
        fields.push_back(std::move(field));
        skipBlanks();
        if (pos < line.size() && line[pos] == u',') {
            ++pos;
            if (pos == line.size()) {
                fields.emplace_back(); // a trailing comma stands for one more, empty field
                break;
            }
            skipBlanks();
        }
    }
    return fields;
}

} // namespace hx
