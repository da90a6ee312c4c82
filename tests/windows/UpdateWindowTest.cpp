// The real update window, created in this process under Wine: class, frame, layout at the
// prefix's DPI, texts, fonts for several icon-title fonts, idle visuals, keyboard and
// closing. Run once at 96 DPI and once in a prefix set to 144 DPI.
#include "support/SystemFont.h"
#include "ui/Scaling.h"
#include "ui/Screen.h"
#include "update/UpdateForm.h"

#include "AccessibleTree.h"
#include "RegistryFixture.h"
#include "ScreenCapture.h"
#include "ui/win/Gdi.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/TestText.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <tuple>
#include <vector>

namespace hx::update {
namespace {

using ui::ScaleValue;

HWND Hwnd(const ui::Component& c) {
    return static_cast<HWND>(c.peer()->Handle());
}

std::wstring ClassOf(HWND w) {
    wchar_t name[256] = {};
    GetClassNameW(w, name, 256);
    return name;
}

std::wstring TextOf(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return text;
}

RECT RectInParent(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LOGFONTW FontOf(HWND w) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

// Sets the icon-title font's size for the test's life, then puts the old font back.
class IconTitleFont {
public:
    explicit IconTitleFont(int points) {
        SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof saved_, &saved_, 0);
        Set(points);
    }
    ~IconTitleFont() {
        SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof saved_, &saved_, SPIF_UPDATEINIFILE);
    }
    // Wine keeps the height at 96 DPI and rounds on the way in and out, so at 144 DPI
    // -16 comes back as -17 (9 points): take a neighbour that reads back as `points`.
    void Set(int points) {
        const int dpi = ui::SystemDpi();
        const int height = ui::HeightFromPoints(points, dpi);
        for (int h : {height, height + 1, height - 1}) {
            LOGFONTW lf = saved_;
            lf.lfHeight = h;
            SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof lf, &lf, SPIF_UPDATEINIFILE);
            if (ui::PointsFromHeight(ui::IconTitleFont().height, dpi) == points) {
                return;
            }
        }
        ADD_FAILURE() << "no icon-title height gives " << points << " points";
    }
    std::u16string face() const {
        return std::u16string(reinterpret_cast<const char16_t*>(saved_.lfFaceName));
    }

private:
    LOGFONTW saved_{};
};

class UpdateWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Closing = false;
        ui::Application::Instance().Initialize();
    }
    void TearDown() override { ui::Application::Instance().DestroyForms(); }

    UpdateForm& Create() {
        form_ = &CreateUpdateForm();
        return *form_;
    }
    int Dpi() const { return form_->pixelsPerInch(); }
    int S(int v) const { return ScaleValue(v, ui::kDesignDpi, Dpi()); }

    // Shows the window as the message loop does and lets it settle.
    // Shown and activated: Wine activates through the X server, so on a loaded machine the
    // focus may arrive well after the calls return. Wait for it (at most 5 s), then settle.
    void Show() {
        const HWND w = static_cast<HWND>(form_->Handle());
        form_->SetVisible(true);
        SetForegroundWindow(w);
        for (int waited = 0; waited < 5000 && !(GetForegroundWindow() == w && GetFocus());
             waited += 10) {
            Settle(1);
        }
        Settle(20);
    }
    static void Settle(int rounds) {
        for (int i = 0; i < rounds; ++i) {
            ui::Application::Instance().ProcessMessages();
            Sleep(10);
        }
    }
    void Press(WPARAM key, UINT down = WM_KEYDOWN) {
        HWND target = GetFocus();
        PostMessageW(target, down, key, 1);
        PostMessageW(target, down == WM_KEYDOWN ? WM_KEYUP : WM_SYSKEYUP, key, 0xC0000001);
        ui::Application::Instance().ProcessMessages();
    }
    void Type(wchar_t c, UINT msg) {
        PostMessageW(GetFocus(), msg, c, msg == WM_SYSCHAR ? 0x20000001 : 1);
        ui::Application::Instance().ProcessMessages();
    }

    // The message loop, ended after 10 s should the window fail to end it, so a broken
    // close fails the test instead of hanging it.
    static void RunWithDeadline() {
        const UINT_PTR timer = SetTimer(nullptr, 0, 10000, &EndLoop);
        ui::Application::Instance().Run();
        KillTimer(nullptr, timer);
    }
    static void CALLBACK EndLoop(HWND, UINT, UINT_PTR, DWORD) {
        ui::Application::Instance().Terminate();
    }

    UpdateForm* form_ = nullptr;
};

