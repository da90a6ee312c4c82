#include "net/Text.h"

namespace hx::net {

std::string ToAscii7(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

std::u16string HeadText(std::span<const uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes) {
        out.push_back(b < 0x80 ? char16_t(b) : u'\uFFFD');
    }
    return out;
}

std::u16string HeadText(std::string_view bytes) {
    return HeadText(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::u16string Latin1Text(std::span<const uint8_t> bytes) {
    return std::u16string(bytes.begin(), bytes.end());
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string Widen(std::string_view ascii) {
    std::u16string out;
    out.reserve(ascii.size());
    for (char c : ascii) {
        out.push_back(static_cast<unsigned char>(c));
    }
    return out;
}

} // namespace hx::net
