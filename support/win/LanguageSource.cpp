// The language resource of the running executable, chosen by the product's registry value.
#include "base/win/Resources.h"
#include "support/LanguageText.h"
#include "support/win/CustomRegistry.h"

#include <windows.h>

namespace hx {

namespace {

std::u16string DecodeAnsi(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return {};
    }
    const auto* src = reinterpret_cast<const char*>(bytes.data());
    const int n = MultiByteToWideChar(CP_ACP, 0, src, int(bytes.size()), nullptr, 0);
    if (n <= 0) {
        return DecodeWindows1252(bytes);
    }
    std::u16string out(size_t(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, src, int(bytes.size()), reinterpret_cast<wchar_t*>(out.data()),
                        n);
    return out;
}

} // namespace

std::u16string ChosenLanguage() {
    return LanguageName(ReadRegistryString(HKEY_LOCAL_MACHINE, u"\\Software\\KORVEX\\Hexaplane\\",
                                           u"Language", u"english", false));
}

std::u16string ReadLanguageResource(std::u16string_view language) {
    // Resource names are found without regard to case.
    return DecodeLanguageBytes(win::ResourceBytes(language), DecodeAnsi);
}

} // namespace hx
