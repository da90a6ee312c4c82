#include "ui/Controls.h"

#include "base/Guard.h"
#include "ui/Application.h"
#include "ui/Scaling.h"
#include "ui/Screen.h"

#include <algorithm>

namespace hx::ui {

Picture::Picture(Bitmap bitmap) : bitmap_(std::make_shared<const Bitmap>(std::move(bitmap))) {}

Picture Picture::FromPng(std::span<const uint8_t> png) {
    PngResult r = DecodePng(png);
    return r.bitmap ? Picture(std::move(*r.bitmap)) : Picture();
}

bool operator==(const Picture& a, const Picture& b) {
    if (a.bitmap_ == b.bitmap_) {
        return true;
    }
    if (!a.bitmap_ || !b.bitmap_) {
        return false;
    }
    return a.bitmap_->width == b.bitmap_->width && a.bitmap_->height == b.bitmap_->height &&
           a.bitmap_->rgba == b.bitmap_->rgba;
}

void Control::SetEnabled(bool on) {
    enabled_ = on;
    Changed();
}

void Control::SetCursor(Cursor c) {
    cursor_ = c;
    Changed();
}

bool Control::windowed() const {
    return IsKindOf(Kind::Form) || IsKindOf(Kind::Panel) || IsKindOf(Kind::Button) ||
           IsKindOf(Kind::ProgressBar) || IsKindOf(Kind::Edit);
}

Form::Form(std::u16string className, std::u16string name)
    : Control(std::move(name), Kind::Form, nullptr), className_(std::move(className)) {
    visible_ = false;
}

Form::~Form() {
    ReleasePeers();
}

void Form::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    Changed();
}

void Form::BindDesktopFont(const Font& f) {
    ownFont_ = f;
    desktopFont_ = true;
    Changed();
}

void Form::SetFont(const Font& f) {
    desktopFont_ = false;
    Control::SetFont(f);
}

void Form::ScaleOwnFontHeight(int fromDpi, int toDpi) {
    if (ownFont_) {
        ownFont_->height = ScaleValue(ownFont_->height, fromDpi, toDpi);
    }
}

void Form::DesktopSettingsChanged() {
    if (!desktopFont_) {
        return;
    }
    const Font f = DesktopFontAt(pixelsPerInch_);
    if (!ownFont_ || f != *ownFont_) {
        BindDesktopFont(f);
    }
}

void Form::Close() {
    CloseAction action = CloseAction::Hide;
    // Closing is never refused: a handler that fails still lets it go on.
    if (OnClose) {
        Guarded([&] { OnClose(*this, action); });
    }
    Application& app = Application::Instance();
    if (app.MainForm() == this) {
        app.Terminate();
    } else if (action == CloseAction::Hide) {
        SetVisible(false);
    }
}

Label::Label(std::u16string name, Component* owner, Component* parent)
    : Control(std::move(name), Kind::Label, owner, parent) {}

void Label::SetAutoSize(bool on) {
    autoSize_ = on;
    Changed();
}

void Label::SetWordWrap(bool on) {
    wordWrap_ = on;
    Changed();
}

void Label::FitTo(int width, int height) {
    if (!autoSize_ || (bounds_.width == width && bounds_.height == height)) {
        return;
    }
    SetBounds({bounds_.left, bounds_.top, width, height});
}

Panel::Panel(std::u16string name, Component* owner, Component* parent)
    : Control(std::move(name), Kind::Panel, owner, parent) {}

void Panel::SetColour(const Colour& c) {
    colour_ = c;
    Changed();
}

Button::Button(std::u16string name, Component* owner, Component* parent)
    : Control(std::move(name), Kind::Button, owner, parent) {
    SetTabStop(true);
}

void Button::Click() {
    if (enabled() && OnClick) {
        Guarded([this] { OnClick(*this); });
    }
}

Image::Image(std::u16string name, Component* owner, Component* parent)
    : Control(std::move(name), Kind::Image, owner, parent) {}

void Image::SetPicture(const Picture& p) {
    picture_ = p;
    Changed();
}

void Image::SetStretch(bool on) {
    stretch_ = on;
    Changed();
}

ProgressBar::ProgressBar(std::u16string name, Component* owner, Component* parent)
    : Control(std::move(name), Kind::ProgressBar, owner, parent) {}

void ProgressBar::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
    Changed();
}

void ProgressBar::SetPosition(int p) {
    position_ = std::clamp(p, min_, max_);
    Changed();
}

void ProgressBar::SetSmooth(bool on) {
    smooth_ = on;
    Changed();
}

Bevel::Bevel(std::u16string name, Component* owner, Component* parent)
    : Control(std::move(name), Kind::Bevel, owner, parent) {}

void Bevel::SetShape(Shape s) {
    shape_ = s;
    Changed();
}

Form* OwningForm(Component& c) {
    for (Component* p = &c; p; p = p->owner()) {
        if (p->IsKindOf(Kind::Form)) {
            return static_cast<Form*>(p);
        }
    }
    return nullptr;
}

} // namespace hx::ui
