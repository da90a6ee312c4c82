// The screen of a window-less build: 96 DPI, the usual icon-title font, and resources read
// from the folder named by HX_RESOURCE_DIR (the tests point it at the pictures).
#include "ui/Screen.h"

#include "base/AsciiCase.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace hx::ui {

int SystemDpi() {
    return 96;
}

Font IconTitleFont() {
    Font f;
    f.face = u"MS Shell Dlg";
    f.height = -11;
    return f;
}

std::vector<uint8_t> ReadResource(std::u16string_view name) {
    const char* dir = std::getenv("HX_RESOURCE_DIR");
    if (!dir || name.empty()) {
        return {};
    }
    std::string file(dir);
    file += '/';
    for (char16_t c : name) {
        if (c > 0x7E || c == u'/') {
            return {};
        }
        file += char(AsciiLower(c));
    }
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace hx::ui
