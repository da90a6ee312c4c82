#include "support/LanguageText.h"

#include "base/AsciiCase.h"

namespace hx {

namespace {

constexpr bool IsBlank(char16_t c) {
    return c >= 0x0001 && c <= 0x0020;
}

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

std::u16string DecodeLanguageBytes(std::span<const uint8_t> bytes, const AnsiDecoder& ansi) {
    std::u16string text;
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        text = DecodeUtf8(bytes.subspan(3));
    } else if (StartsWith(bytes, {0xFF, 0xFE})) {
        text = DecodeUtf16(bytes.subspan(2), false);
    } else if (StartsWith(bytes, {0xFE, 0xFF})) {
        text = DecodeUtf16(bytes.subspan(2), true);
    } else {
        text = ansi ? ansi(bytes) : DecodeWindows1252(bytes);
    }
    if (auto nul = text.find(u'\0'); nul != std::u16string::npos) {
        text.resize(nul);
    }
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
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::vector<std::u16string> SplitFields(std::u16string_view line) {
    std::vector<std::u16string> fields;
    size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
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
            while (pos < line.size() && !IsBlank(line[pos]) && line[pos] != u',') {
                ++pos;
            }
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

std::u16string LanguageName(std::u16string_view registryText) {
    return AsciiLower(registryText);
}

bool HasRows(std::u16string_view text) {
    for (std::u16string_view line : SplitLines(text)) {
        if (!line.empty()) {
            return !SplitFields(line).empty();
        }
    }
    return false;
}

std::u16string LanguageTextOrFallback(std::u16string_view language, const ResourceReader& read) {
    std::u16string text = language.empty() ? std::u16string() : read(language);
    if (!HasRows(text) && language != kFallbackLanguage) {
        text = read(kFallbackLanguage);
    }
    return text;
}

std::u16string ReadLanguageText() {
    return LanguageTextOrFallback(ChosenLanguage(), ReadLanguageResource);
}

} // namespace hx
