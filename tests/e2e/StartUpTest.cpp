// Start-up of the real program under Wine: relaunch, the single-window rule and the switch.
#include "tools/driver/Driver.h"

#include <gtest/gtest.h>

namespace hx::e2e {

// The window driver the demo shares.
using namespace hx::driver;
namespace {

constexpr std::wstring_view kUpdateForm = L"THXUpdateForm";
constexpr const char* kHelpContent = "help file of the installed product";

std::wstring Lower(std::wstring s) {
    for (auto& c : s) {
        if (c >= L'A' && c <= L'Z') {
            c = wchar_t(c + 32);
        }
    }
    return s;
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FileExists(BuiltProgram())) << "program under test missing";
        ASSERT_TRUE(FileExists(session_.InstalledProgram()));
        ASSERT_TRUE(TopLevelWindows(kUpdateForm).empty()) << "an update window is already open";
    }

    // Starts the installed program and expects it to end at once with exit code 0.
    void StartAndExpectQuickExit(std::wstring_view arguments) {
        const Process p = session_.Start(session_.InstalledProgram(), arguments);
        ASSERT_TRUE(p.handle);
        EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
    }

    // The update window of the relaunched copy, checked to run from the relaunch folder.
    HWND ExpectRelaunchedWindow() {
        HWND window = WaitForVisibleWindow(kUpdateForm);
        EXPECT_TRUE(window) << "the copy showed no update window";
        if (!window) {
            return nullptr;
        }
        const DWORD copy = WindowProcess(window);
        EXPECT_EQ(Lower(ProcessImagePath(copy)), Lower(session_.RelaunchedProgram()));
        const auto line = ProcessCommandLine(copy);
        EXPECT_TRUE(line && line->ends_with(L" /update")) << "the copy runs with the switch";
        EXPECT_TRUE(IsWindowVisible(window));
        return window;
    }

    Session session_;
};

TEST_F(StartUp, PlainStartCopiesProgramAndHelpAndRunsTheCopy) {
    ASSERT_TRUE(WriteBytes(session_.InstalledHelp(), kHelpContent));
    StartAndExpectQuickExit(L"");
    ExpectRelaunchedWindow();
    EXPECT_EQ(ReadBytes(session_.RelaunchedProgram()), ReadBytes(session_.InstalledProgram()));
    EXPECT_EQ(ReadBytes(session_.RelaunchedHelp()), std::optional<std::string>(kHelpContent));
    EXPECT_EQ(TopLevelWindows(kUpdateForm).size(), 1u);
}

TEST_F(StartUp, OlderCopiesInTheRelaunchFolderAreOverwritten) {
    ASSERT_TRUE(WriteBytes(session_.InstalledHelp(), kHelpContent));
    CreateDirectoryW((TempFolder() + L"KORVEX").c_str(), nullptr);
    CreateDirectoryW(RelaunchFolder().c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(session_.RelaunchedProgram(), "an older updater"));
    ASSERT_TRUE(WriteBytes(session_.RelaunchedHelp(), "an older help file, longer than the new"));
    StartAndExpectQuickExit(L"");
    ExpectRelaunchedWindow();
    EXPECT_EQ(ReadBytes(session_.RelaunchedProgram()), ReadBytes(session_.InstalledProgram()));
    EXPECT_EQ(ReadBytes(session_.RelaunchedHelp()), std::optional<std::string>(kHelpContent));
}

// Installed files that are read-only (the help file hidden too) give their copies those
// attributes; a newer release of both still replaces the copies.
TEST_F(StartUp, ReadOnlyInstalledFilesStillReplaceTheirCopies) {
    const auto built = ReadBytes(BuiltProgram());
    ASSERT_TRUE(built);
    const std::wstring program = session_.InstalledProgram(), help = session_.InstalledHelp();
    for (const std::string release : {"first release", "newer release"}) {
        SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesW(help.c_str(), FILE_ATTRIBUTE_NORMAL);
        // Bytes after the image change the file, not the program.
        ASSERT_TRUE(WriteBytes(program, *built + release) && WriteBytes(help, release));
        SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW(help.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        StartAndExpectQuickExit(L"");
        ASSERT_TRUE(ExpectRelaunchedWindow());
        EXPECT_EQ(ReadBytes(session_.RelaunchedProgram()), std::optional(*built + release));
        EXPECT_EQ(ReadBytes(session_.RelaunchedHelp()), std::optional(release));
        if (release == "first release") {
            EXPECT_TRUE(GetFileAttributesW(session_.RelaunchedProgram().c_str()) &
                        FILE_ATTRIBUTE_READONLY)
                << "the first copy is read-only, so the next start meets one";
        }
        session_.KillLeftovers(); // a running copy keeps its file
    }
}

TEST_F(StartUp, AMissingHelpFileStillRelaunches) {
    StartAndExpectQuickExit(L"");
    ExpectRelaunchedWindow();
    EXPECT_TRUE(FileExists(session_.RelaunchedProgram()));
    EXPECT_FALSE(FileExists(session_.RelaunchedHelp()));
}

TEST_F(StartUp, TheSwitchAsSecondArgumentRelaunches) {
    StartAndExpectQuickExit(L"extra /update");
    ExpectRelaunchedWindow();
}

TEST_F(StartUp, TheSwitchInCapitalsRunsInPlace) {
    const Process p = session_.Start(session_.InstalledProgram(), L"/UPDATE");
    HWND window = WaitForVisibleWindow(kUpdateForm);
    ASSERT_TRUE(window);
    EXPECT_EQ(WindowProcess(window), p.id) << "the window belongs to the started process";
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(FileExists(session_.RelaunchedProgram())) << "nothing was copied";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
}

// A second start, plain or with the switch, brings back the open window (even from
// minimised) and ends at once, copying nothing.
TEST_F(StartUp, ASecondStartBringsBackTheOpenWindowInEitherMode) {
    ASSERT_TRUE(WriteBytes(session_.InstalledHelp(), kHelpContent));
    StartAndExpectQuickExit(L"");
    HWND window = ExpectRelaunchedWindow();
    ASSERT_TRUE(window);
    const DWORD owner = WindowProcess(window);
    const auto stamp = LastWriteTime(session_.RelaunchedProgram());
    ASSERT_TRUE(WriteBytes(session_.InstalledHelp(), "a newer help file"));

    for (const wchar_t* arguments : {L"", L"/update"}) {
        ShowWindow(window, SW_MINIMIZE);
        ASSERT_TRUE(IsIconic(window));
        StartAndExpectQuickExit(arguments);
        EXPECT_FALSE(IsIconic(window)) << (*arguments ? "with the switch" : "plain start");
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(GetForegroundWindow(), window);
        const auto windows = TopLevelWindows(kUpdateForm);
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_EQ(WindowProcess(windows[0]), owner);
    }
    EXPECT_EQ(ReadBytes(session_.RelaunchedHelp()), std::optional<std::string>(kHelpContent));
    const auto after = LastWriteTime(session_.RelaunchedProgram());
    ASSERT_TRUE(stamp && after);
    EXPECT_EQ(CompareFileTime(&*stamp, &*after), 0) << "the copy was not written again";
}

} // namespace
} // namespace hx::e2e
