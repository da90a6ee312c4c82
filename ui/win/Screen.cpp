#include "ui/Screen.h"

#include "base/win/Resources.h"
#include "ui/win/Gdi.h"

#include <windows.h>

namespace hx::ui {

int SystemDpi() {
    return win::SystemDpiNow();
}

Font IconTitleFont() {
    LOGFONTW lf{};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0)) {
        return win::FromLogFont(lf);
    }
    for (int stock : {DEFAULT_GUI_FONT, SYSTEM_FONT}) {
        if (GetObjectW(GetStockObject(stock), sizeof lf, &lf) == sizeof lf) {
            return win::FromLogFont(lf);
        }
    }
    return ApplicationFont();
}

std::vector<uint8_t> ReadResource(std::u16string_view name) {
    const std::span<const uint8_t> bytes = hx::win::ResourceBytes(name);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace hx::ui
