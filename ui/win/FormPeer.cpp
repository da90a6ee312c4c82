// The form's window: frame, keyboard interface (focus, default and cancel buttons, Tab),
// closing, DPI changes and the desktop-font binding; and the realisation of a whole form.
#include "base/Guard.h"
#include "ui/Scaling.h"
#include "ui/TabOrder.h"
#include "ui/win/Peers.h"

#include <memory>
#include <vector>

namespace hx::ui::win {

using hx::win::W;

namespace {

constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
// Posted after a button lost the focus, once the focus has settled somewhere.
constexpr UINT kCheckDefaultButton = WM_APP + 1;
// Control IDs of buttons that are neither the cancel button (IDCANCEL) nor special.
constexpr int kFirstButtonId = 1000;

HWND WindowOf(const Component* c) {
    return c && c->peer() ? static_cast<HWND>(c->peer()->Handle()) : nullptr;
}

} // namespace

FormPeer::FormPeer(Form& form, HICON big, HICON small) : ContainerPeer(form, *this) {
    RegisterClassOnce(W(form.className()), big, small, nullptr);
    const SIZE s = WindowSizeForClient(form.clientWidth(), form.clientHeight(), kFormStyle,
                                       kFormExStyle, form.pixelsPerInch());
    // The definition places every form at 0, 0; it is centred when first shown.
    Create(kFormExStyle, W(form.className()), W(form.caption()), kFormStyle, 0, 0, s.cx, s.cy,
           nullptr, nullptr);
    shownClient_ = {form.clientWidth(), form.clientHeight()};
    shownCaption_ = form.caption();
}

Control* FormPeer::FindByWindow(HWND w) const {
    if (!w) {
        return nullptr;
    }
    if (w == hwnd()) {
        return &control_;
    }
    for (const auto& c : form().components()) {
        if (c->IsKindOf(Kind::Control) && WindowOf(c.get()) == w) {
            return static_cast<Control*>(c.get());
        }
    }
    return nullptr;
}

Button* FormPeer::DefaultButton() const {
    for (const auto& c : form().components()) {
        if (c->IsKindOf(Kind::Button) && static_cast<Button&>(*c).isDefault()) {
            return static_cast<Button*>(c.get());
        }
    }
    return nullptr;
}

void FormPeer::ModelChanged() {
    if (!created()) {
        return;
    }
    Form& f = form();
    if (f.caption() != shownCaption_) {
        SetWindowTextW(hwnd(), W(f.caption()));
        shownCaption_ = f.caption();
    }
    if (!dpiChanging_ &&
        (shownClient_.cx != f.clientWidth() || shownClient_.cy != f.clientHeight())) {
        const SIZE s = WindowSizeForClient(f.clientWidth(), f.clientHeight(), kFormStyle,
                                           kFormExStyle, f.pixelsPerInch());
        SetWindowPos(hwnd(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        shownClient_ = {f.clientWidth(), f.clientHeight()};
    }
    bool fontChanged = false;
    SyncFont(fontChanged);
    if (fontChanged) {
        NotifyChildren();
    }
    if (f.visible() != shown_) {
        Show(f.visible());
    }
}

void FormPeer::Show(bool visible) {
    shown_ = visible;
    if (visible && !everShown_) {
        everShown_ = true;
        RECT r;
        GetWindowRect(hwnd(), &r);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        if (GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &mi)) {
            const RECT& m = mi.rcMonitor;
            const int w = r.right - r.left, h = r.bottom - r.top;
            SetWindowPos(hwnd(), nullptr, m.left + (m.right - m.left - w) / 2,
                         m.top + (m.bottom - m.top - h) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ShowWindow(hwnd(), visible ? SW_SHOWNORMAL : SW_HIDE);
    if (visible) {
        UpdateWindow(hwnd());
    }
}

void FormPeer::ApplyTabOrder() {
    // Tab walks sibling windows from the top of the z-order: stack them in tab order.
    std::vector<const Component*> parents{&control_};
    for (const auto& c : form().components()) {
        if (c->IsKindOf(Kind::Panel)) {
            parents.push_back(c.get());
        }
    }
    for (const Component* parent : parents) {
        for (Control* c : WindowedChildrenInTabOrder(form(), parent)) {
            if (HWND w = WindowOf(c)) {
                SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
        }
    }
}

void FormPeer::FocusFirstControl() {
    // The model decides: a control on its way to being disabled still has a live window.
    const Control* last = FindByWindow(lastFocus_);
    if (last && last != &control_ && CanTakeFocus(*last)) {
        SetFocus(lastFocus_);
        return;
    }
    HWND first = WindowOf(FirstFocusable(form()));
    SetFocus(first ? first : hwnd());
}

void FormPeer::MoveFocusFrom(const Control& control) {
    HWND next = WindowOf(NextFocusable(form(), control));
    // With no other control to go to, the form itself keeps the keys.
    SetFocus(next ? next : hwnd());
}

void FormPeer::GiveFocusBack(HWND control) {
    if (GetActiveWindow() == hwnd()) {
        SetFocus(control);
    } else {
        lastFocus_ = control; // taken when the form is next activated
    }
}

void FormPeer::OnActivate(bool active) {
    if (!active) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd(), f)) {
            lastFocus_ = f;
        }
        return;
    }
    FocusFirstControl();
}

// A focused push button is the one Enter presses, and shows it; otherwise the default
// button of the form does.
void FormPeer::UpdateDefaultButton() {
    const HWND focus = GetFocus();
    Control* focused = FindByWindow(focus);
    Button* chosen = focused && focused->IsKindOf(Kind::Button) ? static_cast<Button*>(focused)
                                                                : DefaultButton();
    for (const auto& c : form().components()) {
        HWND w = c->IsKindOf(Kind::Button) ? WindowOf(c.get()) : nullptr;
        if (!w) {
            continue;
        }
        const LONG style = GetWindowLongW(w, GWL_STYLE);
        const LONG type = c.get() == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((style & BS_TYPEMASK) != type) {
            SendMessageW(w, BM_SETSTYLE, WPARAM((style & 0xFFFF & ~BS_TYPEMASK) | type), TRUE);
        }
    }
}

void FormPeer::OnCommand(WPARAM wp, LPARAM) {
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    if (code == BN_SETFOCUS) {
        UpdateDefaultButton();
        return;
    }
    if (code == BN_KILLFOCUS) {
        PostMessageW(hwnd(), kCheckDefaultButton, 0, 0);
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    // Escape arrives as IDCANCEL, Enter as the default button's ID, clicks and access
    // keys as the button's own ID: all find the button by its ID.
    for (const auto& c : form().components()) {
        if (!c->IsKindOf(Kind::Button) || !c->peer()) {
            continue;
        }
        auto* peer = static_cast<ButtonPeer*>(c->peer());
        auto& button = static_cast<Button&>(*c);
        if (peer->id() == id) {
            if (button.visible()) {
                button.Click();
            }
            return;
        }
    }
}

void FormPeer::OnDpiChanged(int dpi, const RECT& suggested) {
    // The window takes the suggested rectangle even when the scaling fails part way.
    dpiChanging_ = true;
    Guarded([&] { ScaleForm(form(), dpi); });
    dpiChanging_ = false;
    shownClient_ = {form().clientWidth(), form().clientHeight()};
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT FormPeer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (const auto answer = AccessibilityMessage(msg, wp, lp)) {
        return *answer;
    }
    if (releasing_) {
        return DefWindowProcW(hwnd(), msg, wp, lp);
    }
    switch (msg) {
    case WM_CLOSE:
        form().Close(); // never refused; the window stays until the application ends
        return 0;
    case WM_COMMAND:
        OnCommand(wp, lp);
        return 0;
    case DM_GETDEFID:
        if (Button* b = DefaultButton(); b && b->peer()) {
            return MAKELRESULT(static_cast<ButtonPeer*>(b->peer())->id(), DC_HASDEFID);
        }
        return 0;
    case WM_NEXTDLGCTL: {
        HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                                 : GetNextDlgTabItem(hwnd(), GetFocus(), wp != 0);
        if (target) {
            SetFocus(target);
        }
        return 0;
    }
    case kCheckDefaultButton:
        UpdateDefaultButton();
        return 0;
    case WM_ACTIVATE:
        if (HIWORD(wp) == 0) { // not minimised
            OnActivate(LOWORD(wp) != WA_INACTIVE);
        }
        return 0;
    case WM_SETFOCUS:
        FocusFirstControl();
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_PAINT:
        return PaintMessage(GetSysColor(COLOR_BTNFACE));
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(hwnd(), &client);
        PaintContent(reinterpret_cast<HDC>(wp), client, GetSysColor(COLOR_BTNFACE));
        return 0;
    }
    case WM_SETCURSOR:
        if (SetCursorFor(reinterpret_cast<HWND>(wp))) {
            return TRUE;
        }
        break;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_SETTINGCHANGE:
        form().DesktopSettingsChanged();
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
}

void Realise(Form& form) {
    // The target DPI is that of the monitor nearest the centre of the window as the
    // definition places it (at 0, 0, so the primary monitor).
    const SIZE design = WindowSizeForClient(form.clientWidth(), form.clientHeight(), kFormStyle,
                                            kFormExStyle, form.pixelsPerInch());
    ScaleForm(form, DpiNearPoint({design.cx / 2, design.cy / 2}));

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Loaded once; the window class keeps them for the life of the process.
    static const HICON big =
        static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    static const HICON small = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                                             GetSystemMetrics(SM_CXSMICON),
                                                             GetSystemMetrics(SM_CYSMICON), 0));

    auto owned = std::make_unique<FormPeer>(form, big, small);
    FormPeer& peer = *owned;
    form.SetPeer(std::move(owned));
    if (!peer.created()) {
        return;
    }
    peer.ModelChanged();

    int nextId = kFirstButtonId;
    for (const auto& c : form.components()) {
        std::unique_ptr<PeerBase> p;
        switch (c->kind()) {
        case Kind::Panel:
            p = std::make_unique<PanelPeer>(static_cast<Panel&>(*c), peer);
            break;
        case Kind::Button: {
            auto& b = static_cast<Button&>(*c);
            p = std::make_unique<ButtonPeer>(b, peer, b.isCancel() ? IDCANCEL : nextId++);
            break;
        }
        case Kind::ProgressBar:
            p = std::make_unique<ProgressBarPeer>(static_cast<ProgressBar&>(*c), peer);
            break;
        case Kind::Label:
            p = std::make_unique<LabelPeer>(static_cast<Label&>(*c), peer);
            break;
        case Kind::Image:
            p = std::make_unique<ImagePeer>(static_cast<Image&>(*c), peer);
            break;
        case Kind::Bevel:
            p = std::make_unique<BevelPeer>(static_cast<Bevel&>(*c), peer);
            break;
        default:
            continue; // non-visual components have no platform side
        }
        PeerBase* raw = p.get();
        c->SetPeer(std::move(p));
        raw->ModelChanged();
    }
    peer.ApplyTabOrder();
}

} // namespace hx::ui::win
