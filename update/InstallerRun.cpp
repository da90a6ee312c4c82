#include "update/InstallerRun.h"

#include "ui/Application.h"
#include "update/UpdateServer.h"

namespace hx::update {

namespace {

// The installer's signature is read only when the updater's own asks for a check.
bool SignatureAllowsStart(std::u16string_view installerPath, InstallSystem& system) {
    const SignatureFacts updater = system.UpdaterSignature();
    if (!updater.carriesSignature) {
        return InstallerMayRun(updater, {});
    }
    return InstallerMayRun(updater, system.InstallerSignature(installerPath));
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
    const bool startable = downloadComplete && SignatureAllowsStart(installerPath, system);
    std::int32_t code = kStartFailed;
    if (startable) {
        system.CloseProductWindows();
        code = system.RunAndWait(installerPath, kInstallerParameters);
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
