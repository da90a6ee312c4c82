// Peers of the controls: the shared parts, panels, system controls and the windowless
// controls that their parent paints.
#include "ui/Resample.h"
#include "ui/win/Peers.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace hx::ui::win {

using hx::win::W;

namespace {

RECT ToRect(const Rect& r) {
    return {r.left, r.top, r.left + r.width, r.top + r.height};
}

const wchar_t* CursorResource(Cursor c) {
    switch (c) {
    case Cursor::Wait:
        return IDC_WAIT;
    case Cursor::Hand:
        return IDC_HAND;
    case Cursor::Arrow:
    case Cursor::Default:
        break;
    }
    return IDC_ARROW;
}

} // namespace

// --- shared ---------------------------------------------------------------------------

HWND PeerBase::ParentWindow() const {
    Component* parent = control_.parent();
    return parent && parent->peer() ? static_cast<HWND>(parent->peer()->Handle()) : nullptr;
}

HFONT PeerBase::SyncFont(bool& changed) {
    const Font& f = control_.font();
    changed = !shownFont_ || !(*shownFont_ == f);
    shownFont_ = f;
    return font_.Get(f);
}

void PeerBase::NotifyChildren() {
    for (const auto& c : form_.form().components()) {
        if (c->parent() == &control_ && c->peer()) {
            c->peer()->ModelChanged();
        }
    }
}

void ContainerPeer::PaintContent(HDC dc, const RECT& client, COLORREF background) {
    SetBkColor(dc, background);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    // Windowless children in creation order: later ones paint over earlier ones.
    for (const auto& c : form_.form().components()) {
        if (c->parent() != &control_ || !c->visible() || !c->peer()) {
            continue;
        }
        auto* peer = static_cast<PeerBase*>(c->peer());
        if (!peer->Window()) {
            peer->Paint(dc);
        }
    }
}

LRESULT ContainerPeer::PaintMessage(COLORREF background) {
    const hx::win::PaintScope paint(hwnd());
    RECT client;
    GetClientRect(hwnd(), &client);
    BufferedPaint buffer(paint.dc(), client.right, client.bottom);
    PaintContent(buffer.dc(), client, background);
    return 0;
}

bool ContainerPeer::SetCursorFor(HWND target) {
    Control* c = form_.FindByWindow(target);
    if (!c || c->cursor() == Cursor::Default) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, CursorResource(c->cursor())));
    return true;
}

void ContainerPeer::Releasing() {
    releasing_ = true;
    accessible_.Disconnect();
}

void ContainerPeer::ChildChanged() {
    if (!releasing_ && hwnd()) {
        accessible_.Announce();
    }
}

std::vector<AccessibleItem> ContainerPeer::AccessibleItems() const {
    return form_.form().AccessibleChildren(control_);
}

std::optional<LRESULT> ContainerPeer::AccessibilityMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        accessible_.Disconnect();
    } else if (msg == WM_GETOBJECT && !releasing_) {
        return accessible_.Answer(wp, lp);
    }
    return std::nullopt;
}

// --- panel ----------------------------------------------------------------------------

PanelPeer::PanelPeer(Panel& panel, FormPeer& form) : ContainerPeer(panel, form) {
    RegisterClassOnce(L"HXPanel", nullptr, nullptr, nullptr);
    const Rect& b = panel.bounds();
    Create(WS_EX_CONTROLPARENT, L"HXPanel", L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
           b.left, b.top, b.width, b.height, ParentWindow(), nullptr);
}

