// The portable component model of our small toolkit: named components owned by a form,
// each of one kind, with the caption or text, geometry, visibility and font that the
// caption rules, the font rules and the scaling work on. The Win32 realisation (ui/win/)
// mirrors this model into real windows; nothing here touches the platform.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hx::ui {

// Kinds form a small hierarchy: a derived kind counts as its base wherever a rule asks
// "is this a label?" (IsKindOf walks the chain).
enum class Kind : uint8_t {
    Component,         // root of everything
    NonVisual,         // owned, no window and no geometry (the HTTP client, for instance)
    ApplicationEvents, // non-visual; sees every key-down of the application first
    Control,           // anything with a box on a parent
    Form,
    Label,
    Panel,
    Button,
    MenuItem,
    Edit, // single-line text entry
    Image,
    ProgressBar,
    Bevel,
};

Kind BaseKind(Kind kind);
bool IsKindOf(Kind kind, Kind base);

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour as 0x00BBGGRR, or one of the system colours resolved at paint time.
struct Colour {
    enum class System : uint8_t { None, WindowText, Window, ButtonFace };
    uint32_t rgb = 0;
    System system = System::WindowText;
    static Colour Rgb(uint8_t r, uint8_t g, uint8_t b) {
        return {uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16, System::None};
    }
    static Colour Sys(System s) { return {0, s}; }
    friend bool operator==(const Colour&, const Colour&) = default;
};

// A font as a control holds it: the height is in pixels at the form's DPI, negative for
// a character height (the usual way fonts are given).
struct Font {
    std::u16string face;
    int height = -11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charset = 1; // DEFAULT_CHARSET
    Colour colour;
    friend bool operator==(const Font&, const Font&) = default;
};

class Component;

// The font an owned control shows when neither it nor any parent holds one. The platform
// fills in its dialog face at start; until then it is 8 points in "MS Shell Dlg 2".
Font& ApplicationFont();

// The published properties of a component, looked up by name without regard to the case
// of A to Z. Only the two kinds of property the font rules need are typed here. A boolean
// property carries its reader, so a rule can ask for the value by name alone.
struct Property {
    enum class Type : uint8_t { Boolean, Object, Text };
    std::u16string_view name;
    Type type;
    bool (*readBoolean)(const Component&) = nullptr;
};

// The platform side of a component (ui/win/), told whenever the model changes so that it
// can bring its window or its painting up to date. Owned by the component.
class ComponentPeer {
public:
    virtual ~ComponentPeer() = default;
    virtual void ModelChanged() = 0;
    // The owner is about to release its components' peers: stop looking at the model.
    virtual void Releasing() {}
    // The system handle of the component's window, or null for one without a window.
    virtual void* Handle() const { return nullptr; }
};

class Component {
public:
    Component(std::u16string name, Kind kind, Component* owner, Component* parent = nullptr);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::u16string& name() const { return name_; }
    Kind kind() const { return kind_; }
    bool IsKindOf(Kind base) const { return hx::ui::IsKindOf(kind_, base); }
    Component* owner() const { return owner_; }
    Component* parent() const { return parent_; }

    // Components this one owns, in creation order.
    const std::vector<std::unique_ptr<Component>>& components() const { return owned_; }
    template <class T = Component, class... Args> T& Add(Args&&... args) {
        auto c = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *c;
        owned_.push_back(std::move(c));
        return ref;
    }
    // The owned component with this name, compared without regard to the case of A to Z.
    Component* FindComponent(std::u16string_view name) const;

    const std::u16string& caption() const { return caption_; }
    virtual void SetCaption(std::u16string caption);
    const std::u16string& text() const { return text_; }
    virtual void SetText(std::u16string text);

    const Rect& bounds() const { return bounds_; }
    virtual void SetBounds(const Rect& r);
    bool visible() const { return visible_; }
    virtual void SetVisible(bool v);

    // Font: a control either follows its parent's font (parentFont) or holds its own.
    bool parentFont() const { return parentFont_; }
    void SetParentFont(bool on);
    const Font& font() const; // effective font (own, else the parent's)
    const std::optional<Font>& ownFont() const { return ownFont_; }
    virtual void SetFont(const Font& f); // gives the control a font of its own
    Font* MutableOwnFont() { return ownFont_ ? &*ownFont_ : nullptr; }

    // Published properties by kind; nullptr when the component has none of that name.
    const Property* FindProperty(std::u16string_view name) const;

    // Called after the model changed a property, so a realisation can follow.
    virtual void Changed() {
        if (peer_) {
            peer_->ModelChanged();
        }
    }

    ComponentPeer* peer() const { return peer_.get(); }
    void SetPeer(std::unique_ptr<ComponentPeer> peer) { peer_ = std::move(peer); }
    // Ends the platform side of every owned component and of this one, last to first.
    void ReleasePeers();

protected:
    std::u16string name_;
    Kind kind_;
    Component* owner_;
    Component* parent_;
    // Declared before the owned components, so that they (and their windows) go first.
    std::unique_ptr<ComponentPeer> peer_;
    std::vector<std::unique_ptr<Component>> owned_;
    std::u16string caption_;
    std::u16string text_;
    Rect bounds_;
    bool visible_ = true;
    bool parentFont_ = false;
    std::optional<Font> ownFont_;
};

} // namespace hx::ui
