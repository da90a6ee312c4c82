// One move-only owner for every kind of OS handle, one line per kind, each closed by the
// API's own close function; and scopes for the paired calls of painting and drawing.
// Business code never calls CloseHandle, RegCloseKey, DeleteObject ... itself.
#pragma once

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace hx::win {

// Invalid is given as an integer (0 or -1) since a pointer constant such as
// INVALID_HANDLE_VALUE cannot be a template argument.
template <class T, auto Close, std::intptr_t InvalidValue> class Unique {
    static T Invalid() noexcept {
        if constexpr (std::is_pointer_v<T>) {
            return reinterpret_cast<T>(InvalidValue);
        } else {
            return static_cast<T>(InvalidValue);
        }
    }

public:
    Unique() noexcept = default;
    explicit Unique(T h) noexcept : h_(h) {}
    ~Unique() { reset(); }
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Invalid())) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) {
            reset(std::exchange(o.h_, Invalid()));
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    T get() const noexcept { return h_; }
    T* put() noexcept {
        reset();
        return &h_;
    }
    T release() noexcept { return std::exchange(h_, Invalid()); }
    explicit operator bool() const noexcept { return h_ != Invalid(); }
    void reset(T h = Invalid()) noexcept {
        if (h_ != Invalid()) {
            Close(h_);
        }
        h_ = h;
    }

private:
    T h_ = Invalid();
};

using UniqueHandle = Unique<HANDLE, CloseHandle, 0>; // process, thread, token, event
using UniqueFile = Unique<HANDLE, CloseHandle, -1>;
using UniqueFind = Unique<HANDLE, FindClose, -1>;
using UniqueKey = Unique<HKEY, RegCloseKey, 0>;
using UniqueFont = Unique<HFONT, DeleteObject, 0>;
using UniqueBitmap = Unique<HBITMAP, DeleteObject, 0>;
using UniqueWindow = Unique<HWND, DestroyWindow, 0>;
using UniqueModule = Unique<HMODULE, FreeLibrary, 0>;
using UniqueDc = Unique<HDC, DeleteDC, 0>; // memory DCs (CreateCompatibleDC)
using UniqueSid = Unique<PSID, FreeSid, 0>;
using UniqueWsaEvent = Unique<WSAEVENT, WSACloseEvent, 0>;
using UniqueAddressList = Unique<addrinfo*, freeaddrinfo, 0>;

// BeginPaint/EndPaint as a scope.
class PaintScope {
public:
    explicit PaintScope(HWND w) noexcept : w_(w) { dc_ = BeginPaint(w_, &ps_); }
    ~PaintScope() { EndPaint(w_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return dc_; }
    const RECT& area() const noexcept { return ps_.rcPaint; }

private:
    HWND w_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC/ReleaseDC as a scope; a null window gives the screen's DC.
class WindowDc {
public:
    explicit WindowDc(HWND w) noexcept : w_(w), dc_(GetDC(w)) {}
    ~WindowDc() {
        if (dc_) {
            ReleaseDC(w_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND w_;
    HDC dc_;
};

// SelectObject with the previous object put back at the end of the scope.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ o) noexcept : dc_(dc), old_(SelectObject(dc, o)) {}
    ~SelectScope() {
        if (old_) {
            SelectObject(dc_, old_);
        }
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace hx::win
