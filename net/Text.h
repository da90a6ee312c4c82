// Text helpers of the HTTP client. Head text is UTF-16: a head byte above 0x7F becomes
// U+FFFD, and text going out on the wire is 7-bit with '?' for anything else. Letter case
// is folded for A-Z only (base/AsciiCase.h), as everywhere in this program.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/AsciiCase.h"

namespace hx::net {

// '?' for every character outside ASCII (surrogate halves included).
std::string ToAscii7(std::u16string_view text);

// ASCII bytes to UTF-16 as head text: a byte above 0x7F becomes U+FFFD.
std::u16string HeadText(std::span<const uint8_t> bytes);
std::u16string HeadText(std::string_view bytes);

// Each byte to the character of the same code (0-255).
std::u16string Latin1Text(std::span<const uint8_t> bytes);

// Blanks are space and horizontal tab.
bool IsBlank(char16_t c);
std::u16string_view TrimBlanks(std::u16string_view text);

// Plain ASCII literal to UTF-16 (for constants).
std::u16string Widen(std::string_view ascii);

} // namespace hx::net
