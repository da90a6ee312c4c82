// Drives the demo's update under Wine the way a person would, and asks for a screenshot at
// each step: it prints "shot <name>" and waits until <ack folder>\<name>.done exists (the
// demo script takes the picture and creates that file). Modes:
//   demo-driver auto <ack folder> [refused]
//                                   press Update, answer Yes, follow the update to its end;
//                                   with "refused" the installer must not start, and the
//                                   manual-update prompt that comes instead is declined
//   demo-driver watch               wait until a person has finished with the update window
#include "tools/driver/Driver.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

namespace {

using namespace hx::driver;

constexpr std::wstring_view kUpdateForm = L"THXUpdateForm";
constexpr Duration kStepTimeout = 60s;

std::wstring ackFolder;

void Say(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

// Asks for a screenshot of the screen as it is now, and waits until it has been taken.
bool Shot(const char* name) {
    std::printf("shot %s\n", name);
    std::fflush(stdout);
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    const std::wstring done = ackFolder + L"\\" + wide + L".done";
    for (int i = 0; i < 600; ++i) {
        if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

template <class Predicate> bool Within(Duration timeout, Predicate done) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

HWND ProgressBar(HWND window) {
    for (const Control& c : Controls(window)) {
        if (c.className == L"msctls_progress32") {
            return c.window;
        }
    }
    return nullptr;
}

int Fail(const char* what) {
    std::printf("demo: %s\n", what);
    std::fflush(stdout);
    return 1;
}

// The installer runs; a prompt after it (restart or manual update) is declined.
int FollowInstall() {
    if (!Within(kStepTimeout, DownloadedInstallerRunning)) {
        return Fail("the installer did not start");
    }
    std::this_thread::sleep_for(700ms);
    Shot("4-install");
    const bool ended = Within(kStepTimeout, [&] {
        if (auto prompt = WaitForMessageBox(0ms)) {
            Shot("4-prompt");
            Answer(*prompt, IDNO);
        }
        return TopLevelWindows(kUpdateForm).empty();
    });
    return ended ? 0 : Fail("the update window did not go away");
}

// The installer is refused: the manual-update prompt comes instead, and is declined.
int FollowRefusal(HWND window) {
    auto prompt = WaitForMessageBox(kStepTimeout, WindowProcess(window));
    if (!prompt) {
        return Fail("no prompt after the download");
    }
    if (DownloadedInstallerRunning()) {
        return Fail("the installer runs");
    }
    std::this_thread::sleep_for(300ms);
    Shot("4-refused");
    Say("demo: the installer was refused; answering No to the manual update");
    Answer(*prompt, IDNO);
    const bool ended = Within(kStepTimeout, [] { return TopLevelWindows(kUpdateForm).empty(); });
    return ended ? 0 : Fail("the update window did not go away");
}

int RunAutomatically(bool refused) {
    HWND window = WaitForVisibleWindow(kUpdateForm, kStepTimeout);
    if (!window) {
        return Fail("the update window did not appear");
    }
    std::this_thread::sleep_for(1s); // let it paint
    Shot("1-idle");

    const auto update = FindControlByText(window, L"&Update");
    if (!update) {
        return Fail("no Update button");
    }
    Say("demo: pressing Update");
    Click(update->window);
    auto box = WaitForMessageBox(kStepTimeout, WindowProcess(window));
    if (!box) {
        return Fail("no answer from the update check");
    }
    std::this_thread::sleep_for(300ms);
    Shot("2-offer");
    if (std::find(box->buttons.begin(), box->buttons.end(), IDYES) == box->buttons.end()) {
        Answer(*box, IDOK);
        return Fail("the server offered no update (is it running on 127.0.0.1:18080?)");
    }
    Say("demo: answering Yes");
    Answer(*box, IDYES);

    // Halfway through the transfer; the server sends slowly, so there is time to look.
    HWND bar = nullptr;
    const bool moving = Within(kStepTimeout, [&] {
        DWORD_PTR position = 0;
        bar = bar ? bar : ProgressBar(window);
        return bar && IsWindowVisible(bar) &&
               SendMessageTimeoutW(bar, 0x0408 /* PBM_GETPOS */, 0, 0, SMTO_NORMAL, 5000,
                                   &position) &&
               position >= 40;
    });
    if (!moving) {
        return Fail("the download did not get going");
    }
    Shot("3-download");

    if (const int failed = refused ? FollowRefusal(window) : FollowInstall()) {
        return failed;
    }
    std::this_thread::sleep_for(700ms);
    Shot("5-end");
    Say(refused ? "demo: the update ended without running the installer"
                : "demo: the update is complete");
    return 0;
}

int Watch() {
    if (!WaitForVisibleWindow(kUpdateForm, kStepTimeout)) {
        return Fail("the update window did not appear");
    }
    Say("demo: the update window is open; press Update and follow it through");
    while (!TopLevelWindows(kUpdateForm).empty()) {
        std::this_thread::sleep_for(200ms);
    }
    Say("demo: the update window has closed");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"auto" && argc > 2) {
        ackFolder = argv[2];
        return RunAutomatically(argc > 3 && std::wstring_view(argv[3]) == L"refused");
    }
    if (mode == L"watch") {
        return Watch();
    }
    std::printf("usage: demo-driver auto <ack folder> [refused] | demo-driver watch\n");
    return 2;
}
