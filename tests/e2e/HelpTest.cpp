// Help from the real program under Wine: F1 with or without Shift on any button, held or
// pressed again, and the Help button open the help file's window; without the help file
// nothing appears.
#include "tests/e2e/FlowFixture.h"

#include <thread>

namespace hx::e2e {
namespace {

class Help : public UpdateFlow {
protected:
    // Waits for the help window of the updater, then closes it so the next request can be
    // seen as a new window.
    void ExpectHelpWindowAndClose(const char* what) {
        SCOPED_TRACE(what);
        HWND help = WaitForWindow(kHelpWindow, 10s, updater_.id);
        ASSERT_TRUE(help) << "no help window";
        PostMessageW(help, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForNoWindow(kHelpWindow, 10s, updater_.id));
    }
};

TEST_F(Help, F1OnAnyButtonEveryPressAndTheHelpButton) {
    ASSERT_TRUE(StartUpdater());
    BringToFront();
    ASSERT_TRUE(PollUntilTrue(5s, [&] { return Focus() == update_; }));

    PressKey(VK_F1);
    ExpectHelpWindowAndClose("F1 on Update");

    // Held down: the repeat asks again.
    KeyEvent(VK_F1, false);
    ExpectHelpWindowAndClose("F1 pressed");
    KeyEvent(VK_F1, false);
    ExpectHelpWindowAndClose("F1 repeated");
    KeyEvent(VK_F1, true);

    BringToFront();
    PressKey(VK_TAB);
    ASSERT_TRUE(PollUntilTrue(5s, [&] { return Focus() == close_; }));
    KeyEvent(VK_SHIFT, false);
    PressKey(VK_F1);
    KeyEvent(VK_SHIFT, true);
    ExpectHelpWindowAndClose("Shift+F1 on Close");

    BringToFront();
    PressKey(VK_TAB);
    ASSERT_TRUE(PollUntilTrue(5s, [&] { return Focus() == help_; }));
    KeyEvent(VK_CONTROL, false);
    PressKey(VK_F1);
    KeyEvent(VK_CONTROL, true);
    ExpectHelpWindowAndClose("Ctrl+F1 on Help");

    Click(help_);
    ExpectHelpWindowAndClose("the Help button");

    EXPECT_TRUE(IsWindowVisible(window_)) << "the keys went on without closing anything";
    PostMessageW(window_, WM_CLOSE, 0, 0);
    ExpectEnds();
}

TEST_F(Help, NoHelpFileShowsNothing) {
    ASSERT_TRUE(DeleteFileW(session_.InstalledHelp().c_str()));
    ASSERT_TRUE(StartUpdater());
    BringToFront();
    PressKey(VK_F1);
    Click(help_);
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(TopLevelWindows(kHelpWindow, updater_.id).empty());
    EXPECT_TRUE(TopLevelWindows(L"#32770", updater_.id).empty()) << "no message of any kind";
    // The window carries on.
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored));
    PostMessageW(window_, WM_CLOSE, 0, 0);
    ExpectEnds();
}

} // namespace
} // namespace hx::e2e
