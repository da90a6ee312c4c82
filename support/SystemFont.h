// The product's font rules for its windows: bind a window to the desktop (icon-title)
// font, and normalise the fonts of a window and the components it owns.
#pragma once

#include "ui/Component.h"

namespace hx::ui {
class Form;
}

namespace hx {

// The largest window font the product's windows are laid out for.
inline constexpr int kMaxWindowFontPoints = 9;

// A font's size in points at `dpi`, and setting it (the height is recomputed).
int FontPoints(const ui::Font& f, int dpi);
void SetFontPoints(ui::Font& f, int points, int dpi);

// The window font becomes the system's icon-title font at the window's DPI, and the
// window keeps following it while its font is left alone.
void BindToDesktopFont(ui::Form& window);

// Caps the window font at 9 points, then gives every owned component that has a font of
// its own (its "parentfont" switch off or missing, a "font" property present) the window
// font's face and at least its size. Both properties are looked up by name without
// regard to case. A failure (an exception) ends the routine; changes made so far stay.
void NormaliseFonts(ui::Component& window);

} // namespace hx
