// One move-only owner for every kind of OS handle, and one line per kind.
// Business code never calls CloseHandle, RegCloseKey, DeleteObject ... itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

namespace hx::win {

// Invalid is given as an integer (0 or -1) since a pointer constant such as
// INVALID_HANDLE_VALUE cannot be a template argument.
template <class T, auto Close, intptr_t InvalidValue> class Unique {
    static T Invalid() { return reinterpret_cast<T>(InvalidValue); }

public:
    Unique() = default;
    explicit Unique(T h) : h_(h) {}
    ~Unique() { reset(); }
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Invalid())) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o)
            reset(std::exchange(o.h_, Invalid()));
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    T get() const { return h_; }
    T* put() {
        reset();
        return &h_;
    }
    T release() { return std::exchange(h_, Invalid()); }
    explicit operator bool() const { return h_ != Invalid(); }
    void reset(T h = Invalid()) {
        if (h_ != Invalid())
            Close(h_);
        h_ = h;
    }

private:
    T h_ = Invalid();
};

namespace detail {
inline void CloseKey(HKEY k) {
    RegCloseKey(k);
}
inline void CloseGdi(HGDIOBJ o) {
    DeleteObject(o);
}
inline void CloseIcon(HICON i) {
    DestroyIcon(i);
}
inline void CloseWindow(HWND w) {
    DestroyWindow(w);
}
inline void CloseModule(HMODULE m) {
    FreeLibrary(m);
}
inline void CloseDc(HDC dc) {
    DeleteDC(dc);
}
inline void CloseKernel(HANDLE h) {
    CloseHandle(h);
}
inline void CloseFind(HANDLE h) {
    FindClose(h);
}
inline void FreeSidPtr(PSID s) {
    FreeSid(s);
}
} // namespace detail

using UniqueHandle = Unique<HANDLE, detail::CloseKernel, 0>; // process, thread, token, event
using UniqueFile = Unique<HANDLE, detail::CloseKernel, -1>;
using UniqueFind = Unique<HANDLE, detail::CloseFind, -1>;
using UniqueKey = Unique<HKEY, detail::CloseKey, 0>;
using UniqueFont = Unique<HFONT, detail::CloseGdi, 0>;
using UniqueBrush = Unique<HBRUSH, detail::CloseGdi, 0>;
using UniqueBitmap = Unique<HBITMAP, detail::CloseGdi, 0>;
using UniqueIcon = Unique<HICON, detail::CloseIcon, 0>;
using UniqueWindow = Unique<HWND, detail::CloseWindow, 0>;
using UniqueModule = Unique<HMODULE, detail::CloseModule, 0>;
using UniqueDc = Unique<HDC, detail::CloseDc, 0>;
using UniqueSid = Unique<PSID, detail::FreeSidPtr, 0>;

// BeginPaint/EndPaint as a scope.
class PaintScope {
public:
    explicit PaintScope(HWND w) : w_(w) { dc_ = BeginPaint(w_, &ps_); }
    ~PaintScope() { EndPaint(w_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND w_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// SelectObject with the previous object put back at the end of the scope.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ o) : dc_(dc), old_(SelectObject(dc, o)) {}
    ~SelectScope() {
        if (old_)
            SelectObject(dc_, old_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

inline const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::u16string U(const wchar_t* s, size_t n) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

} // namespace hx::win
