// The language resource of the running executable, chosen by the product's registry value.
#include "support/Captions.h"
#include "support/CustomRegistry.h"
#include "support/LanguageText.h"
#include "support/win/Handles.h"

namespace hx {

namespace {

std::u16string DecodeAnsi(std::span<const uint8_t> bytes) {
    if (bytes.empty())
        return {};
    const auto* src = reinterpret_cast<const char*>(bytes.data());
    const int n = MultiByteToWideChar(CP_ACP, 0, src, int(bytes.size()), nullptr, 0);
    if (n <= 0)
        return DecodeWindows1252(bytes);
    std::u16string out(size_t(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, src, int(bytes.size()), reinterpret_cast<wchar_t*>(out.data()),
                        n);
    return out;
}

} // namespace

std::u16string ReadLanguageText() {
    const std::u16string language = LanguageName(ReadRegistryString(
        HKEY_LOCAL_MACHINE, u"\\Software\\KORVEX\\Hexaplane\\", u"Language", u"english", false));
    if (language.empty())
        return {};
    // Resource names are found without regard to case.
    HRSRC info = FindResourceW(nullptr, win::W(language), RT_RCDATA);
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(nullptr, info);
    const DWORD size = SizeofResource(nullptr, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return DecodeLanguageBytes({static_cast<const uint8_t*>(data), size}, DecodeAnsi);
}

} // namespace hx
