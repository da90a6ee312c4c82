// Running in place with the real update window, for a user the Administrators test
// refuses (the Wine user is always an administrator, so the test is handed in).
#include "app/win/UpdateWindow.h"

#include "ui/Application.h"

#include <gtest/gtest.h>

#include <string>

namespace hx::app {
namespace {

struct SeenBox {
    int count = 0;
    const ui::Form* owner = reinterpret_cast<const ui::Form*>(1);
    std::u16string text;
    std::u16string caption;
    uint32_t flags = 0;
    bool windowExists = false;
    bool windowVisible = true;
};

TEST(RunUpdateWindow, ARefusedUserGetsOneInformationBoxAndNeverSeesTheWindow) {
    SeenBox seen;
    ui::Application& application = ui::Application::Instance();
    application.SetMessageBoxHook([&](const ui::Form* owner, std::u16string_view text,
                                      std::u16string_view caption, uint32_t flags) {
        ++seen.count;
        seen.owner = owner;
        seen.text = text;
        seen.caption = caption;
        seen.flags = flags;
        const HWND window = FindWindowW(L"THXUpdateForm", nullptr);
        seen.windowExists = window != nullptr;
        seen.windowVisible = window && IsWindowVisible(window);
        return ui::mb::IdOk;
    });
    RunUpdateWindow([] { return false; });
    application.SetMessageBoxHook(nullptr);

    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.flags, 0x40u) << "information icon, OK button";
    EXPECT_EQ(seen.caption, u"Update Hexaplane");
    EXPECT_EQ(seen.text, u"You do not have the proper privilege level to update this software."
                         u"\r\n\r\nPlease login to the computer as an Administrator.");
    EXPECT_TRUE(seen.windowExists) << "the window is created before the test";
    EXPECT_FALSE(seen.windowVisible);
    EXPECT_TRUE(application.Terminated());
    EXPECT_EQ(FindWindowW(L"THXUpdateForm", nullptr), nullptr) << "released at the end";
}

} // namespace
} // namespace hx::app
