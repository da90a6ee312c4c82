// Windows operations of the install stage: the installer run and wait, the forced restart,
// and the install stage's system for the update window (signatures: InstallerSignature.h).
#pragma once

#include "update/InstallerRun.h"

#include "base/win/Handles.h"
#include "update/win/HeldFile.h"

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

// InstallSystem on the real system: `window` owns the prompts and the installer, and the
// application's messages are processed while the installer runs.
class WindowsInstallSystem final : public InstallSystem {
public:
    explicit WindowsInstallSystem(ui::Form& window) : window_(window) {}
    std::u16string Caption(std::u16string_view key) override;
    int ShowMessage(std::u16string_view text, unsigned flags) override;
    void CloseProductWindows() override;
    SignatureFacts UpdaterSignature() override;
    bool HoldInstaller(std::u16string_view path) override;
    InstallerFacts ReadHeldInstaller() override;
    std::int32_t RunHeldInstaller(std::u16string_view parameters) override;
    void RestartWindows() override;
    void OpenLink(std::u16string_view target) override;

private:
    ui::Form& window_;
    // The installer, from before its check until it has run.
    HeldFile installer_;
};

} // namespace hx::update
