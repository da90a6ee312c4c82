// The product's windows, found by class name only: close order and synchronous close,
// minimise and restore, and nothing at all when a window is missing.
#include "update/ProductWindows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace hx::update {
namespace {

std::wstring closed;

LRESULT CALLBACK RecordClose(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        closed += std::wstring(name) + L" ";
        DestroyWindow(w);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

HWND Make(const wchar_t* cls) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordClose;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    UnregisterClassW(cls, wc.hInstance); // another test may have used the name
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, cls, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    return w;
}

TEST(ProductWindows, ClosedAboutSettingsMainEachBeforeTheNext) {
    closed.clear();
    HWND main = Make(L"THXMainForm");
    Make(L"THXSettingsForm");
    Make(L"THXAboutForm");
    CloseProductWindows();
    // Each send returned only after the window had handled its close message.
    EXPECT_EQ(closed, L"THXAboutForm THXSettingsForm THXMainForm ");
    EXPECT_FALSE(IsWindow(main));
}

TEST(ProductWindows, MainWindowMinimisedAndRestored) {
    HWND main = Make(L"THXMainForm");
    MinimiseMainWindow();
    EXPECT_TRUE(IsIconic(main));
    RestoreMainWindow();
    EXPECT_FALSE(IsIconic(main));
    EXPECT_TRUE(IsWindowVisible(main));
    DestroyWindow(main);
}

TEST(ProductWindows, MissingWindowsAreNoConcern) {
    closed.clear();
    CloseProductWindows();
    MinimiseMainWindow();
    RestoreMainWindow();
    EXPECT_EQ(closed, L"");
}

} // namespace
} // namespace hx::update
