// Drives the real HexaplaneUpdate.exe from another program running under Wine (the
// end-to-end tests and the demo): installs it into a fresh folder, starts it, finds its
// windows and message boxes, reads and presses their controls, and cleans up every process
// and file it leaves behind.
//
// A caller holds one Session; everything else is free functions over window handles, so a
// test of the whole update flow can mix them freely.
#pragma once

#include "base/win/Handles.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hx::driver {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// Long enough for Wine to start a program and create its windows on a loaded machine.
inline constexpr Duration kDefaultTimeout = 30s;

// --- Paths and files ------------------------------------------------------------------

std::wstring TempFolder();     // the user's temporary folder, trailing separator
std::wstring RelaunchFolder(); // where a plain start copies the program
std::wstring BuiltProgram();   // the HexaplaneUpdate.exe under test (Windows path)
inline constexpr std::wstring_view kProgramName = L"HexaplaneUpdate.exe";
inline constexpr std::wstring_view kHelpName = L"Hexaplane.chm";

bool FileExists(const std::wstring& path);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, std::string_view bytes);
std::optional<FILETIME> LastWriteTime(const std::wstring& path);
// Removes a folder with everything inside; true when it is gone afterwards.
bool RemoveTree(const std::wstring& folder);

// --- Processes ------------------------------------------------------------------------

struct Process {
    win::UniqueHandle handle;
    DWORD id = 0;
};

// Waits for the process to end; its exit code, or nothing on time-out.
std::optional<DWORD> WaitForExit(const Process& process, Duration timeout = kDefaultTimeout);

std::wstring ProcessImagePath(DWORD processId); // empty when unknown
// The command line the process was started with, where the system can tell.
std::optional<std::wstring> ProcessCommandLine(DWORD processId);

struct ProcessEntry {
    DWORD id = 0;
    DWORD parentId = 0;
    std::wstring exeName;
};
// Running processes whose executable file name is `exeName` (letter case ignored).
std::vector<ProcessEntry> ProcessesNamed(std::wstring_view exeName);
// The process of a running downloaded installer (update<sum>Hexaplane.exe); 0 when none runs.
DWORD DownloadedInstaller();

// --- Windows and controls -------------------------------------------------------------

DWORD WindowProcess(HWND window);
std::wstring WindowClass(HWND window);
std::wstring WindowText(HWND window);

// Top-level windows of the class, optionally only those of one process.
std::vector<HWND> TopLevelWindows(std::wstring_view className, DWORD processId = 0);
// Polls until such a window exists; nullptr on time-out.
HWND WaitForWindow(std::wstring_view className, Duration timeout = kDefaultTimeout,
                   DWORD processId = 0);
// Polls until such a window is visible (a form is created hidden and shown later).
HWND WaitForVisibleWindow(std::wstring_view className, Duration timeout = kDefaultTimeout,
                          DWORD processId = 0);
// Polls until no such window exists; false on time-out.
bool WaitForNoWindow(std::wstring_view className, Duration timeout = kDefaultTimeout,
                     DWORD processId = 0);

struct Control {
    HWND window = nullptr;
    std::wstring className;
    std::wstring text;
    int id = 0;
    LONG style = 0;
    bool visible = false;
    bool enabled = false;
    RECT bounds{}; // in the client coordinates of the parent
    HFONT font = nullptr;
};
Control ReadControl(HWND window);
std::vector<Control> Controls(HWND parent); // every descendant, in Z order
std::optional<Control> FindControlByText(HWND parent, std::wstring_view text);
std::optional<Control> FindControlById(HWND parent, int id);

// Presses a button as a click would, without waiting for the owner to react.
void Click(HWND button);

// Real key presses, as the keyboard makes them: they go to the focused control of the
// foreground window.
void KeyEvent(WORD key, bool up);
void PressKey(WORD key); // down, then up
// The window of `window`'s thread that has the keyboard focus, or null.
HWND FocusOf(HWND window);

// --- Message boxes --------------------------------------------------------------------

struct MessageBoxInfo {
    HWND window = nullptr;
    DWORD processId = 0;
    std::wstring caption;
    std::wstring text;        // the text control, 0xFFFF
    std::vector<int> buttons; // IDOK, IDYES, IDNO, ... present
    int defaultButton = 0;    // the one with BS_DEFPUSHBUTTON, 0 if none
    HWND owner = nullptr;
};
std::optional<MessageBoxInfo> WaitForMessageBox(Duration timeout = kDefaultTimeout,
                                                DWORD processId = 0);
// Presses the button with this id; false when the box has none.
bool Answer(const MessageBoxInfo& box, int buttonId);

// --- One test's world -----------------------------------------------------------------

// A fresh install folder holding a copy of the program, an empty relaunch folder, and a
// job that holds every process the test starts (and their children). The destructor
// ends whatever is still running and removes the folders again.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const std::wstring& InstallFolder() const { return installFolder_; }
    std::wstring InstalledProgram() const { return installFolder_ + std::wstring(kProgramName); }
    std::wstring InstalledHelp() const { return installFolder_ + std::wstring(kHelpName); }
    std::wstring RelaunchedProgram() const { return RelaunchFolder() + std::wstring(kProgramName); }
    std::wstring RelaunchedHelp() const { return RelaunchFolder() + std::wstring(kHelpName); }

    // Starts a program with an argument string (quoted by the caller as needed).
    Process Start(const std::wstring& program, std::wstring_view arguments = {});
    // Ends every process of the program under test started from this test's folders.
    void KillLeftovers();

private:
    std::wstring installFolder_;
    win::UniqueHandle job_;
};

} // namespace hx::driver
