// One move-only owner for every kind of OS handle, and one line per kind.
// Business code never calls CloseHandle, RegCloseKey, DeleteObject ... itself.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace hx::win {

template <class T, auto Close, auto Invalid> class Unique {
public:
    Unique() = default;
    explicit Unique(T h) : h_(h) {}
    ~Unique() { reset(); }
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, T(Invalid))) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o)
            reset(std::exchange(o.h_, T(Invalid)));
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    T get() const { return h_; }
    T* put() {
        reset();
        return &h_;
    }
    T release() { return std::exchange(h_, T(Invalid)); }
    explicit operator bool() const { return h_ != T(Invalid); }
    void reset(T h = T(Invalid)) {
        if (h_ != T(Invalid))
            Close(h_);
        h_ = h;
    }

private:
    T h_ = T(Invalid);
};

namespace detail {
inline void CloseKey(HKEY k) { RegCloseKey(k); }
inline void CloseGdi(HGDIOBJ o) { DeleteObject(o); }
inline void CloseIcon(HICON i) { DestroyIcon(i); }
inline void CloseWindow(HWND w) { DestroyWindow(w); }
inline void CloseModule(HMODULE m) { FreeLibrary(m); }
inline void CloseDc(HDC dc) { DeleteDC(dc); }
inline void CloseKernel(HANDLE h) { CloseHandle(h); }
inline void CloseFind(HANDLE h) { FindClose(h); }
inline void FreeSidPtr(PSID s) { FreeSid(s); }
} // namespace detail

using UniqueHandle = Unique<HANDLE, detail::CloseKernel, nullptr>; // process, thread, token, event
using UniqueFile = Unique<HANDLE, detail::CloseKernel, INVALID_HANDLE_VALUE>;
using UniqueFind = Unique<HANDLE, detail::CloseFind, INVALID_HANDLE_VALUE>;
using UniqueKey = Unique<HKEY, detail::CloseKey, nullptr>;
using UniqueFont = Unique<HFONT, detail::CloseGdi, nullptr>;
using UniqueBrush = Unique<HBRUSH, detail::CloseGdi, nullptr>;
using UniqueBitmap = Unique<HBITMAP, detail::CloseGdi, nullptr>;
using UniqueIcon = Unique<HICON, detail::CloseIcon, nullptr>;
using UniqueWindow = Unique<HWND, detail::CloseWindow, nullptr>;
using UniqueModule = Unique<HMODULE, detail::CloseModule, nullptr>;
using UniqueDc = Unique<HDC, detail::CloseDc, nullptr>;
using UniqueSid = Unique<PSID, detail::FreeSidPtr, nullptr>;

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

inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string U(const wchar_t* s, size_t n) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

} // namespace hx::win
