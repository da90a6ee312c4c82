// DPI arithmetic: the window definition is laid out at 96 pixels per inch and every
// position, size and font height is carried to the window's DPI by multiplying first and
// dividing last, rounded to the nearest integer with halves away from zero.
#pragma once

namespace hx::ui {

class Component;
class Form;

// The DPI the window definitions are laid out at.
inline constexpr int kDesignDpi = 96;
inline constexpr int kPointsPerInch = 72;

// value * numerator / denominator, rounded half away from zero, with a 64-bit product so
// no realistic value can overflow. A zero denominator leaves the value as it is.
int MulDivRound(int value, int numerator, int denominator);

inline int ScaleValue(int value, int fromDpi, int toDpi) {
    return MulDivRound(value, toDpi, fromDpi);
}

// A font's size in points from its pixel height (negative: a character height), and back:
// size = -(height * 72 / dpi), height = -(size * dpi / 72).
int PointsFromHeight(int height, int dpi);
int HeightFromPoints(int points, int dpi);

// Carries a form from its current DPI to another: the client area, every owned
// component's position and size, and the heights of the fonts the form and its
// components hold of their own. Fonts followed from a parent are not touched: they
// change with the parent's.
void ScaleForm(Form& form, int toDpi);

} // namespace hx::ui
