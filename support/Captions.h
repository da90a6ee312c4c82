// Localised texts: single lookups (GetCaption) and captioning a whole window
// (ApplyCaptions) from the language text (support/LanguageText.h: the chosen language, or
// English when it has no texts). Nothing is cached: every call reads the registry value and
// the resource again, so a changed language shows at the next call.
#pragma once

#include "ui/Component.h"

#include <string>
#include <string_view>

namespace hx {

std::u16string GetCaption(std::u16string_view windowName, std::u16string_view key);
void ApplyCaptions(ui::Component& window);

// The rules themselves, over text already read.
std::u16string GetCaptionIn(std::u16string_view text, std::u16string_view windowName,
                            std::u16string_view key);
void ApplyCaptionsFrom(std::u16string_view text, ui::Component& window);

} // namespace hx
