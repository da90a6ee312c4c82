#include "ui/Scaling.h"

#include "ui/Controls.h"

#include <cstdint>
#include <cstdlib>

namespace hx::ui {

int MulDivRound(int value, int numerator, int denominator) {
    if (denominator == 0) {
        return value;
    }
    const int64_t product = int64_t(value) * numerator;
    const int64_t d = denominator;
    // Round the magnitude, then give back the sign: halves go away from zero.
    const bool negative = (product < 0) != (d < 0);
    const int64_t p = std::llabs(product), q = std::llabs(d);
    const int64_t magnitude = (2 * p + q) / (2 * q);
    return int(negative ? -magnitude : magnitude);
}

int PointsFromHeight(int height, int dpi) {
    return -MulDivRound(height, kPointsPerInch, dpi);
}

int HeightFromPoints(int points, int dpi) {
    return -MulDivRound(points, dpi, kPointsPerInch);
}

namespace {

Rect ScaleRect(const Rect& r, int from, int to) {
    return {ScaleValue(r.left, from, to), ScaleValue(r.top, from, to),
            ScaleValue(r.width, from, to), ScaleValue(r.height, from, to)};
}

} // namespace

void ScaleForm(Form& form, int toDpi) {
    const int from = form.pixelsPerInch();
    if (from == toDpi || from <= 0 || toDpi <= 0) {
        return;
    }
    form.SetClientSize(ScaleValue(form.clientWidth(), from, toDpi),
                       ScaleValue(form.clientHeight(), from, toDpi));
    form.ScaleOwnFontHeight(from, toDpi);
    for (const auto& c : form.components()) {
        if (!c->IsKindOf(Kind::Control)) {
            continue;
        }
        if (Font* f = c->parentFont() ? nullptr : c->MutableOwnFont()) {
            f->height = ScaleValue(f->height, from, toDpi);
        }
        c->SetBounds(ScaleRect(c->bounds(), from, toDpi));
    }
    form.SetPixelsPerInch(toDpi);
}

} // namespace hx::ui
