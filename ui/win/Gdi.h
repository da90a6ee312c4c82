// Small Win32 helpers of the realisation: colours, fonts, DPI look-ups made at run time
// (so the program still starts on systems without the per-monitor functions).
#pragma once

#include "base/win/Handles.h"
#include "base/win/WideText.h"
#include "ui/Component.h"

#include <windows.h>

#include <optional>

namespace hx::ui::win {

COLORREF ToColorRef(const Colour& c);
LOGFONTW ToLogFont(const Font& f);
Font FromLogFont(const LOGFONTW& lf);

// A font handle that follows a model font: recreated only when the font changes.
class FontHandle {
public:
    HFONT Get(const Font& f);

private:
    Font font_;
    hx::win::UniqueFont handle_;
};

// The system DPI: GetDpiForSystem where it exists, else the screen's LOGPIXELSY.
int SystemDpiNow();
// The DPI of the monitor nearest to a point (GetDpiForMonitor where it exists, so
// Windows 8.1 and later), else the system DPI.
int DpiNearPoint(POINT p);
// The window rectangle size for a client area at a DPI (AdjustWindowRectExForDpi where
// it exists).
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);

// A memory DC with a compatible bitmap of a given size, for flicker-free painting: what is
// painted on dc() reaches the target when the scope ends. Without memory for the bitmap,
// dc() is the target itself.
class BufferedPaint {
public:
    BufferedPaint(HDC target, int width, int height);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    HDC dc() const { return dc_ ? dc_.get() : target_; }

private:
    HDC target_;
    int width_, height_;
    // Declared in this order so the bitmap is deselected before it and the DC go.
    hx::win::UniqueDc dc_;
    hx::win::UniqueBitmap bitmap_;
    std::optional<hx::win::SelectScope> selected_;
};

} // namespace hx::ui::win
