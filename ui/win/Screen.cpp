#include "ui/Screen.h"

#include "support/win/Handles.h"
#include "ui/win/Gdi.h"

#include <windows.h>

namespace hx::ui {

int SystemDpi() {
    return win::SystemDpiNow();
}

Font IconTitleFont() {
    LOGFONTW lf{};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0))
        return win::FromLogFont(lf);
    for (int stock : {DEFAULT_GUI_FONT, SYSTEM_FONT})
        if (GetObjectW(GetStockObject(stock), sizeof lf, &lf) == sizeof lf)
            return win::FromLogFont(lf);
    return ApplicationFont();
}

std::vector<uint8_t> ReadResource(std::u16string_view name) {
    const std::u16string n(name);
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, hx::win::W(n), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, info);
    if (!data || size == 0)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

} // namespace hx::ui
