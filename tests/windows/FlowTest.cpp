// The update flow's Windows edge under Wine, with the product, installer and help stand-ins:
// removal of earlier installers, the exclusive download file, the installer run and wait,
// the restart's system calls, the product's windows and the help window.

#include "base/ExecutablePath.h"
#include "base/win/Handles.h"
#include "net/OutputStream.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "update/Help.h"
#include "update/InstallerDownload.h"
#include "update/ProductWindows.h"
#include "update/win/InstallerRun.h"

#include <gtest/gtest.h>

#include "tests/TestText.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace hx::update {
namespace {

using namespace std::chrono_literals;

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[4096];
    const DWORD n = GetFullPathNameW(path.c_str(), 4096, buffer, nullptr);
    return n == 0 || n >= 4096 ? path : std::wstring(buffer, n);
}

// The build folder, two levels above this test program.
std::wstring BuildFolder() {
    return FullPath(test::Wide(ExecutableFolder()) + L"..\\..\\");
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::wstring& path, std::string_view bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Processes this thread's messages, as the update window does during its waits.
void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Waits up to `limit` for `done`, processing messages meanwhile.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        PumpMessages();
        Sleep(20);
    }
    return true;
}

// A fresh folder under the temporary folder per test, with the stand-ins' logs in it.
class Flow : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temp);
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = std::wstring(temp) + L"hx-flow-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::wstring(test.begin(), test.end()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
        log_ = folder_ + L"log.txt";
        SetEnvironmentVariableW(L"HX_INSTALLER_LOG", log_.c_str());
        SetEnvironmentVariableW(L"HX_PRODUCT_LOG", log_.c_str());
        SetEnvironmentVariableW(L"HX_INSTALLER_EXIT", nullptr);
        SetEnvironmentVariableW(L"HX_INSTALLER_WAIT_MS", nullptr);
    }
    void TearDown() override {
        // The stand-ins may need a moment to let go of their files.
        WaitFor([this] { return RemoveFolder(folder_); }, 5s);
    }

    static bool RemoveFolder(const std::wstring& folder) {
        WIN32_FIND_DATAW entry{};
        win::UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &entry));
        if (find) {
            do {
                const std::wstring name = entry.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveFolder(folder + name + L"\\");
                } else {
                    DeleteFileW((folder + name).c_str());
                }
            } while (FindNextFileW(find.get(), &entry));
        }
        find.reset();
        return RemoveDirectoryW(folder.c_str()) != 0;
    }

    // The installer stand-in under the name the download gives it.
    std::wstring PlaceInstaller() {
        const std::wstring path = folder_ + L"update2251Hexaplane.exe";
        EXPECT_TRUE(CopyFileW((BuildFolder() + L"standins\\installer-standin.exe").c_str(),
                              path.c_str(), FALSE));
        return path;
    }

    static std::int32_t Run(const std::wstring& path, const std::function<bool()>& terminate = {}) {
        return RunAndWait(test::U16(path), kInstallerParameters, nullptr, PumpMessages, terminate);
    }

    std::wstring FolderWithoutSeparator() const { return folder_.substr(0, folder_.size() - 1); }

    std::wstring folder_;
    std::wstring log_;
};

using Lines = std::vector<std::string>;

