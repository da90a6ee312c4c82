#include "update/InstallerRun.h"

#include "net/UpdateServer.h"
#include "support/Captions.h"

#include <vector>

namespace hx::update {

namespace {

constexpr std::array<std::u16string_view, 3> kRestartKeys{
    u"MessageBoxUpdateRestart1", u"MessageBoxUpdateRestart2", u"MessageBoxUpdateRestart3"};
constexpr std::array<std::u16string_view, 2> kManualUpdateKeys{u"MessageBoxManualUpdate1",
                                                               u"MessageBoxManualUpdate2"};

std::u16string TextOf(const PromptBox& box, InstallSystem& system) {
    std::vector<std::u16string> pieces;
    for (std::u16string_view key : box.keys) {
        pieces.push_back(system.Caption(key));
    }
    return JoinMessageTexts(pieces);
}

} // namespace

InstallPrompt PromptFor(std::int32_t exitCode, bool downloadComplete) {
    if (!downloadComplete) {
        return InstallPrompt::ManualUpdate;
    }
    if (exitCode == kRestartExitCode) {
        return InstallPrompt::Restart;
    }
    return exitCode == 0 ? InstallPrompt::None : InstallPrompt::ManualUpdate;
}

PromptBox PromptBoxFor(InstallPrompt prompt) {
    switch (prompt) {
    case InstallPrompt::Restart:
        return {kRestartPromptFlags, kRestartKeys};
    case InstallPrompt::ManualUpdate:
        return {kManualUpdatePromptFlags, kManualUpdateKeys};
    case InstallPrompt::None:
        break;
    }
    return {};
}

std::u16string JoinMessageTexts(std::span<const std::u16string> pieces) {
    std::u16string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            text += u"\r\n\r\n";
        }
        text += pieces[i];
    }
    return text;
}

std::u16string MessageText(std::span<const std::u16string_view> keys) {
    std::vector<std::u16string> pieces;
    for (std::u16string_view key : keys) {
        pieces.push_back(GetCaption(u"HXUpdateForm", key));
    }
    return JoinMessageTexts(pieces);
}

void InstallUpdate(std::u16string_view installerPath, bool downloadComplete,
                   InstallSystem& system) {
    try {
        std::int32_t code = kStartFailed;
        if (downloadComplete) {
            for (std::u16string_view className : kWindowsClosedBeforeInstall) {
                system.CloseWindowByClass(className);
            }
            code = system.RunAndWait(installerPath, kInstallerParameters);
        }
        const InstallPrompt prompt = PromptFor(code, downloadComplete);
        if (prompt == InstallPrompt::None) {
            return;
        }
        const PromptBox box = PromptBoxFor(prompt);
        const bool yes = system.ShowMessage(TextOf(box, system), box.flags) == kIdYes;
        if (yes && prompt == InstallPrompt::Restart) {
            system.RestartWindows();
        } else if (yes) {
            system.OpenLink(net::DownloadPageUrl());
        }
    } catch (...) {
    }
}

} // namespace hx::update
