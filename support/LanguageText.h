// The language text: which language the product chose, its resource read as text (or the
// English one when it has none), and that text split into lines and fields. The platform
// part (support/*/LanguageSource.cpp) only reads the registry value and finds the bytes.
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

// The language whose texts stand in for a language that has none.
inline constexpr std::u16string_view kFallbackLanguage = u"english";

// The registry value's text with A to Z lower-cased and nothing else changed.
std::u16string LanguageName(std::u16string_view registryText);

// The platform part (support/<platform>/LanguageSource.cpp): the language the product's
// registry value names (lower-cased), and a language resource as text, read afresh;
// empty when there is no resource of that name or it cannot be read.
std::u16string ChosenLanguage();
std::u16string ReadLanguageResource(std::u16string_view language);

// Whether the text yields a row before its scan ends: a blank line ends it, so a text of
// empty and blank lines only holds none.
bool HasRows(std::u16string_view text);

// The chosen language's text, or the English text when its resource is missing or holds no
// rows: a window without any text would leave the user nothing to read.
using ResourceReader = std::function<std::u16string(std::u16string_view language)>;
std::u16string LanguageTextOrFallback(std::u16string_view language, const ResourceReader& read);

// The language text the lookups use: LanguageTextOrFallback over the platform part.
std::u16string ReadLanguageText();

} // namespace hx
