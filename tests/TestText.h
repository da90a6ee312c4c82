// Text conversions shared by the tests: the program's UTF-16 text, Windows' wide strings
// and the 8-bit strings of test literals and failure messages.
#pragma once

#include "base/TextCodecs.h"

#include <string>
#include <string_view>

namespace hx::test {

// UTF-16 text as UTF-8, for readable failure messages and comparisons with literals.
inline std::string Utf8(std::u16string_view text) {
    return EncodeUtf8(text);
}

// ASCII text (the tests' paths, names and protocol text) from one character type to
// another, character by character.
inline std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}
inline std::string Narrow(std::wstring_view text) {
    return std::string(text.begin(), text.end());
}
inline std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}
inline std::wstring Wide(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}
inline std::u16string U16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}
inline std::u16string U16(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

} // namespace hx::test
