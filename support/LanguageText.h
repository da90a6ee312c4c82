// Turning the bytes of a language resource into text, and text into lines and fields.
// Pure functions: the platform part (support/*/LanguageSource.cpp) only finds the bytes.
#pragma once

#include "base/TextCodecs.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hx {

// Decodes 8-bit text without a byte-order mark; the platform passes its ANSI code page.
using AnsiDecoder = std::function<std::u16string(std::span<const uint8_t>)>;

// The marks EF BB BF, FF FE and FE FF are tested in that order and are not part of the
// text; anything else is 8-bit text. The text ends at its first NUL character.
std::u16string DecodeLanguageBytes(std::span<const uint8_t> bytes, const AnsiDecoder& ansi);

// Lines end at CR LF, a lone CR or a lone LF; a final line end adds no empty line.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// The fields of one row: blanks are U+0001 to U+0020; quoted fields with doubled quotes;
// commas separate; a comma that is the last character of the line adds an empty field.
// A line of blanks only has no fields.
std::vector<std::u16string> SplitFields(std::u16string_view line);

} // namespace hx
