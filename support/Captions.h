// Localised texts: single lookups (GetCaption) and captioning a whole window
// (ApplyCaptions) from the language resource chosen by the product's registry value, or
// from the English one when the chosen language has no texts. Nothing is cached: every
// call reads the registry value and the resource again, so a changed language shows at
// the next call.
#pragma once

#include "ui/Component.h"

#include <functional>
#include <string>
#include <string_view>

namespace hx {

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

std::u16string GetCaption(std::u16string_view windowName, std::u16string_view key);
void ApplyCaptions(ui::Component& window);

// The rules themselves, over text already read.
std::u16string GetCaptionIn(std::u16string_view text, std::u16string_view windowName,
                            std::u16string_view key);
void ApplyCaptionsFrom(std::u16string_view text, ui::Component& window);

} // namespace hx
