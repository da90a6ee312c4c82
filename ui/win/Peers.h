// The Win32 side of each kind of control. A peer keeps its window (or, for windowless
// controls, its share of the parent's painting) in step with the model: ModelChanged
// compares what is shown with the model and changes only what differs.
#pragma once

#include "base/win/Handles.h"
#include "base/win/WideText.h"
#include "ui/Controls.h"
#include "ui/win/Accessible.h"
#include "ui/win/Gdi.h"
#include "ui/win/WindowBase.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace hx::ui::win {

class FormPeer;

class PeerBase : public ComponentPeer {
public:
    PeerBase(Control& control, FormPeer& form) : control_(control), form_(form) {}
    Control& control() const { return control_; }
    // The component's own window, or null for a windowless one.
    virtual HWND Window() const { return nullptr; }
    void* Handle() const override { return Window(); }
    // Windowless controls draw themselves onto their parent's paint DC.
    virtual void Paint(HDC) {}
    // A windowless child of this one changed.
    virtual void ChildChanged() {}

protected:
    // The window of the control's parent (the form or a panel).
    HWND ParentWindow() const;
    // The font to show, as a handle, and whether it differs from what was shown so far;
    // when it does, controls that follow this one's font are brought up to date.
    HFONT SyncFont(bool& changed);
    void NotifyChildren();

    Control& control_;
    FormPeer& form_;
    FontHandle font_;
    std::optional<Font> shownFont_;
};

// Our own windows that paint their windowless children: the form and panels. Each tells
// screen readers about those children, which have no windows the system could tell about.
class ContainerPeer : public PeerBase, public WindowBase, private AccessibleSource {
public:
    using PeerBase::PeerBase;
    HWND Window() const override { return hwnd(); }
    void Releasing() override;
    void ChildChanged() override;

protected:
    // WM_GETOBJECT, and the window's end for the accessible object; none when the message
    // goes on as usual.
    std::optional<LRESULT> AccessibilityMessage(UINT msg, WPARAM wp, LPARAM lp);
    void PaintContent(HDC dc, const RECT& client, COLORREF background);
    LRESULT PaintMessage(COLORREF background);
    // The pointer of the control under the mouse, when it asks for one of its own.
    bool SetCursorFor(HWND target);
    bool releasing_ = false;

private:
    HWND AccessibleWindow() const override { return hwnd(); }
    std::vector<AccessibleItem> AccessibleItems() const override;
    AccessibleServer accessible_{*this};
};

class FormPeer final : public ContainerPeer {
public:
    FormPeer(Form& form, HICON big, HICON small);
    Form& form() const { return static_cast<Form&>(control_); }
    bool created() const { return hwnd() != nullptr; }
    void ModelChanged() override;
    // Orders the windowed controls so that Tab follows their tab order.
    void ApplyTabOrder();
    // The component whose window this is (the form itself included), or null.
    Control* FindByWindow(HWND w) const;
    // The control holding the focus is about to be disabled or hidden: the focus moves on
    // to the next control in tab order that can take it, so keys keep reaching the form.
    void MoveFocusFrom(const Control& control);
    // That control can take the focus again: it gets it back, now or when the form is next
    // activated.
    void GiveFocusBack(HWND control);

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnCommand(WPARAM wp, LPARAM lp);
    void OnActivate(bool active);
    void FocusFirstControl();
    void UpdateDefaultButton();
    void OnDpiChanged(int dpi, const RECT& suggested);
    void Show(bool visible);
    Button* DefaultButton() const;

    std::u16string shownCaption_;
    SIZE shownClient_{-1, -1};
    bool shown_ = false;
    bool everShown_ = false;
    bool dpiChanging_ = false;
    HWND lastFocus_ = nullptr;
};

class PanelPeer final : public ContainerPeer {
public:
    PanelPeer(Panel& panel, FormPeer& form);
    void ModelChanged() override;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    Rect shownBounds_{-1, -1, -1, -1};
    bool shownVisible_ = false;
};

// System controls (button, progress bar): the window belongs to the system's class.
class SystemControlPeer : public PeerBase {
public:
    using PeerBase::PeerBase;
    HWND Window() const override { return window_.get(); }

protected:
    void SyncCommon(bool withFont);
    hx::win::UniqueWindow window_;
    Rect shownBounds_{-1, -1, -1, -1};
    std::optional<bool> shownVisible_, shownEnabled_;
    // Disabling or hiding the focused control first moves the focus on (the system would
    // leave it nowhere, and the keys with it); when the control can take it again, the
    // focus comes back, so the window returns to the state the user left it in.
    bool refocusWhenAble_ = false;
    std::optional<std::u16string> shownText_;
};

class ButtonPeer final : public SystemControlPeer {
public:
    ButtonPeer(Button& button, FormPeer& form, int id);
    void ModelChanged() override;
    int id() const { return id_; }

private:
    int id_;
};

class ProgressBarPeer final : public SystemControlPeer {
public:
    ProgressBarPeer(ProgressBar& bar, FormPeer& form);
    void ModelChanged() override;

private:
    std::optional<std::pair<int, int>> shownRange_;
    std::optional<int> shownPosition_;
};

// Labels, images and bevels: painted by their parent. A change invalidates the box they
// had and the box they have now.
class WindowlessPeer : public PeerBase {
public:
    using PeerBase::PeerBase;
    void ModelChanged() override;

protected:
    virtual void BeforeInvalidate() {}
    Rect shownBounds_{};
    bool everShown_ = false;
};

class LabelPeer final : public WindowlessPeer {
public:
    using WindowlessPeer::WindowlessPeer;
    void Paint(HDC dc) override;

private:
    void BeforeInvalidate() override; // fits an auto-sized label to its text
    UINT Format() const;
};

class ImagePeer final : public WindowlessPeer {
public:
    using WindowlessPeer::WindowlessPeer;
    void Paint(HDC dc) override;

private:
    Picture cachedPicture_; // held, so the cached pixels' source stays the same object
    SIZE cachedSize_{};
    hx::win::UniqueBitmap cached_;
};

class BevelPeer final : public WindowlessPeer {
public:
    using WindowlessPeer::WindowlessPeer;
    void Paint(HDC dc) override;
};

// Creates the peers of a form and of every control it owns, in creation order.
void Realise(Form& form);

} // namespace hx::ui::win