TEST_F(UpdateWindow, TheWindowRunsAtThePrefixDpi) {
    const char* expected = std::getenv("HX_EXPECT_DPI");
    const int dpi = expected ? std::atoi(expected) : 96;
    EXPECT_EQ(ui::SystemDpi(), dpi) << "LogPixels of the prefix";
    Create();
    EXPECT_EQ(Dpi(), dpi);
}

TEST_F(UpdateWindow, TheManifestMakesThePerMonitorAwareThemedProgram) {
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
    Create();
    // Version 6 lives side by side; the manifest makes the program load that one (Wine's
    // copy reports 5.x from DllGetVersion, so the folder is what tells).
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    std::wstring lower(path);
    for (wchar_t& c : lower) {
        c = towlower(c);
    }
    EXPECT_NE(lower.find(L"microsoft.windows.common-controls"), std::wstring::npos) << lower;
    EXPECT_NE(lower.find(L"_6.0."), std::wstring::npos) << lower;
}

TEST_F(UpdateWindow, ClassFrameAndClientArea) {
    UpdateForm& form = Create();
    HWND w = static_cast<HWND>(form.Handle());
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(ClassOf(w), L"THXUpdateForm");
    EXPECT_EQ(FindWindowW(L"THXUpdateForm", nullptr), w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the user cannot resize it";
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr) << "on the taskbar as the main window";
    EXPECT_FALSE(IsWindowVisible(w)) << "created hidden";
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, S(700));
    EXPECT_EQ(client.bottom, S(441));
    if (Dpi() == 144) {
        EXPECT_EQ(client.right, 1050);
        EXPECT_EQ(client.bottom, 662);
    }
    RECT frame;
    GetWindowRect(w, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_NE(GetClassLongPtrW(w, GCLP_HICON), 0) << "MAINICON";
    EXPECT_EQ(TextOf(w), L"Update Hexaplane");
}