void PanelPeer::ModelChanged() {
    if (!hwnd()) {
        return;
    }
    const Rect& b = control_.bounds();
    if (!(b == shownBounds_)) {
        SetWindowPos(hwnd(), nullptr, b.left, b.top, b.width, b.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        shownBounds_ = b;
    }
    bool fontChanged = false;
    SyncFont(fontChanged);
    if (fontChanged) {
        NotifyChildren();
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
    if (control_.visible() != shownVisible_) {
        ShowWindow(hwnd(), control_.visible() ? SW_SHOWNA : SW_HIDE);
        shownVisible_ = control_.visible();
    }
}

LRESULT PanelPeer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (const auto answer = AccessibilityMessage(msg, wp, lp)) {
        return *answer;
    }
    if (releasing_) {
        return DefWindowProcW(hwnd(), msg, wp, lp);
    }
    const COLORREF background = ToColorRef(static_cast<Panel&>(control_).colour());
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_PAINT:
        return PaintMessage(background);
    case WM_PRINTCLIENT: { // themed children ask for the background behind them
        RECT client;
        GetClientRect(hwnd(), &client);
        PaintContent(reinterpret_cast<HDC>(wp), client, background);
        return 0;
    }
    case WM_SETCURSOR:
        if (SetCursorFor(reinterpret_cast<HWND>(wp))) {
            return TRUE;
        }
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
        return SendMessageW(form_.hwnd(), msg, wp, lp);
    default:
        break;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
}

// --- system controls ------------------------------------------------------------------

void SystemControlPeer::SyncCommon(bool withFont) {
    HWND w = Window();
    if (!w) {
        return;
    }
    const Rect& b = control_.bounds();
    if (!(b == shownBounds_)) {
        SetWindowPos(w, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
        shownBounds_ = b;
    }
    if (!shownText_ || *shownText_ != control_.caption()) {
        SetWindowTextW(w, W(control_.caption()));
        shownText_ = control_.caption();
    }
    if (withFont) {
        bool changed = false;
        HFONT f = SyncFont(changed);
        if (changed) {
            SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
        }
    }
    const bool able = control_.enabled() && control_.visible();
    if (!able && GetFocus() == w) {
        form_.MoveFocusFrom(control_);
        refocusWhenAble_ = true;
    }
    if (shownEnabled_ != control_.enabled()) {
        EnableWindow(w, control_.enabled());
        shownEnabled_ = control_.enabled();
    }
    if (shownVisible_ != control_.visible()) {
        ShowWindow(w, control_.visible() ? SW_SHOWNA : SW_HIDE);
        shownVisible_ = control_.visible();
    }
    if (able && std::exchange(refocusWhenAble_, false)) {
        form_.GiveFocusBack(w);
    }
}

ButtonPeer::ButtonPeer(Button& button, FormPeer& form, int id)
    : SystemControlPeer(button, form), id_(id) {
    DWORD style = WS_CHILD | BS_NOTIFY | (button.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    if (button.tabStop()) {
        style |= WS_TABSTOP;
    }
    const Rect& b = button.bounds();
    window_.reset(CreateWindowExW(
        0, L"BUTTON", W(button.caption()), style, b.left, b.top, b.width, b.height, ParentWindow(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr));
    shownBounds_ = b;
    shownText_ = button.caption();
}

void ButtonPeer::ModelChanged() {
    SyncCommon(true);
}

ProgressBarPeer::ProgressBarPeer(ProgressBar& bar, FormPeer& form) : SystemControlPeer(bar, form) {
    DWORD style = WS_CHILD | (bar.smooth() ? PBS_SMOOTH : 0);
    if (bar.tabStop()) {
        style |= WS_TABSTOP;
    }
    const Rect& b = bar.bounds();
    window_.reset(CreateWindowExW(0, PROGRESS_CLASSW, L"", style, b.left, b.top, b.width, b.height,
                                  ParentWindow(), nullptr, GetModuleHandleW(nullptr), nullptr));
    shownBounds_ = b;
}

void ProgressBarPeer::ModelChanged() {
    HWND w = Window();
    if (!w) {
        return;
    }
    auto& bar = static_cast<ProgressBar&>(control_);
    const std::pair range{bar.min(), bar.max()};
    if (shownRange_ != range) {
        SendMessageW(w, PBM_SETRANGE32, WPARAM(range.first), LPARAM(range.second));
        shownRange_ = range;
    }
    if (shownPosition_ != bar.position()) {
        SendMessageW(w, PBM_SETPOS, WPARAM(bar.position()), 0);
        shownPosition_ = bar.position();
    }
    SyncCommon(false);
}

// --- windowless controls --------------------------------------------------------------

void WindowlessPeer::ModelChanged() {
    BeforeInvalidate();
    HWND parent = ParentWindow();
    if (!parent) {
        return;
    }
    if (everShown_) {
        const RECT old = ToRect(shownBounds_);
        InvalidateRect(parent, &old, FALSE);
    }
    shownBounds_ = control_.bounds();
    everShown_ = true;
    const RECT now = ToRect(shownBounds_);
    InvalidateRect(parent, &now, FALSE);
    static_cast<PeerBase*>(control_.parent()->peer())->ChildChanged();
}

UINT LabelPeer::Format() const {
    return DT_LEFT |
           (static_cast<Label&>(control_).wordWrap() ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
}

void LabelPeer::BeforeInvalidate() {
    auto& label = static_cast<Label&>(control_);
    if (!label.autoSize()) {
        return;
    }
    const hx::win::WindowDc dc(ParentWindow());
    if (!dc) {
        return;
    }
    bool changed = false;
    SIZE size{};
    {
        const hx::win::SelectScope font(dc.get(), SyncFont(changed));
        const std::u16string& text = label.caption();
        if (text.empty()) {
            TEXTMETRICW tm{};
            GetTextMetricsW(dc.get(), &tm);
            size = {0, tm.tmHeight};
        } else {
            RECT r{0, 0, label.wordWrap() ? label.bounds().width : 0, 0};
            DrawTextW(dc.get(), W(text), int(text.size()), &r,
                      DT_CALCRECT | (label.wordWrap() ? DT_WORDBREAK : DT_SINGLELINE));
            size = {r.right - r.left, r.bottom - r.top};
        }
    }
    label.FitTo(label.wordWrap() ? label.bounds().width : int(size.cx), int(size.cy));
}

void LabelPeer::Paint(HDC dc) {
    const std::u16string& text = control_.caption();
    if (text.empty()) {
        return;
    }
    bool changed = false;
    hx::win::SelectScope font(dc, SyncFont(changed));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(control_.font().colour));
    RECT r = ToRect(control_.bounds());
    const UINT format = Format();
    if (format & DT_WORDBREAK) {
        // Several lines cannot be centred by DrawText itself: centre the measured block.
        RECT calc = r;
        DrawTextW(dc, W(text), int(text.size()), &calc, DT_CALCRECT | format);
        const int spare = (r.bottom - r.top) - (calc.bottom - calc.top);
        if (spare > 0) {
            r.top += spare / 2;
        }
    }
    DrawTextW(dc, W(text), int(text.size()), &r, format);
}

void ImagePeer::Paint(HDC dc) {
    auto& image = static_cast<Image&>(control_);
    const Bitmap* b = image.picture().bitmap();
    if (!b) {
        return;
    }
    const Rect& box = image.bounds();
    const SIZE size =
        image.stretch() ? SIZE{box.width, box.height} : SIZE{LONG(b->width), LONG(b->height)};
    if (size.cx <= 0 || size.cy <= 0) {
        return;
    }
    if (!cached_ || cachedPicture_.bitmap() != b || cachedSize_.cx != size.cx ||
        cachedSize_.cy != size.cy) {
        cached_.reset();
        const auto pixels = PremultipliedBgra(*b, uint32_t(size.cx), uint32_t(size.cy));
        if (pixels.empty()) {
            return;
        }
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = size.cx;
        bi.bmiHeader.biHeight = -size.cy; // top-down rows
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        cached_.reset(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!cached_ || !bits) {
            return;
        }
        std::memcpy(bits, pixels.data(), pixels.size());
        cachedPicture_ = image.picture();
        cachedSize_ = size;
    }
    const hx::win::UniqueDc source(CreateCompatibleDC(dc));
    if (!source) {
        return;
    }
    const hx::win::SelectScope picture(source.get(), cached_.get());
    // Without stretching the picture keeps its size and is cut to the box.
    const int w = image.stretch() ? size.cx : std::min<int>(size.cx, box.width);
    const int h = image.stretch() ? size.cy : std::min<int>(size.cy, box.height);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (w > 0 && h > 0) {
        AlphaBlend(dc, box.left, box.top, w, h, source.get(), 0, 0, w, h, blend);
    }
}

void BevelPeer::Paint(HDC dc) {
    RECT r = ToRect(control_.bounds());
    UINT edges = BF_RECT;
    switch (static_cast<Bevel&>(control_).shape()) {
    case Bevel::Shape::TopLine:
        edges = BF_TOP;
        break;
    case Bevel::Shape::BottomLine:
        edges = BF_BOTTOM;
        break;
    case Bevel::Shape::Box:
        break;
    }
    DrawEdge(dc, &r, EDGE_ETCHED, edges);
}

} // namespace hx::ui::win
