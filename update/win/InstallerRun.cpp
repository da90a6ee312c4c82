#include "update/win/InstallerRun.h"

#include "base/Paths.h"
#include "base/win/WideText.h"
#include "support/Shell.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "update/ProductWindows.h"
#include "update/win/InstallerSignature.h"

#include <shellapi.h>

#include <string>

namespace hx::update {

namespace {

// Sleeps until the process ends or a message arrives, processing messages each round.
std::int32_t WaitForExit(HANDLE process, const std::function<void()>& processMessages,
                         const std::function<bool()>& terminationRequested) {
    for (;;) {
        if (processMessages) {
            processMessages();
        }
        // The handle's state says whether it ended: an installer may exit with 259 itself.
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            return GetExitCodeProcess(process, &code) ? static_cast<std::int32_t>(code)
                                                      : kStartFailed;
        }
        if (terminationRequested && terminationRequested()) {
            return kStillActive;
        }
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) {
            return kStartFailed;
        }
    }
}

class SystemPower final : public PowerCalls {
public:
    win::UniqueHandle OpenToken(DWORD access) override {
        win::UniqueHandle token;
        OpenProcessToken(GetCurrentProcess(), access, token.put());
        return token;
    }
    bool LookupPrivilege(const wchar_t* name, LUID& luid) override {
        return LookupPrivilegeValueW(nullptr, name, &luid) != 0;
    }
    bool AdjustPrivileges(HANDLE token, TOKEN_PRIVILEGES& state, DWORD previousSize,
                          TOKEN_PRIVILEGES* previous, DWORD* returned) override {
        return AdjustTokenPrivileges(token, FALSE, &state, previousSize, previous, returned) != 0;
    }
    bool ExitSession(UINT flags, DWORD reason) override { return ExitWindowsEx(flags, reason); }
};

} // namespace

std::int32_t RunAndWait(std::u16string_view path, std::u16string_view parameters, HWND owner,
                        const std::function<void()>& processMessages,
                        const std::function<bool()>& terminationRequested) {
    const std::u16string file(FileNamePart(path));
    const std::u16string folder(FolderPart(path));
    const std::u16string params(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = nullptr;
    info.lpFile = win::W(file);
    info.lpParameters = win::W(params);
    info.lpDirectory = folder.empty() ? nullptr : win::W(folder);
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
        return kStartFailed;
    }
    const win::UniqueHandle process(info.hProcess);
    return WaitForExit(process.get(), processMessages, terminationRequested);
}

PowerCalls& SystemPowerCalls() {
    static SystemPower calls;
    return calls;
}

void SetShutdownPrivilege(bool enable, PowerCalls& calls) {
    win::UniqueHandle token = calls.OpenToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
    if (!token) {
        return;
    }
    TOKEN_PRIVILEGES state{};
    if (!calls.LookupPrivilege(SE_SHUTDOWN_NAME, state.Privileges[0].Luid)) {
        return;
    }
    state.PrivilegeCount = 1;
    state.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    // One privilege's previous state fits a single TOKEN_PRIVILEGES (16 bytes).
    TOKEN_PRIVILEGES previous{};
    DWORD returned = 0;
    calls.AdjustPrivileges(token.get(), state, sizeof previous, &previous, &returned);
}

void RestartWindows(PowerCalls& calls) {
    SetShutdownPrivilege(true, calls);
    calls.ExitSession(EWX_REBOOT | EWX_FORCE, 0);
    SetShutdownPrivilege(false, calls);
}

std::u16string WindowsInstallSystem::Caption(std::u16string_view key) {
    return WindowCaption(window_, key);
}

int WindowsInstallSystem::ShowMessage(std::u16string_view text, unsigned flags) {
    return ShowWindowMessage(window_, text, flags);
}

void WindowsInstallSystem::CloseProductWindows() {
    update::CloseProductWindows();
}

SignatureFacts WindowsInstallSystem::UpdaterSignature() {
    return update::UpdaterSignature();
}

bool WindowsInstallSystem::HoldInstaller(std::u16string_view path) {
    installer_ = HeldFile::Open(path);
    return bool(installer_);
}

InstallerFacts WindowsInstallSystem::ReadHeldInstaller() {
    InstallerFacts facts;
    if (!installer_) {
        return facts;
    }
    facts.signature = ReadSignature(installer_.Handle(), installer_.Path());
    HandleSource bytes(installer_.Handle());
    const std::optional<PeHeaders> headers = ReadPeHeaders(bytes);
    facts.signature.carriesSignature = headers && headers->certificateTable;
    facts.release = ReadProductVersion(bytes);
    return facts;
}

std::int32_t WindowsInstallSystem::RunHeldInstaller(std::u16string_view parameters) {
    if (!installer_) {
        return kStartFailed;
    }
    // The hold's path: no junction or link left in it, and no folder on it can move while
    // it is held, so the shell finds the held file under it.
    ui::Application& application = ui::Application::Instance();
    return update::RunAndWait(
        installer_.Path(), parameters, static_cast<HWND>(window_.Handle()),
        [&application] { application.ProcessMessages(); },
        [&application] { return application.Terminated(); });
}

void WindowsInstallSystem::RestartWindows() {
    update::RestartWindows();
}

void WindowsInstallSystem::OpenLink(std::u16string_view target) {
    hx::OpenLink(target, window_.Handle());
}

void InstallUpdate(std::u16string_view installerPath, bool downloadComplete, ui::Form& window) {
    WindowsInstallSystem system(window);
    InstallUpdate(installerPath, downloadComplete, system);
}

} // namespace hx::update