TEST_F(UpdateWindow, ControlsWhereTheDefinitionPutsThem) {
    UpdateForm& f = Create();
    struct Want {
        const ui::Control* control;
        const wchar_t* cls;
        RECT at96;
    };
    const Want windowed[] = {
        {&f.UpdateButton, L"Button", {520, 403, 599, 428}},
        {&f.CloseButton, L"Button", {608, 403, 687, 428}},
        {&f.HelpButton, L"Button", {14, 403, 93, 428}},
        {&f.UpdatePanel, L"HXPanel", {0, 0, 700, 386}},
        {&f.UpdateProgress, L"msctls_progress32", {72, 348, 628, 365}},
    };
    for (const Want& w : windowed) {
        HWND h = Hwnd(*w.control);
        ASSERT_TRUE(IsWindow(h));
        EXPECT_EQ(ClassOf(h), w.cls);
        const RECT r = RectInParent(h);
        EXPECT_EQ(r.left, S(w.at96.left)) << ClassOf(h);
        EXPECT_EQ(r.top, S(w.at96.top));
        EXPECT_EQ(r.right - r.left, S(w.at96.right - w.at96.left));
        EXPECT_EQ(r.bottom - r.top, S(w.at96.bottom - w.at96.top));
    }
    EXPECT_EQ(GetParent(Hwnd(f.UpdateProgress)), Hwnd(f.UpdatePanel));
    EXPECT_TRUE(GetWindowLongW(Hwnd(f.UpdateProgress), GWL_STYLE) & PBS_SMOOTH);
    EXPECT_EQ(SendMessageW(Hwnd(f.UpdateProgress), PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageW(Hwnd(f.UpdateProgress), PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_TRUE(GetWindowLongW(Hwnd(f.UpdateButton), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetDlgCtrlID(Hwnd(f.CloseButton)), IDCANCEL);

    // Windowless controls: boxes scaled from the definition; labels fit their text.
    EXPECT_EQ(f.UpdateBevel.bounds(), (ui::Rect{0, S(386), S(700), S(5)}));
    EXPECT_EQ(f.BannerImage.bounds(), (ui::Rect{0, 0, S(700), S(60)}));
    EXPECT_EQ(f.UpdateImage2.bounds(), (ui::Rect{S(288), S(164), S(128), S(128)}));
    EXPECT_EQ(f.CheckBoxImage3.bounds(), (ui::Rect{S(500), S(299), S(32), S(32)}));
    EXPECT_EQ(f.UpdateDescription.bounds(), (ui::Rect{S(72), S(112), S(556), S(33)}));
    for (const ui::Label* l :
         {&f.BannerLabel, &f.UpdateHeading, &f.UpdateLabel1, &f.UpdateLabel2, &f.UpdateLabel3}) {
        EXPECT_GT(l->bounds().width, S(40));
        EXPECT_GE(l->bounds().height, -l->font().height);
        EXPECT_LT(l->bounds().height, -2 * l->font().height);
    }
    EXPECT_EQ(f.BannerLabel.bounds().left, S(48));
    EXPECT_EQ(f.BannerLabel.bounds().top, S(18));
    EXPECT_EQ(f.UpdateLabel2.bounds().left, S(328));
    EXPECT_EQ(f.UpdateLabel2.bounds().top, S(310));
    EXPECT_GT(f.BannerLabel.bounds().width, f.UpdateHeading.bounds().width);
}

TEST_F(UpdateWindow, TextsComeFromTheLanguageResource) {
    UpdateForm& f = Create();
    EXPECT_EQ(TextOf(Hwnd(f.UpdateButton)), L"&Update");
    EXPECT_EQ(TextOf(Hwnd(f.CloseButton)), L"&Close");
    EXPECT_EQ(TextOf(Hwnd(f.HelpButton)), L"&Help");
    EXPECT_EQ(f.BannerLabel.caption(), u"Download and install updates for Hexaplane");
    EXPECT_EQ(f.UpdateHeading.caption(), u"Check for updates to Hexaplane");
    EXPECT_EQ(f.UpdateDescription.caption(),
              u"Click the Update button below to download and install updates for Hexaplane.");
    EXPECT_EQ(f.UpdateLabel1.caption(), u"Find update");
    EXPECT_EQ(f.UpdateLabel2.caption(), u"Download update");
    EXPECT_EQ(f.UpdateLabel3.caption(), u"Install update");
}

TEST_F(UpdateWindow, IdleAfterCreationWithTheFocusOnUpdate) {
    UpdateForm& f = Create();
    for (const ui::Image* i : {&f.UpdateImage1, &f.UpdateImage2, &f.UpdateImage3}) {
        EXPECT_TRUE(i->visible());
    }
    for (const ui::Image* i : {&f.UpdateImage4, &f.UpdateImage5, &f.UpdateImage6}) {
        EXPECT_FALSE(i->visible());
    }
    for (const ui::Image* i : {&f.CheckBoxImage1, &f.CheckBoxImage2, &f.CheckBoxImage3}) {
        EXPECT_EQ(i->picture(), f.Unchecked.picture());
    }
    for (const ui::Label* l : {&f.UpdateLabel1, &f.UpdateLabel2, &f.UpdateLabel3}) {
        EXPECT_FALSE(l->font().bold);
    }
    EXPECT_FALSE(IsWindowVisible(Hwnd(f.UpdateProgress)));
    EXPECT_EQ(SendMessageW(Hwnd(f.UpdateProgress), PBM_GETPOS, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(Hwnd(f.UpdateButton)));

    Show();
    HWND w = static_cast<HWND>(f.Handle());
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetFocus(), Hwnd(f.UpdateButton));
    // Centred on the screen when first shown.
    RECT r;
    GetWindowRect(w, &r);
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(r.left + r.right, screenW, 2);
    EXPECT_NEAR(r.top + r.bottom, screenH, 2);
}

TEST_F(UpdateWindow, TabEnterAndAccessKeys) {
    UpdateForm& f = Create();
    int updates = 0, helps = 0;
    f.UpdateButton.OnClick = [&](ui::Component&) { ++updates; };
    f.HelpButton.OnClick = [&](ui::Component&) { ++helps; };
    Show();
    ASSERT_EQ(GetFocus(), Hwnd(f.UpdateButton));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Hwnd(f.CloseButton));
    EXPECT_TRUE(GetWindowLongW(Hwnd(f.CloseButton), GWL_STYLE) & BS_DEFPUSHBUTTON)
        << "the focused button is the one Enter presses";
    EXPECT_FALSE(GetWindowLongW(Hwnd(f.UpdateButton), GWL_STYLE) & BS_DEFPUSHBUTTON);
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Hwnd(f.HelpButton));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Hwnd(f.UpdateButton)) << "Tab cycles Update, Close, Help";

    Press(VK_RETURN);
    EXPECT_EQ(updates, 1);
    Type(L'h', WM_CHAR); // the access key alone while a button has the focus
    EXPECT_EQ(helps, 1);
    Type(L'u', WM_SYSCHAR); // Alt with the key
    EXPECT_EQ(updates, 2);

    SetFocus(Hwnd(f.HelpButton));
    ui::Application::Instance().ProcessMessages();
    Press(VK_RETURN);
    EXPECT_EQ(helps, 2) << "Enter presses the focused button";
    EXPECT_EQ(updates, 2);
    SetFocus(static_cast<HWND>(f.Handle()));
    ui::Application::Instance().ProcessMessages();
    SetFocus(static_cast<HWND>(f.Handle())); // no button has the focus
    Press(VK_RETURN);
    EXPECT_EQ(updates, 3) << "the default button answers Enter";
    EXPECT_FALSE(Closing);
}

TEST_F(UpdateWindow, AShortCutHandlerCanKeepAKeyFromTheWindow) {
    UpdateForm& f = Create();
    ui::ApplicationEvents probe(u"Probe", nullptr);
    probe.OnShortCut = [](const ui::KeyMessage& m, bool& handled) {
        handled = m.charCode == VK_ESCAPE;
    };
    Show();
    Press(VK_ESCAPE);
    EXPECT_FALSE(Closing);
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Hwnd(f.CloseButton)) << "other keys pass";
}

