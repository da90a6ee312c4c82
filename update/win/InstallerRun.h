// Windows operations of the install stage: closing a window of another process, the
// installer run and wait, the shell open of a link, and the forced restart.
#pragma once

#include "update/InstallerRun.h"

#include "support/win/Handles.h"

#include <windows.h>

#include <functional>

namespace hx::update {

// Starts `path` through the shell (default verb, its own folder as working folder, shown
// normally, owned by `owner`) and waits for it, sleeping on the process and the message
// queue together and calling `processMessages` whenever messages come. Gives the exit
// code; kStartFailed when it cannot be started; kStillActive when `terminationRequested`
// turns true before the program ends.
std::int32_t RunAndWait(std::u16string_view path, std::u16string_view parameters, HWND owner,
                        const std::function<void()>& processMessages,
                        const std::function<bool()>& terminationRequested);

// Opens a URL or document with the shell's "open" verb, shown; the outcome is not looked at.
void OpenLink(std::u16string_view target, HWND owner);

// The four system calls of a restart, behind a seam so their sequence can be checked
// without restarting the machine.
class PowerCalls {
public:
    virtual ~PowerCalls() = default;
    virtual win::UniqueHandle OpenToken(DWORD access) = 0;
    virtual bool LookupPrivilege(const wchar_t* name, LUID& luid) = 0;
    virtual bool AdjustPrivileges(HANDLE token, TOKEN_PRIVILEGES& state, DWORD previousSize,
                                  TOKEN_PRIVILEGES* previous, DWORD* returned) = 0;
    virtual bool ExitSession(UINT flags, DWORD reason) = 0;
};
// The real calls on the current process.
PowerCalls& SystemPowerCalls();

// Switches SeShutdownPrivilege of the process token on or off; failures are ignored.
void SetShutdownPrivilege(bool enable, PowerCalls& calls = SystemPowerCalls());
// Forced restart: privilege on, restart with force, privilege off; failures ignored.
void RestartWindows(PowerCalls& calls = SystemPowerCalls());

// What the install stage needs from the update window.
struct InstallWindow {
    HWND owner = nullptr;
    std::function<void()> processMessages;
    std::function<bool()> terminationRequested;
    // A message box owned by the window, titled with its caption; returns the answer.
    // When empty, MessageBoxW with the owner's title is used.
    std::function<int(std::u16string_view text, unsigned flags)> showMessage;
};

// InstallSystem on the real system, for the update window.
class WindowsInstallSystem final : public InstallSystem {
public:
    explicit WindowsInstallSystem(InstallWindow window) : window_(std::move(window)) {}
    void CloseWindowByClass(std::u16string_view className) override;
    std::int32_t RunAndWait(std::u16string_view path, std::u16string_view parameters) override;
    int ShowMessage(std::u16string_view text, unsigned flags) override;
    std::u16string Caption(std::u16string_view key) override;
    void RestartWindows() override;
    void OpenLink(std::u16string_view target) override;

private:
    InstallWindow window_;
};

// The install stage for the installer of `stamp` in the executable's folder (steps 1 to
// 5; the caller then marks step 3 done and terminates the application).
void InstallUpdate(const InstallerStamp& stamp, bool downloadComplete, const InstallWindow& window);

} // namespace hx::update
