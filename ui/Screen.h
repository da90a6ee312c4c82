// What the toolkit asks the system about the screen: its DPI, the icon-title font and
// the program's embedded resources. Platform parts in ui/win/Screen.cpp and
// ui/posix/Screen.cpp.
#pragma once

#include "ui/Component.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace hx::ui {

// The system DPI (the DPI of the primary monitor at log-on).
int SystemDpi();

// The icon-title font as the system reports it, its height at the system DPI. When the
// query fails: the stock GUI font, else the stock system font.
Font IconTitleFont();

// The desktop font for a window at `windowDpi`: the icon-title font's face, point size,
// style and character set, in the system's window-text colour.
Font DesktopFontAt(int windowDpi);
// The same from a font and the DPI its height was given at (the portable rule).
Font DesktopFontFrom(const Font& iconTitle, int systemDpi, int windowDpi);

// The bytes of the program's raw-data resource of this name; empty when there is none.
std::vector<uint8_t> ReadResource(std::u16string_view name);

} // namespace hx::ui
