#include "ui/win/WindowBase.h"

#include "base/Guard.h"

namespace hx::ui::win {

WindowBase::~WindowBase() {
    if (window_) {
        // Messages sent while the window goes away no longer reach this object.
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    }
}

WindowBase* WindowBase::FromWindow(HWND w) noexcept {
    if (!w || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWLP_WNDPROC)) != &WindowProc) {
        return nullptr;
    }
    return reinterpret_cast<WindowBase*>(GetWindowLongPtrW(w, GWLP_USERDATA));
}

bool WindowBase::RegisterClassOnce(const wchar_t* name, HICON big, HICON small, HBRUSH background) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing)) {
        return true;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hIcon = big;
    wc.hIconSm = small;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

bool WindowBase::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                        int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
    // The window procedure takes ownership at WM_NCCREATE; a creation that fails after it
    // has destroyed the window again, and WM_NCDESTROY has let go.
    CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                    GetModuleHandleW(nullptr), this);
    return static_cast<bool>(window_);
}

LRESULT CALLBACK WindowBase::WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    WindowBase* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) {
            self->window_.reset(w);
        }
    } else {
        self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    }
    if (!self) {
        return DefWindowProcW(w, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(w, GWLP_USERDATA, 0);
        self->window_.release();
        return DefWindowProcW(w, msg, wp, lp);
    }
    LRESULT result = 0;
    if (Guarded([&] { result = self->HandleMessage(msg, wp, lp); })) {
        return result;
    }
    return DefWindowProcW(w, msg, wp, lp); // a failed handler counts as unhandled
}

} // namespace hx::ui::win
