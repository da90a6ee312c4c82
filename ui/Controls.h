// The controls of our toolkit on top of the component model: what each kind holds beyond
// a name, a box, a caption and a font. Every setter tells the realisation (Changed()),
// so a realised control follows its model; unrealised, the model works alone (tests).
#pragma once

#include "ui/Accessibility.h"
#include "ui/Component.h"
#include "ui/Png.h"

#include <functional>
#include <memory>
#include <vector>

namespace hx::ui {

enum class Cursor : uint8_t { Default, Arrow, Wait, Hand };

// A decoded picture. Copies share the pixels, which nobody changes after decoding.
class Picture {
public:
    Picture() = default;
    // An empty picture when the bytes are not a PNG we can decode.
    static Picture FromPng(std::span<const uint8_t> png);
    explicit Picture(Bitmap bitmap);

    bool empty() const { return !bitmap_; }
    const Bitmap* bitmap() const { return bitmap_.get(); }
    uint32_t width() const { return bitmap_ ? bitmap_->width : 0; }
    uint32_t height() const { return bitmap_ ? bitmap_->height : 0; }
    // Same pixels, whether or not the two share them.
    friend bool operator==(const Picture& a, const Picture& b);

private:
    std::shared_ptr<const Bitmap> bitmap_;
};

// What every visible control has beyond the component: pointer, enabled state, tab order.
class Control : public Component {
public:
    using Component::Component;

    bool enabled() const { return enabled_; }
    void SetEnabled(bool on);
    Cursor cursor() const { return cursor_; }
    void SetCursor(Cursor c);
    int tabOrder() const { return tabOrder_; }
    void SetTabOrder(int order) { tabOrder_ = order; }
    bool tabStop() const { return tabStop_; }
    void SetTabStop(bool on) { tabStop_ = on; }
    // A control with a window of its own (button, panel, progress bar) lies above the
    // windowless ones (label, image, bevel), which their parent paints.
    bool windowed() const;

private:
    bool enabled_ = true;
    Cursor cursor_ = Cursor::Default;
    int tabOrder_ = -1;
    bool tabStop_ = false;
};

enum class CloseAction : uint8_t { None, Hide, Free, Minimize };

class Form : public Control {
public:
    // `className` names the system window class, `name` the component (and the window
    // name of the language rows).
    Form(std::u16string className, std::u16string name);
    ~Form() override;

    const std::u16string& className() const { return className_; }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    void SetClientSize(int width, int height);
    // The DPI the form's geometry and font heights are at (96 until scaled).
    int pixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int dpi) { pixelsPerInch_ = dpi; }

    // The desktop-font binding: the form shows the system's icon-title font and takes its
    // new value when the system announces a change, until its font is changed otherwise.
    bool desktopFont() const { return desktopFont_; }
    void BindDesktopFont(const Font& f);
    void SetFont(const Font& f) override; // ends the binding
    // Scaling carries the font to a new DPI without ending the binding.
    void ScaleOwnFontHeight(int fromDpi, int toDpi);
    // The system announced a settings change: a bound form takes a new icon-title font.
    void DesktopSettingsChanged();

    // Events: creation (after the form is realised and scaled) and close.
    std::function<void(Form& sender)> OnCreate;
    std::function<void(Form& sender, CloseAction& action)> OnClose;

    // A close request from any source (title bar, Alt+F4, a button). Never refused: it
    // runs OnClose and, for the application's main form, terminates the application.
    void Close();

    // The system handle of the realised form (null before realisation).
    void* Handle() const { return peer() ? peer()->Handle() : nullptr; }

    // What a screen reader is told of the children of the form or of one of its panels.
    std::vector<AccessibleItem> AccessibleChildren(const Component& container) const {
        return DescribeChildren(*this, container, AccessibleStandIns());
    }
    // The groups of windowless components that this form tells as one item each.
    virtual std::vector<AccessibleStandIn> AccessibleStandIns() const { return {}; }

private:
    std::u16string className_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int pixelsPerInch_ = 96;
    bool desktopFont_ = false;
};

class Label : public Control {
public:
    Label(std::u16string name, Component* owner, Component* parent);
    // An auto-sized label fits its box to its text and keeps its left and top.
    bool autoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool wordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    // The realisation reports the measured text size here.
    void FitTo(int width, int height);

private:
    bool autoSize_ = true;
    bool wordWrap_ = false;
};

class Panel : public Control {
public:
    Panel(std::u16string name, Component* owner, Component* parent);
    const Colour& colour() const { return colour_; }
    void SetColour(const Colour& c);

private:
    Colour colour_ = Colour::Sys(Colour::System::ButtonFace);
};

class Button : public Control {
public:
    Button(std::u16string name, Component* owner, Component* parent);
    // Enter presses the default button when no other button has the focus; Escape
    // presses the cancel button.
    bool isDefault() const { return default_; }
    void SetDefault(bool on) { default_ = on; }
    bool isCancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }

    std::function<void(Component& sender)> OnClick;
    // Presses the button as a click does; nothing happens while it is disabled.
    void Click();

private:
    bool default_ = false;
    bool cancel_ = false;
};

class Image : public Control {
public:
    Image(std::u16string name, Component* owner, Component* parent);
    const Picture& picture() const { return picture_; }
    void SetPicture(const Picture& p);
    // Stretched: drawn to the size of the box; else at its own size at the top left.
    bool stretch() const { return stretch_; }
    void SetStretch(bool on);

private:
    Picture picture_;
    bool stretch_ = false;
};

class ProgressBar : public Control {
public:
    ProgressBar(std::u16string name, Component* owner, Component* parent);
    int min() const { return min_; }
    int max() const { return max_; }
    void SetRange(int min, int max);
    int position() const { return position_; }
    void SetPosition(int p); // kept within the range
    bool smooth() const { return smooth_; }
    void SetSmooth(bool on);

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    bool smooth_ = false;
};

// An etched line along one edge of its box.
class Bevel : public Control {
public:
    enum class Shape : uint8_t { TopLine, BottomLine, Box };
    Bevel(std::u16string name, Component* owner, Component* parent);
    Shape shape() const { return shape_; }
    void SetShape(Shape s);

private:
    Shape shape_ = Shape::Box;
};

// The form of a component's owner chain, if there is one.
Form* OwningForm(Component& c);

} // namespace hx::ui