TEST_F(UpdateWindow, HourglassOverTheProgressBarAndAPanelPointerOfItsChoice) {
    UpdateForm& f = Create();
    f.UpdateProgress.SetVisible(true);
    Show();
    const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    HWND panel = Hwnd(f.UpdatePanel);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(Hwnd(f.UpdateProgress), WM_SETCURSOR, WPARAM(Hwnd(f.UpdateProgress)), client);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    SendMessageW(panel, WM_SETCURSOR, WPARAM(panel), client);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW)) << "the panel's default pointer";
    f.UpdatePanel.SetCursor(ui::Cursor::Wait);
    SendMessageW(panel, WM_SETCURSOR, WPARAM(panel), client);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
}

TEST_F(UpdateWindow, ADpiChangeRescalesEverythingToTheSuggestedRectangle) {
    UpdateForm& f = Create();
    const int from = Dpi(), to = from == 144 ? 96 : 144;
    const int bannerPoints = FontPoints(f.BannerLabel.font(), from);
    RECT suggested{40, 30, 0, 0};
    RECT frame{0, 0, ScaleValue(700, 96, to), ScaleValue(441, 96, to)};
    AdjustWindowRectExForDpi(&frame, GetWindowLongW(static_cast<HWND>(f.Handle()), GWL_STYLE),
                             FALSE, GetWindowLongW(static_cast<HWND>(f.Handle()), GWL_EXSTYLE),
                             UINT(to));
    suggested.right = suggested.left + frame.right - frame.left;
    suggested.bottom = suggested.top + frame.bottom - frame.top;
    SendMessageW(static_cast<HWND>(f.Handle()), WM_DPICHANGED, MAKEWPARAM(to, to),
                 LPARAM(&suggested));

    EXPECT_EQ(Dpi(), to);
    RECT r;
    GetWindowRect(static_cast<HWND>(f.Handle()), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, suggested.right - suggested.left);
    // The client area as the model has it (Wine keeps the frame at the system DPI, so the
    // real client area differs by the frame's change).
    EXPECT_EQ(f.clientWidth(), ScaleValue(700, 96, to));
    EXPECT_EQ(f.clientHeight(), ScaleValue(441, 96, to));
    const RECT button = RectInParent(Hwnd(f.CloseButton));
    EXPECT_EQ(button.left, ScaleValue(608, 96, to));
    EXPECT_EQ(button.bottom - button.top, ScaleValue(25, 96, to));
    EXPECT_EQ(f.CheckBoxImage1.bounds(),
              (ui::Rect{ScaleValue(72, 96, to), ScaleValue(299, 96, to), ScaleValue(32, 96, to),
                        ScaleValue(32, 96, to)}));
    EXPECT_EQ(FontPoints(f.BannerLabel.font(), to), bannerPoints) << "fonts keep their size";
    EXPECT_EQ(FontOf(Hwnd(f.UpdateButton)).lfHeight, f.font().height);
}

