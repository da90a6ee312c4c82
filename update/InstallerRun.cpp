#include "update/InstallerRun.h"

#include "ui/Application.h"
#include "update/UpdateServer.h"

namespace hx::update {

std::optional<Prompt> PromptFor(std::int32_t exitCode, bool downloadComplete) {
    if (!downloadComplete) {
        return Prompt::ManualUpdate;
    }
    if (exitCode == kRestartExitCode) {
        return Prompt::Restart;
    }
    return exitCode == 0 ? std::nullopt : std::optional(Prompt::ManualUpdate);
}

void InstallUpdate(std::u16string_view installerPath, bool downloadComplete,
                   InstallSystem& system) {
    std::int32_t code = kStartFailed;
    if (downloadComplete) {
        system.CloseProductWindows();
        code = system.RunAndWait(installerPath, kInstallerParameters);
    }
    const std::optional<Prompt> prompt = PromptFor(code, downloadComplete);
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
