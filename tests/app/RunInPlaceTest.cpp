// Running in place with the real update window, for a user the Administrators test
// refuses (the Wine user is always an administrator, so the test is handed in).
#include "app/win/RunInPlace.h"

#include "ui/Application.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace hx::app {
namespace {

struct SeenBox {
    int count = 0;
    const ui::Form* owner = reinterpret_cast<const ui::Form*>(1);
    std::u16string text;
    std::u16string caption;
    uint32_t flags = 0;
    bool windowExists = true;
};

TEST(RunInPlace, ARefusedUserGetsOneInformationBoxAndNeverSeesTheWindow) {
    SeenBox seen;
    ui::Application& application = ui::Application::Instance();
    application.SetMessageBoxHook([&](const ui::Form* owner, std::u16string_view text,
                                      std::u16string_view caption, uint32_t flags) {
        ++seen.count;
        seen.owner = owner;
        seen.text = text;
        seen.caption = caption;
        seen.flags = flags;
        seen.windowExists = FindWindowW(L"THXUpdateForm", nullptr) != nullptr;
        return ui::mb::IdOk;
    });
    RunInPlace([] { return false; });
    application.SetMessageBoxHook(nullptr);

    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.flags, 0x40u) << "information icon, OK button";
    EXPECT_EQ(seen.caption, u"Update Hexaplane");
    EXPECT_EQ(seen.text, u"You do not have the proper privilege level to update this software."
                         u"\r\n\r\nPlease login to the computer as an Administrator.");
    // Gone while the box is up, so a second start cannot bring it back.
    EXPECT_FALSE(seen.windowExists);
    EXPECT_TRUE(application.Terminated());
}

// The same with the system's own box: it stays up until answered, has no owner and only
// an OK button, and no update window exists meanwhile.
TEST(RunInPlace, TheRefusalBoxWaitsForOkWithoutOwner) {
    struct {
        bool found = false;
        HWND owner = reinterpret_cast<HWND>(1);
        std::wstring caption;
        bool onlyOk = false;
        bool updateWindow = true;
    } seen;
    std::thread answerer([&] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            HWND box = nullptr;
            while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr))) {
                if (DWORD pid = 0;
                    GetWindowThreadProcessId(box, &pid), pid == GetCurrentProcessId()) {
                    break;
                }
            }
            if (box) {
                seen.found = true;
                seen.owner = GetWindow(box, GW_OWNER);
                wchar_t caption[256] = {};
                GetWindowTextW(box, caption, 256);
                seen.caption = caption;
                seen.onlyOk = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) &&
                              !GetDlgItem(box, IDYES) && !GetDlgItem(box, IDNO);
                seen.updateWindow = FindWindowW(L"THXUpdateForm", nullptr) != nullptr;
                PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    RunInPlace([] { return false; });
    answerer.join();
    ASSERT_TRUE(seen.found) << "the box closed by itself or never showed";
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.caption, L"Update Hexaplane");
    EXPECT_TRUE(seen.onlyOk);
    EXPECT_FALSE(seen.updateWindow);
}

} // namespace
} // namespace hx::app
