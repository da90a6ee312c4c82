// The update window as the update sequence's host: step visuals, the Update button, the
// panel's pointer, message boxes owned by the window, and the stages on the window's own
// client and folder.
#pragma once

#include "update/InstallerDownload.h"
#include "update/UpdateSequence.h"

#include <string>
#include <string_view>

namespace hx::update {

class UpdateForm;

class UpdateWindowHost final : public SequenceHost {
public:
    explicit UpdateWindowHost(UpdateForm& form) : form_(form) {}

    void MinimiseProductWindow() override;
    void SetUpdateButtonEnabled(bool enabled) override;
    void ResetControls() override;
    void SetPanelBusyCursor(bool busy) override;
    void ActivateStep(int step) override;
    void MarkStepDone(int step) override;
    void ShowProgress() override;
    void SetProgress(int position) override;
    net::UpdateVerdict CheckForUpdate() override;
    std::u16string Caption(std::u16string_view key) override;
    int ShowMessage(std::u16string_view text, unsigned flags) override;
    void OpenManualDownloadPage() override;
    void Terminate() override;
    bool Closing() const override;
    void DeleteOldUpdates() override;
    InstallerStamp ReadStamp() override;
    void DownloadUpdate(const InstallerStamp& stamp) override;
    void InstallUpdate(const InstallerStamp& stamp) override;

private:
    UpdateForm& form_;
};

// The platform side of the window's update flow (update/win/; without a window system,
// update/posix/ has no installer to fetch or run and no help to show).

// The installer of `stamp` in the executable's folder.
std::u16string InstallerPathFor(const InstallerStamp& stamp);
// Earlier installers removed from the executable's folder.
void DeleteEarlierInstallers();
InstallerStamp ReadClockStamp();
// The install stage, owned by `form`, processing its messages while the installer runs.
void RunInstallStage(UpdateForm& form, const InstallerStamp& stamp, bool downloadComplete);
// The maker's download page in the browser, owned by `form`.
void OpenDownloadPage(UpdateForm& form);
// The update page of the product's help file.
void ShowUpdateHelp();

} // namespace hx::update