TEST_F(Flow, DeleteOldUpdatesRemovesMatchingFilesOnly) {
    for (const wchar_t* name :
         {L"update1Hexaplane.exe", L"UPDATE77HEXAPLANE.EXE", L"update", L"update.txt",
          L"HexaplaneUpdate.exe", L"Hexaplane.chm", L"myupdate.exe", L"locked-later"}) {
        WriteFile(folder_ + name, "x");
    }
    CreateDirectoryW((folder_ + L"update-dir").c_str(), nullptr);
    WriteFile(folder_ + L"update-dir\\update2Hexaplane.exe", "x");
    // A file in use is skipped and the listing goes on past it.
    WriteFile(folder_ + L"update0-in-use.exe", "x");
    win::UniqueFile inUse(CreateFileW((folder_ + L"update0-in-use.exe").c_str(), GENERIC_READ, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(inUse);

    DeleteOldUpdates(test::U16(folder_));

    for (const wchar_t* gone :
         {L"update1Hexaplane.exe", L"UPDATE77HEXAPLANE.EXE", L"update", L"update.txt"}) {
        EXPECT_FALSE(Exists(folder_ + gone)) << test::Narrow(gone);
    }
    for (const wchar_t* kept : {L"HexaplaneUpdate.exe", L"Hexaplane.chm", L"myupdate.exe",
                                L"update-dir\\update2Hexaplane.exe", L"update0-in-use.exe"}) {
        EXPECT_TRUE(Exists(folder_ + kept)) << test::Narrow(kept);
    }
    // Nothing to delete is no failure either.
    DeleteOldUpdates(test::U16(folder_ + L"update-dir\\empty\\"));
}

TEST_F(Flow, ExecutableFolderEndsWithASeparator) {
    const std::u16string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), u'\\');
    EXPECT_TRUE(Exists(test::Wide(folder) + L"windows_flow_test.exe"));
}

TEST_F(Flow, InstallerExitCodesComeBackAsSigned32BitNumbers) {
    const std::wstring installer = PlaceInstaller();
    for (const wchar_t* code : {L"0", L"2", L"99", L"0xC0000005", L"259"}) {
        SetEnvironmentVariableW(L"HX_INSTALLER_EXIT", code);
        EXPECT_EQ(Run(installer), std::int32_t(std::wcstoul(code, nullptr, 0)))
            << test::Narrow(code);
    }
    // The installer got the fixed parameters and its own folder as working folder.
    const std::string args = "args /NORESTART /RESTARTEXITCODE=99";
    const std::string folder = "folder " + test::Narrow(FolderWithoutSeparator());
    EXPECT_EQ(ReadLines(log_),
              (Lines{args, folder, args, folder, args, folder, args, folder, args, folder}));
}

