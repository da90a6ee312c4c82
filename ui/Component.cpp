#include "ui/Component.h"

#include "base/AsciiCase.h"

#include <array>

namespace hx::ui {

Kind BaseKind(Kind kind) {
    switch (kind) {
    case Kind::Component:
        return Kind::Component;
    case Kind::NonVisual:
    case Kind::Control:
    case Kind::MenuItem:
        return Kind::Component;
    case Kind::ApplicationEvents:
        return Kind::NonVisual;
    case Kind::Form:
    case Kind::Label:
    case Kind::Panel:
    case Kind::Button:
    case Kind::Edit:
    case Kind::Image:
    case Kind::ProgressBar:
    case Kind::Bevel:
        return Kind::Control;
    }
    return Kind::Component;
}

bool IsKindOf(Kind kind, Kind base) {
    for (;;) {
        if (kind == base) {
            return true;
        }
        if (kind == Kind::Component) {
            return false;
        }
        kind = BaseKind(kind);
    }
}

Component::Component(std::u16string name, Kind kind, Component* owner, Component* parent)
    : name_(std::move(name)), kind_(kind), owner_(owner), parent_(parent) {
    // Controls that can show text follow their parent's font until given one of their own.
    parentFont_ = parent_ != nullptr && FindProperty(u"ParentFont") != nullptr;
}

// The platform side goes first, while every component is still there for it to look at.
Component::~Component() {
    ReleasePeers();
}

Component* Component::FindComponent(std::u16string_view name) const {
    if (name.empty()) {
        return nullptr;
    }
    for (const auto& c : owned_) {
        if (EqualsNoCase(c->name(), name)) {
            return c.get();
        }
    }
    return nullptr;
}

void Component::SetCaption(std::u16string caption) {
    caption_ = std::move(caption);
    Changed();
}

void Component::SetText(std::u16string text) {
    text_ = std::move(text);
    Changed();
}

void Component::SetBounds(const Rect& r) {
    bounds_ = r;
    Changed();
}

void Component::SetVisible(bool v) {
    visible_ = v;
    Changed();
}

void Component::SetParentFont(bool on) {
    if (on == parentFont_) {
        return;
    }
    if (!on && !ownFont_) {
        ownFont_ = font(); // leaving the binding keeps what was shown
    }
    parentFont_ = on;
    if (on) {
        ownFont_.reset();
    }
    Changed();
}

const Font& Component::font() const {
    if (parentFont_ && parent_) {
        return parent_->font();
    }
    if (ownFont_) {
        return *ownFont_;
    }
    if (parent_) {
        return parent_->font();
    }
    return ApplicationFont();
}

Font& ApplicationFont() {
    static Font font = [] {
        Font f;
        f.face = u"MS Shell Dlg 2";
        return f;
    }();
    return font;
}

void Component::ReleasePeers() {
    if (peer_) {
        peer_->Releasing();
    }
    for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) {
        (*it)->ReleasePeers();
    }
    peer_.reset();
}

void Component::SetFont(const Font& f) {
    ownFont_ = f;
    parentFont_ = false; // any change of a control's font ends its parent-font binding
    Changed();
}

const Property* Component::FindProperty(std::u16string_view name) const {
    using T = Property::Type;
    constexpr auto visible = [](const Component& c) { return c.visible(); };
    constexpr auto parentFont = [](const Component& c) { return c.parentFont(); };
    static constexpr std::array textControl{
        Property{u"Name", T::Text},
        Property{u"Caption", T::Text},
        Property{u"Visible", T::Boolean, +visible},
        Property{u"ParentFont", T::Boolean, +parentFont},
        Property{u"Font", T::Object},
    };
    static constexpr std::array form{
        Property{u"Name", T::Text},
        Property{u"Caption", T::Text},
        Property{u"Font", T::Object},
    };
    static constexpr std::array plainControl{
        Property{u"Name", T::Text},
        Property{u"Visible", T::Boolean, +visible},
    };
    static constexpr std::array nameOnly{Property{u"Name", T::Text}};

    std::span<const Property> table = nameOnly;
    if (IsKindOf(Kind::Form)) {
        table = form;
    } else if (IsKindOf(Kind::Label) || IsKindOf(Kind::Panel) || IsKindOf(Kind::Button) ||
               IsKindOf(Kind::Edit)) {
        table = textControl;
    } else if (IsKindOf(Kind::Control)) {
        table = plainControl;
    }
    for (const auto& p : table) {
        if (EqualsNoCase(p.name, name)) {
            return &p;
        }
    }
    return nullptr;
}

} // namespace hx::ui
