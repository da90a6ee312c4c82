// Drives the demo's update under Wine the way a person would, and asks for a screenshot at
// each step: it prints "shot <name> <left> <top> <width> <height>" (the update window's
// rectangle on the desktop) and waits until <ack folder>\<name>.done exists (the demo script
// takes the picture and creates that file). What the end shows no window for, it prints as
// "fact <name> <text>" lines: the installer's command line and exit code, the updater's exit
// code. Modes:
//   demo-driver auto <ack folder> [refused]
//                                   press Update, answer Yes, follow the update to its end;
//                                   with "refused" the installer must not start, and the
//                                   manual-update prompt that comes instead is declined
//   demo-driver watch               wait until a person has finished with the update window
#include "base/TextCodecs.h"
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

// The update window's rectangle on the desktop, kept from the last time it was seen: the
// end's picture has no window, but shows the same place.
RECT lastWindow{0, 0, 0, 0};

// Asks for a screenshot of the screen as it is now, and waits until it has been taken.
bool Shot(const char* name, HWND window) {
    RECT r{};
    if (window != nullptr && GetWindowRect(window, &r)) {
        lastWindow = r;
    }
    std::printf("shot %s %ld %ld %ld %ld\n", name, lastWindow.left, lastWindow.top,
                lastWindow.right - lastWindow.left, lastWindow.bottom - lastWindow.top);
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

void Fact(const char* name, const std::wstring& text) {
    const std::u16string utf16(text.begin(), text.end());
    std::printf("fact %s %s\n", name, hx::EncodeUtf8(utf16).c_str());
    std::fflush(stdout);
}

// A process watched until it ends, for its exit code.
hx::win::UniqueHandle Watch(DWORD processId) {
    return hx::win::UniqueHandle(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

std::wstring ExitCodeText(const hx::win::UniqueHandle& process) {
    DWORD code = STILL_ACTIVE;
    if (!process || WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &code)) {
        return L"unknown";
    }
    return std::to_wstring(code);
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
int FollowInstall(HWND window) {
    DWORD installer = 0;
    if (!Within(kStepTimeout, [&] { return (installer = DownloadedInstaller()) != 0; })) {
        return Fail("the installer did not start");
    }
    const hx::win::UniqueHandle process = Watch(installer);
    Fact("installer", ProcessCommandLine(installer).value_or(L"unknown"));
    std::this_thread::sleep_for(700ms);
    Shot("4-install", window);
    const bool ended = Within(kStepTimeout, [&] {
        if (auto prompt = WaitForMessageBox(0ms)) {
            Shot("4-prompt", window);
            Answer(*prompt, IDNO);
        }
        return TopLevelWindows(kUpdateForm).empty();
    });
    Fact("installer-exit", ExitCodeText(process));
    return ended ? 0 : Fail("the update window did not go away");
}

// The installer is refused: the manual-update prompt comes instead, and is declined.
int FollowRefusal(HWND window) {
    auto prompt = WaitForMessageBox(kStepTimeout, WindowProcess(window));
    if (!prompt) {
        return Fail("no prompt after the download");
    }
    if (DownloadedInstaller() != 0) {
        return Fail("the installer runs");
    }
    std::this_thread::sleep_for(300ms);
    Shot("4-refused", window);
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
    const hx::win::UniqueHandle updater = Watch(WindowProcess(window));
    std::this_thread::sleep_for(1s); // let it paint
    Shot("1-idle", window);

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
    Shot("2-offer", window);
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
    Shot("3-download", window);

    if (const int failed = refused ? FollowRefusal(window) : FollowInstall(window)) {
        return failed;
    }
    Fact("updater-exit", ExitCodeText(updater));
    std::this_thread::sleep_for(700ms);
    Shot("5-end", nullptr);
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
