#include "ui/win/Gdi.h"

#include <algorithm>
#include <cwchar>

namespace hx::ui::win {

COLORREF ToColorRef(const Colour& c) {
    switch (c.system) {
    case Colour::System::WindowText:
        return GetSysColor(COLOR_WINDOWTEXT);
    case Colour::System::Window:
        return GetSysColor(COLOR_WINDOW);
    case Colour::System::ButtonFace:
        return GetSysColor(COLOR_BTNFACE);
    case Colour::System::None:
        break;
    }
    return COLORREF(c.rgb);
}

LOGFONTW ToLogFont(const Font& f) {
    LOGFONTW lf{};
    lf.lfHeight = f.height;
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = f.italic;
    lf.lfUnderline = f.underline;
    lf.lfStrikeOut = f.strikeOut;
    lf.lfCharSet = f.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    const size_t n = std::min<size_t>(f.face.size(), LF_FACESIZE - 1);
    std::wmemcpy(lf.lfFaceName, reinterpret_cast<const wchar_t*>(f.face.data()), n);
    return lf;
}

Font FromLogFont(const LOGFONTW& lf) {
    Font f;
    f.face = hx::win::U(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE));
    f.height = lf.lfHeight;
    f.bold = lf.lfWeight >= FW_SEMIBOLD;
    f.italic = lf.lfItalic != 0;
    f.underline = lf.lfUnderline != 0;
    f.strikeOut = lf.lfStrikeOut != 0;
    f.charset = lf.lfCharSet;
    return f;
}

HFONT FontHandle::Get(const Font& f) {
    if (!handle_ || !(f == font_)) {
        const LOGFONTW lf = ToLogFont(f);
        handle_.reset(CreateFontIndirectW(&lf));
        font_ = f;
    }
    return handle_.get();
}

namespace {

template <class F> F Lookup(const wchar_t* module, const char* name) {
    HMODULE m = GetModuleHandleW(module);
    if (!m) {
        m = LoadLibraryW(module); // kept loaded for the life of the process
    }
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI

} // namespace

int SystemDpiNow() {
    static const auto forSystem = Lookup<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
    if (forSystem) {
        return int(forSystem());
    }
    const hx::win::WindowDc screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

int DpiNearPoint(POINT p) {
    static const auto forMonitor = Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    if (forMonitor) {
        UINT x = 0, y = 0;
        HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
        if (monitor && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0) {
            return int(y);
        }
    }
    return SystemDpiNow();
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjust = Lookup<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT r{0, 0, width, height};
    if (!adjust || !adjust(&r, style, FALSE, exStyle, UINT(dpi))) {
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return {r.right - r.left, r.bottom - r.top};
}

BufferedPaint::BufferedPaint(HDC target, int width, int height)
    : target_(target), width_(width), height_(height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    hx::win::UniqueDc dc(CreateCompatibleDC(target));
    hx::win::UniqueBitmap bitmap(dc ? CreateCompatibleBitmap(target, width, height) : nullptr);
    if (!bitmap) {
        return; // painted straight onto the target instead
    }
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    selected_.emplace(dc_.get(), bitmap_.get());
}

BufferedPaint::~BufferedPaint() {
    if (dc_) {
        BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
    }
}

} // namespace hx::ui::win
