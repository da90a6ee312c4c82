// What the Update button runs: the check, the verdict's message, the download and the
// install stage, driving the window's step visuals. The order of the steps is portable
// code over SequenceHost; the update window is the host.
#pragma once

#include "update/InstallerDownload.h"
#include "update/Prompts.h"
#include "update/UpdateCheck.h"

#include <optional>

namespace hx::update {

// The message shown for each verdict; none for a value outside the four.
std::optional<Prompt> PromptForVerdict(UpdateVerdict verdict);

class SequenceHost : public PromptHost {
public:
    virtual void MinimiseProductWindow() = 0;
    virtual void SetUpdateButtonEnabled(bool enabled) = 0;
    virtual void ResetControls() = 0;
    virtual void SetPanelBusyCursor(bool busy) = 0;
    virtual void ActivateStep(int step) = 0;
    virtual void MarkStepDone(int step) = 0;
    virtual void ShowProgress() = 0;
    virtual void SetProgress(int position) = 0;
    virtual UpdateVerdict CheckForUpdate() = 0;
    virtual void OpenManualDownloadPage() = 0;
    virtual void Terminate() = 0;
    virtual bool Closing() const = 0;
    virtual void DeleteOldUpdates() = 0;
    virtual InstallerStamp ReadInstallerStamp() = 0;
    virtual void DownloadUpdate(const InstallerStamp& stamp) = 0;
    // The install stage; the sequence then marks step 3 done and terminates, whatever
    // failed inside it.
    virtual void InstallUpdate(const InstallerStamp& stamp) = 0;
};

// The whole sequence. Every path ends with the window idle again (the final steps);
// a failure anywhere skips to them silently.
void RunUpdateSequence(SequenceHost& host);

} // namespace hx::update
