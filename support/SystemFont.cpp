#include "support/SystemFont.h"

#include "ui/Controls.h"
#include "ui/Scaling.h"
#include "ui/Screen.h"

namespace hx {

using ui::Component;
using ui::Property;

int FontPoints(const ui::Font& f, int dpi) {
    return ui::PointsFromHeight(f.height, dpi);
}

void SetFontPoints(ui::Font& f, int points, int dpi) {
    f.height = ui::HeightFromPoints(points, dpi);
}

void BindToDesktopFont(ui::Form& window) {
    window.BindDesktopFont(ui::DesktopFontAt(window.pixelsPerInch()));
}

namespace {

int DpiOf(Component& window) {
    const ui::Form* form =
        window.IsKindOf(ui::Kind::Form) ? static_cast<ui::Form*>(&window) : ui::OwningForm(window);
    return form ? form->pixelsPerInch() : ui::kDesignDpi;
}

bool FollowsParentFont(const Component& c) {
    const Property* p = c.FindProperty(u"parentfont");
    return p && p->type == Property::Type::Boolean && p->readBoolean && p->readBoolean(c);
}

bool HasFontObject(const Component& c) {
    const Property* p = c.FindProperty(u"font");
    return p && p->type == Property::Type::Object;
}

} // namespace

void NormaliseFonts(Component& window) {
    const int dpi = DpiOf(window);
    if (FontPoints(window.font(), dpi) > kMaxWindowFontPoints) {
        ui::Font capped = window.font();
        SetFontPoints(capped, kMaxWindowFontPoints, dpi);
        window.SetFont(capped);
    }
    const ui::Font windowFont = window.font();
    const int size = FontPoints(windowFont, dpi);
    for (const auto& c : window.components()) {
        if (FollowsParentFont(*c) || !HasFontObject(*c)) {
            continue;
        }
        ui::Font f = c->font();
        f.face = windowFont.face;
        if (FontPoints(f, dpi) < size) {
            SetFontPoints(f, size, dpi);
        }
        c->SetFont(f);
    }
}

} // namespace hx