TEST_F(UpdateWindow, TheTitleBarsCloseEndsTheLoopWithoutHidingTheWindow) {
    UpdateForm& f = Create();
    Show();
    PostMessageW(static_cast<HWND>(f.Handle()), WM_SYSCOMMAND, SC_CLOSE, 0);
    RunWithDeadline();
    EXPECT_TRUE(Closing);
    EXPECT_TRUE(IsWindowVisible(static_cast<HWND>(f.Handle())));
}

TEST_F(UpdateWindow, EscapeClosesRestoresTheProductAndEndsTheLoop) {
    // A stand-in for the product's main window, minimised as the update sequence leaves it.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"THXMainForm";
    RegisterClassW(&wc);
    HWND product = CreateWindowExW(0, L"THXMainForm", L"Hexaplane", WS_OVERLAPPEDWINDOW, 10, 10,
                                   300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(product);
    ShowWindow(product, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(product));

    UpdateForm& f = Create();
    ui::ApplicationEvents probe(u"Probe", nullptr);
    bool escapeSeenFirst = false;
    probe.OnShortCut = [&](const ui::KeyMessage& m, bool&) {
        if (m.message == WM_KEYDOWN && m.charCode == VK_ESCAPE) {
            escapeSeenFirst = !Closing;
        }
    };
    Show();
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    RunWithDeadline();

    EXPECT_TRUE(escapeSeenFirst) << "the short-cut hook sees keys before the window";
    EXPECT_TRUE(Closing);
    EXPECT_TRUE(ui::Application::Instance().Terminated());
    EXPECT_FALSE(IsIconic(product)) << "the product's main window is restored";
    EXPECT_TRUE(IsWindowVisible(static_cast<HWND>(f.Handle()))) << "not hidden before the end";
    DestroyWindow(product);
}

// The child windows, told by the system's objects for them in tab order (Wine's tell
// nothing but their window), and where a screen reader finds the steps at this prefix's
// DPI; the texts and steps are read from another process by the end-to-end test.
TEST_F(UpdateWindow, AScreenReaderFindsTheChildWindowsAndTheStepsWhereTheyAreShown) {
    UpdateForm& f = Create();
    Show();
    const auto form = test::ClientObject(static_cast<HWND>(f.Handle()));
    const auto panel = test::ClientObject(Hwnd(f.UpdatePanel));
    ASSERT_TRUE(form && panel);
    EXPECT_EQ(test::ChildWindow(form.Get(), 1), Hwnd(f.UpdateButton));
    EXPECT_EQ(test::ChildWindow(form.Get(), 3), Hwnd(f.HelpButton));
    EXPECT_EQ(test::ChildWindow(form.Get(), 4), Hwnd(f.UpdatePanel));
    EXPECT_EQ(test::ChildWindow(panel.Get(), 7), Hwnd(f.UpdateProgress));
    POINT origin{0, 0};
    ClientToScreen(Hwnd(f.UpdatePanel), &origin);
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(panel->accLocation(&x, &y, &w, &h, test::ChildId(4)), S_OK);
    EXPECT_EQ(x, origin.x + S(72)) << "step 1: its picture, box and label";
    EXPECT_EQ(y, origin.y + S(164));
    EXPECT_EQ(w, S(128));
    EXPECT_EQ(h, S(299) + S(32) - S(164));
    VARIANT hit;
    ASSERT_EQ(panel->accHitTest(origin.x + S(288 + 16), origin.y + S(299 + 16), &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 5) << "step 2's box";
}

std::vector<std::tuple<DWORD, HWND, LONG, LONG>> heardEvents;
void CALLBACK HearEvent(HWINEVENTHOOK, DWORD event, HWND w, LONG object, LONG child, DWORD, DWORD) {
    heardEvents.emplace_back(event, w, object, child);
}

TEST_F(UpdateWindow, AScreenReaderIsToldOfStepsAndCaptionsThatChange) {
    UpdateForm& f = Create();
    Show();
    heardEvents.clear();
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, &HearEvent,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    f.ActivateStep(2);
    f.MarkStepDone(1);
    f.UpdateHeading.SetCaption(u"Checking");
    Settle(10);
    UnhookWinEvent(hook);
    const HWND panel = Hwnd(f.UpdatePanel);
    const auto heard = [&](DWORD event, LONG child) {
        return std::ranges::count(heardEvents,
                                  std::tuple{event, panel, LONG(OBJID_CLIENT), child}) == 1;
    };
    EXPECT_TRUE(heard(EVENT_OBJECT_STATECHANGE, 5)) << "step 2 under way";
    EXPECT_TRUE(heard(EVENT_OBJECT_STATECHANGE, 4)) << "step 1 ticked";
    EXPECT_TRUE(heard(EVENT_OBJECT_NAMECHANGE, 2)) << "the heading";
    EXPECT_FALSE(heard(EVENT_OBJECT_STATECHANGE, 6)) << "step 3 stays as it was";
    const auto object = test::ClientObject(panel);
    ASSERT_TRUE(object);
    EXPECT_EQ(test::DescribeChild(object.Get(), 4), L"check Find update checked");
    EXPECT_EQ(test::DescribeChild(object.Get(), 5), L"check Download update mixed");
}

TEST_F(UpdateWindow, AnAccessibleObjectHeldAfterItsWindowHasGoneFailsHarmlessly) {
    UpdateForm& f = Create();
    const auto panel = test::ClientObject(Hwnd(f.UpdatePanel));
    ASSERT_TRUE(panel);
    long count = 0;
    EXPECT_EQ(panel->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 7);
    ui::Application::Instance().DestroyForms();
    EXPECT_EQ(panel->get_accChildCount(&count), RPC_E_DISCONNECTED);
    BSTR name = nullptr;
    EXPECT_EQ(panel->get_accName(test::ChildId(1), &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name, nullptr);
    VARIANT hit;
    EXPECT_EQ(panel->accHitTest(0, 0, &hit), RPC_E_DISCONNECTED);
} // the last reference goes here, after the window

// Fonts for icon-title fonts of 8, 9 and 11 points.
class UpdateWindowFonts : public UpdateWindow, public ::testing::WithParamInterface<int> {};

TEST_P(UpdateWindowFonts, FollowTheIconTitleFontWithinTheCap) {
    const int points = GetParam();
    IconTitleFont iconTitle(points);
    UpdateForm& f = Create();
    const int window = std::min(points, kMaxWindowFontPoints);
    const int dpi = Dpi();
    EXPECT_EQ(FontPoints(f.font(), dpi), window);
    for (const ui::Button* b : {&f.UpdateButton, &f.CloseButton, &f.HelpButton}) {
        const LOGFONTW lf = FontOf(Hwnd(*b));
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(lf.lfFaceName)),
                  iconTitle.face());
        EXPECT_EQ(lf.lfHeight, ui::HeightFromPoints(window, dpi));
    }
    for (const ui::Label* l : {&f.UpdateDescription, &f.UpdateLabel1, &f.UpdateLabel3}) {
        EXPECT_EQ(l->font(), f.font());
    }
    EXPECT_EQ(f.BannerLabel.font().face, iconTitle.face()) << "no Tahoma after creation";
    EXPECT_EQ(FontPoints(f.BannerLabel.font(), dpi), 12);
    EXPECT_TRUE(f.BannerLabel.font().bold);
    EXPECT_EQ(f.UpdateHeading.font().face, iconTitle.face());
    // The heading's definition height, scaled, or the window's size if that is larger.
    const int heading = std::max(ui::PointsFromHeight(S(-11), dpi), window);
    EXPECT_EQ(FontPoints(f.UpdateHeading.font(), dpi), heading);
    EXPECT_TRUE(f.UpdateHeading.font().bold);

    // A new icon-title font reaches the window only while its font was left alone.
    const int changed = points == 8 ? 9 : 8;
    iconTitle.Set(changed);
    SendMessageW(static_cast<HWND>(f.Handle()), WM_SETTINGCHANGE, SPI_SETICONTITLELOGFONT, 0);
    const int after = points <= kMaxWindowFontPoints ? changed : window;
    EXPECT_EQ(FontPoints(f.font(), dpi), after);
    EXPECT_EQ(FontOf(Hwnd(f.CloseButton)).lfHeight, ui::HeightFromPoints(after, dpi));
    EXPECT_EQ(f.UpdateLabel2.font(), f.font());
}

INSTANTIATE_TEST_SUITE_P(IconTitlePoints, UpdateWindowFonts, ::testing::Values(8, 9, 11));

TEST_F(UpdateWindow, Screenshots) {
    UpdateForm& f = Create();
    Show();
    const std::string base =
        std::string(HX_BINARY_DIR) + "/screenshots/update-window-" + std::to_string(Dpi()) + "dpi";
    HWND w = static_cast<HWND>(f.Handle());
    EXPECT_TRUE(test::CaptureWindow(w, base + ".png")) << base;
    // The visuals of a download in progress, so their painting can be looked at too.
    f.ActivateStep(1);
    f.MarkStepDone(1);
    f.ActivateStep(2);
    f.UpdateProgress.SetVisible(true);
    f.UpdateProgress.SetPosition(40);
    f.UpdateButton.SetEnabled(false);
    Settle(10);
    EXPECT_TRUE(test::CaptureWindow(w, base + "-download.png")) << base;
}

// Each shipped language at the prefix's DPI: every text fits its control in the window's
// own fonts (the layout is fixed), and a screenshot shows it with a step in its bold
// active look.
class TranslatedWindow : public UpdateWindow, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        UpdateWindow::SetUp();
        const std::string language = GetParam();
        test::WriteLanguage(std::wstring(language.begin(), language.end()));
    }
    void TearDown() override {
        UpdateWindow::TearDown();
        test::DeleteProductKey();
    }

    // The text's extent in `font`: one line, or wrapped at `wrapWidth`; '&' marks an
    // access key, as in the controls.
    static SIZE Extent(const std::u16string& text, HFONT font, int wrapWidth = 0) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        RECT r{0, 0, wrapWidth, 0};
        DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), int(text.size()), &r,
                  DT_CALCRECT | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return {r.right - r.left, r.bottom - r.top};
    }
    static SIZE Extent(const ui::Label& label, bool bold, int wrapWidth = 0) {
        ui::Font f = label.font();
        f.bold = f.bold || bold;
        const LOGFONTW lf = ui::win::ToLogFont(f);
        HFONT font = CreateFontIndirectW(&lf);
        const SIZE size = Extent(label.caption(), font, wrapWidth);
        DeleteObject(font);
        return size;
    }
};

