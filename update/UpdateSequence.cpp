#include "update/UpdateSequence.h"

#include "base/Guard.h"
#include "ui/Application.h"

namespace hx::update {

namespace {

// Steps up to the end of the install stage; returns when the final steps are due.
void RunStages(SequenceHost& host) {
    host.MinimiseProductWindow();
    host.SetUpdateButtonEnabled(false);
    host.ResetControls();
    host.SetPanelBusyCursor(true);
    host.ActivateStep(1);
    host.MarkStepDone(1); // ticked at once, before the check runs

    const UpdateVerdict verdict = host.CheckForUpdate();
    // Closed while the check waited: no verdict is shown to a user who has left.
    if (host.Closing()) {
        host.Terminate();
        return;
    }
    const std::optional<Prompt> prompt = PromptForVerdict(verdict);
    if (!prompt) {
        return;
    }
    const bool yes = ShowPrompt(host, *prompt) == ui::mb::IdYes;
    if (verdict == UpdateVerdict::ManualUpdate) {
        if (yes) {
            host.OpenManualDownloadPage();
        }
        host.Terminate();
        return;
    }
    if (verdict != UpdateVerdict::UpdateAvailable || !yes) {
        return;
    }

    host.ActivateStep(2);
    host.ShowProgress();
    InstallerStamp stamp;
    if (!host.Closing()) {
        host.DeleteOldUpdates();
        stamp = host.ReadInstallerStamp();
        host.DownloadUpdate(stamp);
        host.SetProgress(100);
        host.MarkStepDone(2);
        host.ActivateStep(3);
    }
    // The window may have been closed while the download processed messages.
    if (host.Closing()) {
        host.Terminate();
        return;
    }
    // The install stage always ends the application, whatever fails inside it: an installer
    // may already have run, and the window must not offer Update again.
    Guarded([&host, &stamp] { host.InstallUpdate(stamp); });
    Guarded([&host] { host.MarkStepDone(3); });
    host.Terminate();
}

} // namespace

std::optional<Prompt> PromptForVerdict(UpdateVerdict verdict) {
    switch (verdict) {
    case UpdateVerdict::CheckFailed:
        return Prompt::NoConnection;
    case UpdateVerdict::NoUpdate:
        return Prompt::NoUpdate;
    case UpdateVerdict::UpdateAvailable:
        return Prompt::UpdateAvailable;
    case UpdateVerdict::ManualUpdate:
        return Prompt::ManualUpdate;
    }
    return std::nullopt;
}

void RunUpdateSequence(SequenceHost& host) {
    // A failure in any stage skips to the final steps, which always put the window back
    // to idle; nothing is reported.
    Guarded([&host] { RunStages(host); });
    host.ResetControls();
    host.SetPanelBusyCursor(false);
    host.SetUpdateButtonEnabled(true);
}

} // namespace hx::update
