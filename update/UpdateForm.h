// The update window: its definition (controls, pictures, fonts), creation, the step
// visuals the update sequence drives, and closing.
#pragma once

#include "ui/Application.h"
#include "ui/Controls.h"
#include "update/HttpClientComponent.h"
#include "update/InstallerDownload.h"
#include "update/UpdateSequence.h"

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

namespace hx::update {

// Set by the first close request and never reset; the update sequence reads it between
// its stages to learn that the user closed the window.
extern bool Closing;

// The window is also the update sequence's host: the sequence drives its step visuals,
// its Update button, its pointer and its message boxes, and runs the stages on its own
// client and folder.
class UpdateForm : public ui::Form, private SequenceHost {
public:
    UpdateForm();
    ~UpdateForm() override;

private:
    // Builds the components from the window definition, in creation order, before the
    // references below bind to them.
    struct Definition {
        explicit Definition(UpdateForm& form);
    } definition_;

public:
    // The components, in declaration order.
    ui::Bevel& UpdateBevel;
    ui::Button& UpdateButton;
    ui::Button& CloseButton;
    ui::Button& HelpButton;
    ui::Panel& UpdatePanel;
    ui::Image& BannerImage;
    ui::Label& BannerLabel;
    ui::Label& UpdateHeading;
    ui::ApplicationEvents& ApplicationEvents;
    ui::Label& UpdateDescription;
    ui::Image& UpdateImage2;
    ui::Image& UpdateImage1;
    ui::Image& UpdateImage3;
    ui::Image& UpdateImage4;
    ui::Image& UpdateImage5;
    ui::Image& UpdateImage6;
    ui::ProgressBar& UpdateProgress;
    ui::Image& CheckBoxImage1;
    ui::Image& Unchecked;
    ui::Image& Checked;
    ui::Label& UpdateLabel1;
    ui::Image& CheckBoxImage2;
    ui::Label& UpdateLabel2;
    ui::Image& CheckBoxImage3;
    ui::Label& UpdateLabel3;
    HttpClientComponent& HttpGet;

    // Event handlers.
    void FormCreate(ui::Component& sender);
    void FormClose(ui::Component& sender, ui::CloseAction& action);
    void CloseButtonClick(ui::Component& sender);
    void ApplicationEventsShortCut(const ui::KeyMessage& msg, bool& handled);
    void HelpButtonClick(ui::Component& sender);
    void UpdateButtonClick(ui::Component& sender);
    void HttpGetWork(net::THttpClient& sender, net::TWorkMode mode, std::int64_t workCount);
    void HttpGetWorkBegin(net::THttpClient& sender, net::TWorkMode mode, std::int64_t workCountMax);
    void HttpGetWaitMessages(net::THttpClient& sender);

    // Step visuals: all steps idle and unticked, progress bar hidden at 0.
    void ResetControls() override;
    // Step n (1 to 3) in its active look; its box is left as it is.
    void ActivateStep(int n) override;
    // Ticks step n's box.
    void MarkStepDone(int n) override;

    // Each step reads as one check button named by its label: ticked once its box is, and
    // under way while it is active but not yet ticked.
    std::vector<ui::AccessibleStandIn> AccessibleStandIns() const override;

private:
    // Owns the download file; bound to HttpGet, so declared after it.
    Download download_;
    // When the download's blocks last had the window's messages processed.
    std::chrono::steady_clock::time_point lastMessageLook_{};

    // The rest of the sequence's host.
    std::u16string Caption(std::u16string_view key) override;
    int ShowMessage(std::u16string_view text, unsigned flags) override;
    void MinimiseProductWindow() override;
    void SetUpdateButtonEnabled(bool enabled) override;
    void SetPanelBusyCursor(bool busy) override;
    void ShowProgress() override;
    void SetProgress(int position) override;
    UpdateVerdict CheckForUpdate() override;
    void OpenManualDownloadPage() override;
    void Terminate() override;
    bool Closing() const override;
    void DeleteOldUpdates() override;
    InstallerStamp ReadInstallerStamp() override;
    void DownloadUpdate(const InstallerStamp& stamp) override;
    void InstallUpdate(const InstallerStamp& stamp) override;

    struct Step {
        ui::Image& idle;
        ui::Image& active;
        ui::Label& label;
        ui::Image& box;
    };
    Step StepControls(int n) const;
};

// The process's update window while it exists.
extern UpdateForm* HXUpdateForm;

// Creates the application's main form: hidden, scaled to its monitor, FormCreate run.
UpdateForm& CreateUpdateForm();

} // namespace hx::update
