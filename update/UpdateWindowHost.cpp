#include "update/UpdateWindowHost.h"

#include "net/UpdateCheck.h"
#include "support/Captions.h"
#include "ui/Application.h"
#include "update/ProductWindows.h"
#include "update/UpdateForm.h"

namespace hx::update {

using ui::Application;

void UpdateWindowHost::MinimiseProductWindow() {
    MinimiseMainWindow();
}

void UpdateWindowHost::SetUpdateButtonEnabled(bool enabled) {
    form_.UpdateButton.SetEnabled(enabled);
}

void UpdateWindowHost::ResetControls() {
    form_.ResetControls();
}

void UpdateWindowHost::SetPanelBusyCursor(bool busy) {
    form_.UpdatePanel.SetCursor(busy ? ui::Cursor::Wait : ui::Cursor::Default);
}

void UpdateWindowHost::ActivateStep(int step) {
    form_.ActivateStep(step);
}

void UpdateWindowHost::MarkStepDone(int step) {
    form_.MarkStepDone(step);
}

void UpdateWindowHost::ShowProgress() {
    form_.UpdateProgress.SetVisible(true);
}

void UpdateWindowHost::SetProgress(int position) {
    form_.UpdateProgress.SetPosition(position);
}

net::UpdateVerdict UpdateWindowHost::CheckForUpdate() {
    return net::CheckForUpdate();
}

std::u16string UpdateWindowHost::Caption(std::u16string_view key) {
    return GetCaption(form_.name(), key);
}

int UpdateWindowHost::ShowMessage(std::u16string_view text, unsigned flags) {
    return Application::Instance().MessageBox(&form_, text, form_.caption(), flags);
}

void UpdateWindowHost::OpenManualDownloadPage() {
    OpenDownloadPage(form_);
}

void UpdateWindowHost::Terminate() {
    Application::Instance().Terminate();
}

bool UpdateWindowHost::Closing() const {
    return update::Closing;
}

void UpdateWindowHost::DeleteOldUpdates() {
    form_.DeleteOldUpdates();
}

InstallerStamp UpdateWindowHost::ReadStamp() {
    return ReadClockStamp();
}

void UpdateWindowHost::DownloadUpdate(const InstallerStamp& stamp) {
    form_.DownloadUpdate(InstallerPathFor(stamp));
}

void UpdateWindowHost::InstallUpdate(const InstallerStamp& stamp) {
    RunInstallStage(form_, stamp, form_.DownloadComplete());
    form_.MarkStepDone(3);
    Terminate();
}

} // namespace hx::update
