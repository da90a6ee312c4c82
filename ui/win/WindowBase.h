// Base of our own window classes: one static noexcept window procedure that finds the
// object through the window's user data (set from the create parameters) and hands the
// message to it. No exception leaves a window procedure.
#pragma once

#include "base/win/Handles.h"

#include <windows.h>

namespace hx::ui::win {

class WindowBase {
public:
    WindowBase() = default;
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND hwnd() const noexcept { return window_.get(); }

    // The object behind a window of one of our classes, or null.
    static WindowBase* FromWindow(HWND w) noexcept;

protected:
    // Registers a class once per process; later calls with the same name do nothing.
    static bool RegisterClassOnce(const wchar_t* name, HICON big, HICON small, HBRUSH background);
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                int y, int width, int height, HWND parent, HMENU menuOrId);

    // Called for every message once the window exists; may throw (treated as unhandled).
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
        return DefWindowProcW(hwnd(), msg, wp, lp);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    // Owned from WM_NCCREATE; let go at WM_NCDESTROY, when the system destroyed it itself.
    hx::win::UniqueWindow window_;
};

} // namespace hx::ui::win
