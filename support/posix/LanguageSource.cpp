// Platforms without named resources: the language resources are compiled into the
// program as a table (generated from app/resources/languages/), found without regard to
// case, and the language is the default one, as with no registry value.
#include "base/AsciiCase.h"
#include "support/LanguageText.h"
#include "support/posix/EmbeddedLanguages.h"

namespace hx {

std::u16string ChosenLanguage() {
    return LanguageName(u"english");
}

std::u16string ReadLanguageResource(std::u16string_view language) {
    for (const auto& resource : EmbeddedLanguages()) {
        if (EqualsNoCase(resource.name, language)) {
            return DecodeLanguageBytes(resource.bytes, nullptr);
        }
    }
    return {};
}

} // namespace hx
