#include "update/win/InstallerRun.h"

#include "support/Captions.h"

#include <shellapi.h>

#include <string>
#include <vector>

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

} // namespace

std::int32_t RunAndWait(std::u16string_view path, std::u16string_view parameters, HWND owner,
                        const std::function<void()>& processMessages,
                        const std::function<bool()>& terminationRequested) {
    try {
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
    } catch (...) {
        return kStartFailed;
    }
}

void OpenLink(std::u16string_view target, HWND owner) {
    try {
        const std::u16string t(target);
        ShellExecuteW(owner, L"open", win::W(t), nullptr, nullptr, SW_SHOW);
    } catch (...) {
    }
}

namespace {

class SystemPower final : public PowerCalls {
public:
    win::UniqueHandle OpenToken(DWORD access) override {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), access, &token)) {
            return {};
        }
        return win::UniqueHandle(token);
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

PowerCalls& SystemPowerCalls() {
    static SystemPower calls;
    return calls;
}

void SetShutdownPrivilege(bool enable, PowerCalls& calls) {
    try {
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
    } catch (...) {
    }
}

void RestartWindows(PowerCalls& calls) {
    SetShutdownPrivilege(true, calls);
    try {
        calls.ExitSession(EWX_REBOOT | EWX_FORCE, 0);
    } catch (...) {
    }
    SetShutdownPrivilege(false, calls);
}

void WindowsInstallSystem::CloseWindowByClass(std::u16string_view className) {
    try {
        CloseWindowOfClass(className);
    } catch (...) {
    }
}

std::int32_t WindowsInstallSystem::RunAndWait(std::u16string_view path,
                                              std::u16string_view parameters) {
    return update::RunAndWait(path, parameters, window_.owner, window_.processMessages,
                              window_.terminationRequested);
}

int WindowsInstallSystem::ShowMessage(std::u16string_view text, unsigned flags) {
    if (window_.showMessage) {
        return window_.showMessage(text, flags);
    }
    std::vector<wchar_t> title(256, L'\0');
    if (window_.owner) {
        GetWindowTextW(window_.owner, title.data(), static_cast<int>(title.size()));
    }
    const std::u16string body(text);
    return MessageBoxW(window_.owner, win::W(body), title.data(), flags);
}

std::u16string WindowsInstallSystem::Caption(std::u16string_view key) {
    return GetCaption(u"HXUpdateForm", key);
}

void WindowsInstallSystem::RestartWindows() {
    update::RestartWindows();
}

void WindowsInstallSystem::OpenLink(std::u16string_view target) {
    update::OpenLink(target, window_.owner);
}

void InstallUpdate(const InstallerStamp& stamp, bool downloadComplete,
                   const InstallWindow& window) {
    try {
        WindowsInstallSystem system(window);
        InstallUpdate(InstallerFileName(ExecutableFolder(), stamp), downloadComplete, system);
    } catch (...) {
    }
}

} // namespace hx::update
