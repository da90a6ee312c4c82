#include "ui/Screen.h"

#include "ui/Scaling.h"

namespace hx::ui {

Font DesktopFontFrom(const Font& iconTitle, int systemDpi, int windowDpi) {
    Font f = iconTitle;
    f.height = HeightFromPoints(PointsFromHeight(iconTitle.height, systemDpi), windowDpi);
    f.colour = Colour::Sys(Colour::System::WindowText);
    return f;
}

Font DesktopFontAt(int windowDpi) {
    return DesktopFontFrom(IconTitleFont(), SystemDpi(), windowDpi);
}

} // namespace hx::ui
