// What the Update button runs: the check, the verdict's message, the download and the
// install stage, driving the window's step visuals. The order of the steps is portable
// code over SequenceHost; the update window implements the host.
#pragma once

#include "net/UpdateCheck.h"
#include "update/InstallerDownload.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace hx::update {

// The message for each verdict: icon and buttons as the platform numbers them, and the
// language keys of its text pieces.
struct VerdictMessage {
    unsigned flags;
    std::array<std::u16string_view, 2> keys;
};
const VerdictMessage* MessageForVerdict(net::UpdateVerdict verdict);

class SequenceHost {
public:
    virtual ~SequenceHost() = default;
    virtual void MinimiseProductWindow() = 0;
    virtual void SetUpdateButtonEnabled(bool enabled) = 0;
    virtual void ResetControls() = 0;
    virtual void SetPanelBusyCursor(bool busy) = 0;
    virtual void ActivateStep(int step) = 0;
    virtual void MarkStepDone(int step) = 0;
    virtual void ShowProgress() = 0;
    virtual void SetProgress(int position) = 0;
    virtual net::UpdateVerdict CheckForUpdate() = 0;
    virtual std::u16string Caption(std::u16string_view key) = 0;
    // A message box owned by the window, with its title as caption; returns the answer.
    virtual int ShowMessage(std::u16string_view text, unsigned flags) = 0;
    virtual void OpenManualDownloadPage() = 0;
    virtual void Terminate() = 0;
    virtual bool Closing() const = 0;
    virtual void DeleteOldUpdates() = 0;
    virtual InstallerStamp ReadStamp() = 0;
    virtual void DownloadUpdate(const InstallerStamp& stamp) = 0;
    // The install stage; it ends by marking step 3 done and terminating.
    virtual void InstallUpdate(const InstallerStamp& stamp) = 0;
};

// The whole sequence. Every path ends with the window idle again (the final steps);
// a failure anywhere skips to them silently.
void RunUpdateSequence(SequenceHost& host);

} // namespace hx::update
