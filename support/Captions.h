// Localised texts: single lookups (GetCaption) and captioning a whole window
// (ApplyCaptions) from the language resource chosen by the product's registry value.
// Nothing is cached: every call reads the registry value and the resource again, so a
// changed language shows at the next call.
#pragma once

#include "ui/Component.h"

#include <string>
#include <string_view>

namespace hx {

// The registry value's text with A to Z lower-cased and nothing else changed.
std::u16string LanguageName(std::u16string_view registryText);

// The language resource as text, read afresh (support/<platform>/LanguageSource.cpp).
// Empty when the resource cannot be found or read.
std::u16string ReadLanguageText();

std::u16string GetCaption(std::u16string_view windowName, std::u16string_view key);
void ApplyCaptions(ui::Component& window);

// The rules themselves, over text already read.
std::u16string GetCaptionIn(std::u16string_view text, std::u16string_view windowName,
                            std::u16string_view key);
void ApplyCaptionsFrom(std::u16string_view text, ui::Component& window);

} // namespace hx
