#include "update/UpdateSequence.h"

#include "update/InstallerRun.h"

#include <vector>

namespace hx::update {

using net::UpdateVerdict;

namespace {

constexpr VerdictMessage kCheckFailed{0x10,
                                      {u"MessageBoxNoConnection1", u"MessageBoxNoConnection2"}};
constexpr VerdictMessage kNoUpdate{0x40, {u"MessageBoxNoUpdate1", u"MessageBoxNoUpdate2"}};
constexpr VerdictMessage kUpdateAvailable{0x44, {u"MessageBoxUpdate1", u"MessageBoxUpdate2"}};
constexpr VerdictMessage kManualUpdate{0x34,
                                       {u"MessageBoxManualUpdate1", u"MessageBoxManualUpdate2"}};

int Show(SequenceHost& host, const VerdictMessage& message) {
    std::vector<std::u16string> pieces;
    for (auto key : message.keys)
        pieces.push_back(host.Caption(key));
    return host.ShowMessage(JoinMessageTexts(pieces), message.flags);
}

// Steps up to the end of the install stage; returns when the final steps are due.
void RunStages(SequenceHost& host) {
    host.MinimiseProductWindow();
    host.SetUpdateButtonEnabled(false);
    host.ResetControls();
    host.SetPanelBusyCursor(true);
    host.ActivateStep(1);
    host.MarkStepDone(1); // ticked at once, before the check runs

    const UpdateVerdict verdict = host.CheckForUpdate();
    const VerdictMessage* message = MessageForVerdict(verdict);
    if (!message)
        return;
    const bool yes = Show(host, *message) == kIdYes;
    if (verdict == UpdateVerdict::ManualUpdate) {
        if (yes)
            host.OpenManualDownloadPage();
        host.Terminate();
        return;
    }
    if (verdict != UpdateVerdict::UpdateAvailable || !yes)
        return;

    host.ActivateStep(2);
    host.ShowProgress();
    InstallerStamp stamp;
    if (!host.Closing()) {
        host.DeleteOldUpdates();
        stamp = host.ReadStamp();
        host.DownloadUpdate(stamp);
        host.SetProgress(100);
        host.MarkStepDone(2);
        host.ActivateStep(3);
    }
    // The window may have been closed while the download processed messages.
    if (host.Closing())
        host.Terminate();
    else
        host.InstallUpdate(stamp);
}

} // namespace

const VerdictMessage* MessageForVerdict(UpdateVerdict verdict) {
    switch (verdict) {
    case UpdateVerdict::CheckFailed:
        return &kCheckFailed;
    case UpdateVerdict::NoUpdate:
        return &kNoUpdate;
    case UpdateVerdict::UpdateAvailable:
        return &kUpdateAvailable;
    case UpdateVerdict::ManualUpdate:
        return &kManualUpdate;
    }
    return nullptr;
}

void RunUpdateSequence(SequenceHost& host) {
    try {
        RunStages(host);
    } catch (...) {
        // Nothing is reported; the final steps put the window back to idle.
    }
    try {
        host.ResetControls();
        host.SetPanelBusyCursor(false);
        host.SetUpdateButtonEnabled(true);
    } catch (...) {
    }
}

} // namespace hx::update