TEST_P(TranslatedWindow, EveryTextFitsItsControl) {
    UpdateForm& f = Create();
    ASSERT_FALSE(f.caption().empty());
    if (std::string(GetParam()) != "english") {
        EXPECT_NE(f.UpdateLabel1.caption(), u"Find update") << "the language's own texts";
    }
    // A push button's text needs its themed margins on either side.
    for (const ui::Button* b : {&f.UpdateButton, &f.CloseButton, &f.HelpButton}) {
        const HWND w = Hwnd(*b);
        const SIZE text =
            Extent(b->caption(), reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
        EXPECT_LE(text.cx + 2 * S(4), b->bounds().width) << test::Utf8(b->caption());
        EXPECT_LE(text.cy, b->bounds().height) << test::Utf8(b->caption());
    }
    // Labels from their left edge to the window's edge; a step's name, bold while the step
    // is active, up to the next step's box.
    const int edge = f.clientWidth();
    for (const ui::Label* l : {&f.BannerLabel, &f.UpdateHeading}) {
        EXPECT_LE(l->bounds().left + Extent(*l, false).cx, edge) << test::Utf8(l->caption());
    }
    const SIZE description = Extent(f.UpdateDescription, false, f.UpdateDescription.bounds().width);
    EXPECT_LE(description.cy, f.UpdateDescription.bounds().height)
        << test::Utf8(f.UpdateDescription.caption());
    const std::pair<const ui::Label*, int> steps[] = {
        {&f.UpdateLabel1, f.CheckBoxImage2.bounds().left},
        {&f.UpdateLabel2, f.CheckBoxImage3.bounds().left},
        {&f.UpdateLabel3, edge}};
    for (const auto& [label, limit] : steps) {
        EXPECT_LE(label->bounds().left + Extent(*label, true).cx, limit - S(8))
            << test::Utf8(label->caption());
    }

    f.ActivateStep(1);
    f.MarkStepDone(1);
    f.ActivateStep(2);
    Show();
    const std::string file = std::string(HX_BINARY_DIR) + "/screenshots/update-window-" +
                             GetParam() + "-" + std::to_string(Dpi()) + "dpi.png";
    EXPECT_TRUE(test::CaptureWindow(static_cast<HWND>(f.Handle()), file)) << file;
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslatedWindow,
                         ::testing::Values("english", "german", "french", "spanish", "italian",
                                           "dutch", "portuguese", "polish", "russian"));

} // namespace
} // namespace hx::update