// A visible top-level dialog of this process (a message box is one), or null.
HWND OwnDialog() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t name[16] = L"";
            GetClassNameW(window, name, 16);
            if (process == GetCurrentProcessId() && std::wstring(name) == L"#32770" &&
                IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Answers the shell's own error boxes (a start failure shows one, as on Windows) from
// another thread, counting them.
class ShellErrorBoxes {
public:
    ShellErrorBoxes() : thread_([this] { Loop(); }) {}
    ~ShellErrorBoxes() {
        stop_ = true;
        thread_.join();
    }
    int answered() const { return answered_; }

private:
    void Loop() {
        while (!stop_) {
            if (HWND box = OwnDialog()) {
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                ++answered_;
                Sleep(200);
            }
            Sleep(50);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

TEST_F(Flow, InstallerThatCannotStartGivesOne) {
    ShellErrorBoxes boxes;
    EXPECT_EQ(Run(folder_ + L"update1Hexaplane.exe"), kStartFailed);
    WriteFile(folder_ + L"update2Hexaplane.exe", "not a program");
    EXPECT_EQ(Run(folder_ + L"update2Hexaplane.exe"), kStartFailed);
}

TEST_F(Flow, DownloadFileIsExclusiveSoALeftOpenInstallerCannotStart) {
    std::ifstream in(std::filesystem::path(BuildFolder() + L"standins\\installer-standin.exe"),
                     std::ios::binary);
    const std::string program{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(program.empty());
    const std::wstring path = folder_ + L"update2251Hexaplane.exe";
    WriteFile(path, std::string(program.size() * 2, 'o')); // replaced, not overwritten
    auto stream = net::FileOutputStream::Create(test::U16(path));
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(
        stream->Write({reinterpret_cast<const std::uint8_t*>(program.data()), program.size()}));

    win::UniqueFile other(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(other);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    {
        ShellErrorBoxes boxes;
        EXPECT_EQ(Run(path), kStartFailed);
    }
    EXPECT_FALSE(Exists(log_)) << "the installer ran from a file still being written";

    stream.reset();
    EXPECT_EQ(Run(path), 0);
    EXPECT_EQ(ReadLines(log_).size(), 2u);
}

TEST_F(Flow, TerminationRequestEndsTheWaitWith259AndMessagesWakeIt) {
    const std::wstring installer = PlaceInstaller();
    SetEnvironmentVariableW(L"HX_INSTALLER_WAIT_MS", L"4000");
    // A message posted while the installer runs is processed at once and asks to terminate.
    const DWORD thread = GetCurrentThreadId();
    std::thread poster([thread] {
        Sleep(500);
        PostThreadMessageW(thread, WM_APP, 0, 0);
    });
    bool terminate = false;
    const auto start = std::chrono::steady_clock::now();
    const std::int32_t code = RunAndWait(
        test::U16(installer), kInstallerParameters, nullptr,
        [&terminate] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                terminate = terminate || message.message == WM_APP;
            }
        },
        [&terminate] { return terminate; });
    const auto waited = std::chrono::steady_clock::now() - start;
    poster.join();
    EXPECT_EQ(code, kStillActive);
    EXPECT_LT(waited, 3s);
    // Let the stand-in finish before the folder goes.
    WaitFor([] { return false; }, 4s);
}

// Measures, without asserting, how much processor time the wait itself takes.
double ProcessorMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) / 10000.0;
}

TEST_F(Flow, WaitingForAnInstallerCostsNoProcessorTime) {
    const std::wstring installer = PlaceInstaller();
    SetEnvironmentVariableW(L"HX_INSTALLER_WAIT_MS", L"3000");
    const double before = ProcessorMs();
    EXPECT_EQ(Run(installer), 0);
    const double waited = ProcessorMs() - before;
    // The same clock over a 200 ms spin, to show it measures at all.
    const double spinStart = ProcessorMs();
    for (const auto end = std::chrono::steady_clock::now() + 200ms;
         std::chrono::steady_clock::now() < end;) {
    }
    const double spun = ProcessorMs() - spinStart;
    std::printf("processor time of a 3 s installer wait: %.1f ms (a 200 ms spin: %.1f ms)\n",
                waited, spun);
    RecordProperty("wait_cpu_ms", std::to_string(waited));
}

// Records the calls of a restart; tokens are real event handles so closing them shows.
class RecordingPower final : public PowerCalls {
public:
    std::vector<std::string> calls;
    std::vector<HANDLE> tokens;
    bool openFails = false;

    win::UniqueHandle OpenToken(DWORD access) override {
        calls.push_back("open " + std::to_string(access));
        if (openFails) {
            return {};
        }
        tokens.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        return win::UniqueHandle(tokens.back());
    }
    bool LookupPrivilege(const wchar_t* name, LUID& luid) override {
        calls.push_back("lookup " + test::Narrow(name));
        luid = {19, 0};
        return true;
    }
    bool AdjustPrivileges(HANDLE, TOKEN_PRIVILEGES& state, DWORD previousSize,
                          TOKEN_PRIVILEGES* previous, DWORD* returned) override {
        std::ostringstream line;
        line << "adjust count " << state.PrivilegeCount << " luid "
             << state.Privileges[0].Luid.LowPart << " attributes " << state.Privileges[0].Attributes
             << " previous " << previousSize << (previous && returned ? "" : " missing");
        calls.push_back(line.str());
        return true;
    }
    bool ExitSession(UINT flags, DWORD reason) override {
        calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
        return true;
    }
};

TEST(Restart, PrivilegeOnForcedRestartPrivilegeOffTokensClosed) {
    RecordingPower power;
    RestartWindows(power);
    const std::string adjust = "adjust count 1 luid 19 attributes ";
    EXPECT_EQ(power.calls,
              (Lines{"open 40", "lookup SeShutdownPrivilege", adjust + "2 previous 16", "exit 6 0",
                     "open 40", "lookup SeShutdownPrivilege", adjust + "0 previous 16"}));
    ASSERT_EQ(power.tokens.size(), 2u);
    for (HANDLE token : power.tokens) {
        DWORD flags = 0;
        EXPECT_FALSE(GetHandleInformation(token, &flags)) << "token left open";
    }

    RecordingPower failing;
    failing.openFails = true;
    RestartWindows(failing);
    EXPECT_EQ(failing.calls, (Lines{"open 40", "exit 6 0", "open 40"}));
}

bool ShutdownPrivilegeEnabled() {
    HANDLE raw = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw);
    win::UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<std::uint8_t> buffer(size);
    if (!GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size)) {
        return false;
    }
    LUID shutdown{};
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown);
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart) {
            return (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    return false;
}

TEST(Restart, ShutdownPrivilegeIsSwitchedOnAndOffInTheRealToken) {
    SetShutdownPrivilege(true);
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
    SetShutdownPrivilege(false);
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
}

// The product stand-in, started and waited for until all three windows are there.
class ProductStandin {
public:
    explicit ProductStandin(const std::wstring& buildFolder) {
        std::wstring command = L"\"" + buildFolder + L"standins\\product-standin.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info)) {
            process_.reset(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    ~ProductStandin() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
        }
    }
    bool Started() const { return bool(process_); }
    bool Ended(DWORD ms) const { return WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }

private:
    win::UniqueHandle process_;
};

bool AllProductWindowsOpen() {
    for (std::u16string_view name : kWindowsClosedBeforeInstall) {
        if (!FindWindowW(test::Wide(name).c_str(), nullptr)) {
            return false;
        }
    }
    return true;
}

TEST_F(Flow, InstallClosesAboutSettingsMainBeforeTheInstallerRuns) {
    ProductStandin product(BuildFolder());
    ASSERT_TRUE(product.Started());
    ASSERT_TRUE(WaitFor(AllProductWindowsOpen));
    // The stand-in also logs what the update window does to the main window.
    HWND main = FindWindowW(L"THXMainForm", nullptr);
    ShowWindow(main, SW_MINIMIZE);
    ShowWindow(main, SW_RESTORE);

    const std::wstring installer = PlaceInstaller();
    // The stage's prompts belong to a window; a model form without a system window will do.
    ui::Form window(u"THXFlowTestForm", u"HXUpdateForm");
    std::vector<unsigned> messages;
    ui::Application::Instance().SetMessageBoxHook(
        [&messages](const ui::Form*, std::u16string_view, std::u16string_view, unsigned flags) {
            messages.push_back(flags);
            return 7;
        });
    WindowsInstallSystem system(window);
    InstallUpdate(test::U16(installer), true, system);

    EXPECT_TRUE(product.Ended(5000));
    EXPECT_EQ(ReadLines(log_), (Lines{"THXMainForm minimise", "THXMainForm restore",
                                      "THXAboutForm close", "THXSettingsForm close",
                                      "THXMainForm close", "args /NORESTART /RESTARTEXITCODE=99",
                                      "folder " + test::Narrow(FolderWithoutSeparator())}));
    EXPECT_TRUE(messages.empty());

    // Without product windows the installer still runs; its failure asks for the manual way.
    SetEnvironmentVariableW(L"HX_INSTALLER_EXIT", L"2");
    InstallUpdate(test::U16(installer), true, system);
    EXPECT_EQ(ReadLines(log_).size(), 9u);
    EXPECT_EQ(messages, std::vector<unsigned>{PromptFlags(Prompt::ManualUpdate)});
    ui::Application::Instance().SetMessageBoxHook(nullptr);
}

// Wine starts a Unix program named by its Unix path: the one way for a test to make a
// symbolic link there, which Wine's programs meet as a junction (it makes none itself). Its
// process is not waited for, so the caller waits until `done`.
void RunUnix(std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info));
    const win::UniqueHandle process(info.hProcess), thread(info.hThread);
    ASSERT_TRUE(WaitFor(done)) << test::Narrow(command);
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The installer is reached through a junction, which is pointed at another folder holding a
// file of the same name once the installer is held. From its hold to its start nothing on its
// final path can move either: not the file, not its folder, not the folder above. What is
// read is the held file's, and what starts is the held file, from its own folder.
TEST_F(Flow, WhatStartsIsTheHeldInstaller) {
    const std::wstring root = BuildFolder() + L"held-installer", name = L"\\update1Hexaplane.exe";
    ASSERT_EQ(root.rfind(L"Z:\\", 0), 0u) << "the build folder is not on Wine's drive Z:";
    std::wstring unixRoot = root.substr(2);
    std::replace(unixRoot.begin(), unixRoot.end(), L'\\', L'/');
    const auto removeRoot = [&] {
        RunUnix(L"/bin/rm -rf " + unixRoot, [&] { return !Exists(root); });
    };
    const auto pointJunctionAt = [&](const wchar_t* folder) {
        RunUnix(L"/bin/ln -sfn " + std::wstring(folder) + L" " + unixRoot + L"/J", [&] {
            return ReadAll(root + L"\\J" + name) == ReadAll(root + L"\\" + folder + name);
        });
    };
    if (Exists(root)) {
        removeRoot(); // left by an earlier run
    }
    for (const wchar_t* folder : {L"", L"\\A", L"\\B"}) {
        ASSERT_TRUE(CreateDirectoryW((root + folder).c_str(), nullptr));
    }
    ASSERT_TRUE(CopyFileW((BuildFolder() + L"standins\\installer-standin.exe").c_str(),
                          (root + L"\\A" + name).c_str(), FALSE));
    WriteFile(root + L"\\B" + name, "not a program");
    pointJunctionAt(L"A");

    ui::Form window(u"THXFlowTestForm", u"HXUpdateForm");
    {
        WindowsInstallSystem system(window);
        ASSERT_TRUE(system.HoldInstaller(test::U16(root + L"\\J" + name)));
        pointJunctionAt(L"B");
        const InstallerFacts facts = system.ReadHeldInstaller();
        EXPECT_EQ(facts.release, (ReleaseVersion{{2, 11, 0, 0}}));
        EXPECT_FALSE(facts.signature.carriesSignature || facts.signature.accepted);
        for (const std::wstring& from : {root + L"\\A" + name, root + L"\\A", root}) {
            EXPECT_FALSE(MoveFileW(from.c_str(), (from + L"-moved").c_str())) << test::Narrow(from);
        }
        ShellErrorBoxes boxes; // the file the junction now leads to is no program
        EXPECT_EQ(system.RunHeldInstaller(kInstallerParameters), 0);
    }
    EXPECT_EQ(ReadLines(log_), (Lines{"args /NORESTART /RESTARTEXITCODE=99",
                                      "folder " + test::Narrow(root) + "\\A"}));
    removeRoot();
}

HWND FindHelpWindow() {
    return FindWindowW(L"HH Parent", nullptr);
}

TEST_F(Flow, HelpOpensTheHelpFilesWindowAndAMissingFileShowsNothing) {
    ShowHelpTopicIn(test::U16(folder_), kHelpFileName, kUpdateHelpTopic);
    EXPECT_FALSE(WaitFor([] { return FindHelpWindow() != nullptr || OwnDialog() != nullptr; }, 2s));

    ASSERT_TRUE(Exists(BuildFolder() + L"Hexaplane.chm"));
    ShowHelpTopicIn(test::U16(BuildFolder()), kHelpFileName, kUpdateHelpTopic);
    ASSERT_TRUE(WaitFor([] { return FindHelpWindow() != nullptr; }));
    HWND help = FindHelpWindow();
    wchar_t title[128] = L"";
    GetWindowTextW(help, title, 128);
    EXPECT_EQ(std::wstring(title), L"Hexaplane Help"); // the window type's title
    SendMessageW(help, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([] { return FindHelpWindow() == nullptr; }, 5s));
}

} // namespace
} // namespace hx::update
