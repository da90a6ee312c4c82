#include "update/InstallerRun.h"

#include "ui/Application.h"
#include "update/UpdateServer.h"

namespace hx::update {

namespace {

// The installer is held before anything is read from it, so what runs is what was checked;
// it is read only when the updater's own signature asks for a check.
bool MayStart(std::u16string_view installerPath, bool downloadComplete, InstallSystem& system) {
    if (!downloadComplete || !system.HoldInstaller(installerPath)) {
        return false;
    }
    const SignatureFacts updater = system.UpdaterSignature();
    return !updater.carriesSignature || InstallerMayRun(updater, system.ReadHeldInstaller());
}

} // namespace

std::optional<Prompt> PromptFor(std::int32_t exitCode, bool startable) {
    if (!startable) {
        return Prompt::ManualUpdate;
    }
    if (exitCode == kRestartExitCode) {
        return Prompt::Restart;
    }
    return exitCode == 0 ? std::nullopt : std::optional(Prompt::ManualUpdate);
}

void InstallUpdate(std::u16string_view installerPath, bool downloadComplete,
                   InstallSystem& system) {
    const bool startable = MayStart(installerPath, downloadComplete, system);
    std::int32_t code = kStartFailed;
    if (startable) {
        system.CloseProductWindows();
        code = system.RunHeldInstaller(kInstallerParameters);
    }
    const std::optional<Prompt> prompt = PromptFor(code, startable);
    if (!prompt) {
        return;
    }
    if (ShowPrompt(system, *prompt) != ui::mb::IdYes) {
        return;
    }
    if (*prompt == Prompt::Restart) {
        system.RestartWindows();
    } else {
        system.OpenLink(DownloadPageUrl());
    }
}

} // namespace hx::update
