#include "update/UpdateForm.h"

#include "base/ExecutablePath.h"
#include "base/Guard.h"
#include "support/Captions.h"
#include "support/Shell.h"
#include "support/SystemFont.h"
#include "ui/Screen.h"
#include "update/Help.h"
#include "update/InstallerRun.h"
#include "update/ProductWindows.h"
#include "update/UpdateServer.h"

namespace hx::update {

using namespace hx::ui;

bool Closing = false;
UpdateForm* HXUpdateForm = nullptr;

namespace {

constexpr uint32_t kKeyF1 = 112;            // VK_F1
constexpr uint32_t kKeyDownMessage = 0x100; // WM_KEYDOWN

// How often a download's blocks stop to process the window's messages. A look at the queue
// costs more than a whole block under Wine (a poll of the display and a trip to its server):
// one per block made the window's download half as slow again as the transfer, while 10 ms
// is far below anything a user sees or feels.
constexpr auto kMessageLookInterval = std::chrono::milliseconds(10);

// The window definition's pictures, embedded as raw-data resources of these names.
constexpr std::u16string_view kBanner = u"BANNER.PNG";
constexpr std::u16string_view kStepIdle[] = {u"STEP1-IDLE.PNG", u"STEP2-IDLE.PNG",
                                             u"STEP3-IDLE.PNG"};
constexpr std::u16string_view kStepActive[] = {u"STEP1-ACTIVE.PNG", u"STEP2-ACTIVE.PNG",
                                               u"STEP3-ACTIVE.PNG"};
constexpr std::u16string_view kUnchecked = u"UNCHECKED.PNG";
constexpr std::u16string_view kChecked = u"CHECKED.PNG";

// Each control that shows a picture holds its own copy, decoded from the definition.
Picture LoadPicture(std::u16string_view resource) {
    return Picture::FromPng(ReadResource(resource));
}

Font BannerFont(std::u16string face, int height, Colour colour) {
    Font f;
    f.face = std::move(face);
    f.height = height;
    f.bold = true;
    f.colour = colour;
    return f;
}

template <class T> T& Get(Form& form, std::u16string_view name) {
    return static_cast<T&>(*form.FindComponent(name));
}

} // namespace

UpdateForm::Definition::Definition(UpdateForm& f) {
    f.SetClientSize(700, 441);

    auto button = [&](std::u16string name, Rect box, int tabOrder) -> Button& {
        auto& b = f.Add<Button>(std::move(name), &f, &f);
        b.SetBounds(box);
        b.SetTabOrder(tabOrder);
        return b;
    };
    auto image = [&](std::u16string name, Component& parent, Rect box, std::u16string_view picture,
                     bool visible) -> Image& {
        auto& i = f.Add<Image>(std::move(name), &f, &parent);
        i.SetBounds(box);
        i.SetPicture(LoadPicture(picture));
        i.SetStretch(true);
        i.SetVisible(visible);
        return i;
    };
    auto label = [&](std::u16string name, Component& parent, Rect box) -> Label& {
        auto& l = f.Add<Label>(std::move(name), &f, &parent);
        l.SetBounds(box);
        return l;
    };

    auto& bevel = f.Add<Bevel>(u"UpdateBevel", &f, &f);
    bevel.SetBounds({0, 386, 700, 5});
    bevel.SetShape(Bevel::Shape::TopLine);

    button(u"UpdateButton", {520, 403, 79, 25}, 0).SetDefault(true);
    button(u"CloseButton", {608, 403, 79, 25}, 1).SetCancel(true);
    button(u"HelpButton", {14, 403, 79, 25}, 2);

    auto& panel = f.Add<Panel>(u"UpdatePanel", &f, &f);
    panel.SetBounds({0, 0, 700, 386});
    panel.SetColour(Colour::Sys(Colour::System::Window));
    panel.SetTabOrder(3);

    image(u"BannerImage", panel, {0, 0, 700, 60}, kBanner, true);
    label(u"BannerLabel", panel, {48, 18, 0, 0})
        .SetFont(BannerFont(u"Tahoma", -16, Colour::Rgb(255, 255, 255)));
    label(u"UpdateHeading", panel, {72, 82, 0, 0})
        .SetFont(BannerFont(u"Tahoma", -11, Colour::Sys(Colour::System::WindowText)));
    auto& description = label(u"UpdateDescription", panel, {72, 112, 556, 33});
    description.SetAutoSize(false);
    description.SetWordWrap(true);

    image(u"UpdateImage2", panel, {288, 164, 128, 128}, kStepIdle[1], true);
    image(u"UpdateImage1", panel, {72, 164, 128, 128}, kStepIdle[0], true);
    image(u"UpdateImage3", panel, {500, 164, 128, 128}, kStepIdle[2], true);
    image(u"UpdateImage4", panel, {72, 164, 128, 128}, kStepActive[0], false);
    image(u"UpdateImage5", panel, {288, 164, 128, 128}, kStepActive[1], false);
    image(u"UpdateImage6", panel, {500, 164, 128, 128}, kStepActive[2], false);

    image(u"CheckBoxImage1", panel, {72, 299, 32, 32}, kUnchecked, true);
    image(u"Unchecked", panel, {81, 348, 32, 32}, kUnchecked, false);
    image(u"Checked", panel, {43, 348, 32, 32}, kChecked, false);
    label(u"UpdateLabel1", panel, {112, 310, 0, 0});
    image(u"CheckBoxImage2", panel, {288, 299, 32, 32}, kUnchecked, true);
    label(u"UpdateLabel2", panel, {328, 310, 0, 0});
    image(u"CheckBoxImage3", panel, {500, 299, 32, 32}, kUnchecked, true);
    label(u"UpdateLabel3", panel, {540, 310, 0, 0});

    auto& progress = f.Add<ProgressBar>(u"UpdateProgress", &f, &panel);
    progress.SetBounds({72, 348, 556, 17});
    progress.SetRange(0, 100);
    progress.SetSmooth(true);
    progress.SetPosition(100);
    progress.SetVisible(false);
    progress.SetCursor(Cursor::Wait);

    f.Add<ui::ApplicationEvents>(u"ApplicationEvents", &f);
    f.Add<HttpClientComponent>(u"HttpGet", &f);
}

UpdateForm::UpdateForm()
    : Form(u"THXUpdateForm", u"HXUpdateForm"), definition_(*this),
      UpdateBevel(Get<Bevel>(*this, u"UpdateBevel")),
      UpdateButton(Get<Button>(*this, u"UpdateButton")),
      CloseButton(Get<Button>(*this, u"CloseButton")),
      HelpButton(Get<Button>(*this, u"HelpButton")), UpdatePanel(Get<Panel>(*this, u"UpdatePanel")),
      BannerImage(Get<Image>(*this, u"BannerImage")),
      BannerLabel(Get<Label>(*this, u"BannerLabel")),
      UpdateHeading(Get<Label>(*this, u"UpdateHeading")),
      ApplicationEvents(Get<ui::ApplicationEvents>(*this, u"ApplicationEvents")),
      UpdateDescription(Get<Label>(*this, u"UpdateDescription")),
      UpdateImage2(Get<Image>(*this, u"UpdateImage2")),
      UpdateImage1(Get<Image>(*this, u"UpdateImage1")),
      UpdateImage3(Get<Image>(*this, u"UpdateImage3")),
      UpdateImage4(Get<Image>(*this, u"UpdateImage4")),
      UpdateImage5(Get<Image>(*this, u"UpdateImage5")),
      UpdateImage6(Get<Image>(*this, u"UpdateImage6")),
      UpdateProgress(Get<ProgressBar>(*this, u"UpdateProgress")),
      CheckBoxImage1(Get<Image>(*this, u"CheckBoxImage1")),
      Unchecked(Get<Image>(*this, u"Unchecked")), Checked(Get<Image>(*this, u"Checked")),
      UpdateLabel1(Get<Label>(*this, u"UpdateLabel1")),
      CheckBoxImage2(Get<Image>(*this, u"CheckBoxImage2")),
      UpdateLabel2(Get<Label>(*this, u"UpdateLabel2")),
      CheckBoxImage3(Get<Image>(*this, u"CheckBoxImage3")),
      UpdateLabel3(Get<Label>(*this, u"UpdateLabel3")),
      HttpGet(Get<HttpClientComponent>(*this, u"HttpGet")), download_(HttpGet) {
    OnCreate = [this](Form& sender) { FormCreate(sender); };
    OnClose = [this](Form& sender, CloseAction& action) { FormClose(sender, action); };
    UpdateButton.OnClick = [this](Component& sender) { UpdateButtonClick(sender); };
    CloseButton.OnClick = [this](Component& sender) { CloseButtonClick(sender); };
    HelpButton.OnClick = [this](Component& sender) { HelpButtonClick(sender); };
    ApplicationEvents.OnShortCut = [this](const KeyMessage& msg, bool& handled) {
        ApplicationEventsShortCut(msg, handled);
    };
    HttpGet.OnWorkBegin = [this](net::THttpClient& sender, net::TWorkMode mode, std::int64_t max) {
        HttpGetWorkBegin(sender, mode, max);
    };
    HttpGet.OnWork = [this](net::THttpClient& sender, net::TWorkMode mode, std::int64_t count) {
        HttpGetWork(sender, mode, count);
    };
    HttpGet.OnWaitMessages = [this](net::THttpClient& sender) { HttpGetWaitMessages(sender); };
    HXUpdateForm = this;
}

UpdateForm::~UpdateForm() {
    // The window goes before the handlers it could call.
    ReleasePeers();
    if (HXUpdateForm == this) {
        HXUpdateForm = nullptr;
    }
}

void UpdateForm::FormCreate(Component&) {
    // Each step after the first stands on its own; without the desktop font the later
    // steps would work on the wrong font, so a failure there skips them.
    if (!Guarded([this] { BindToDesktopFont(*this); })) {
        return;
    }
    Guarded([this] { NormaliseFonts(*this); });
    Guarded([this] { ResetControls(); });
    Guarded([this] { ApplyCaptions(*this); });
}

void UpdateForm::FormClose(Component&, CloseAction&) {
    update::Closing = true;
    // Disconnects HttpGet; a file is released only when no transfer still writes to it,
    // and the download forgets it, so a second close releases nothing. A failure here
    // does not keep the product's main window from coming back.
    Guarded([this] { download_.CloseDuty(); });
    RestoreMainWindow();
}

void UpdateForm::CloseButtonClick(Component&) {
    Close();
}

void UpdateForm::ApplicationEventsShortCut(const KeyMessage& msg, bool&) {
    // Any modifier and every repeat: only the key code counts, and the key goes on to its
    // ordinary processing.
    if (msg.charCode == kKeyF1) {
        ShowHelpTopic(kHelpFileName, kUpdateHelpTopic);
    }
}

void UpdateForm::HelpButtonClick(Component&) {
    // The same path as F1.
    const KeyMessage msg{kKeyDownMessage, kKeyF1, 0};
    bool handled = false;
    if (HXUpdateForm) {
        HXUpdateForm->ApplicationEventsShortCut(msg, handled);
    }
}

void UpdateForm::UpdateButtonClick(Component&) {
    RunUpdateSequence(*this);
}

void UpdateForm::HttpGetWorkBegin(net::THttpClient&, net::TWorkMode, std::int64_t workCountMax) {
    download_.OnWorkBegin(workCountMax);
}

void UpdateForm::HttpGetWaitMessages(net::THttpClient&) {
    // While the download waits for the network the window repaints and Close works; the
    // close duty disconnects HttpGet, which ends the wait.
    Application::Instance().ProcessMessages();
}

void UpdateForm::HttpGetWork(net::THttpClient&, net::TWorkMode, std::int64_t workCount) {
    // The window repaints and its buttons, Close included, respond during the transfer.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastMessageLook_ >= kMessageLookInterval) {
        lastMessageLook_ = now;
        Application::Instance().ProcessMessages();
    }
    // Nothing when no size was announced: the bar stays where it is. Most blocks do not
    // move it, and those cost nothing here.
    const auto position = download_.PositionFor(workCount);
    if (position && *position != UpdateProgress.position()) {
        UpdateProgress.SetPosition(*position);
    }
}

// --- the sequence's host ------------------------------------------------------------------

std::u16string UpdateForm::Caption(std::u16string_view key) {
    return WindowCaption(*this, key);
}

int UpdateForm::ShowMessage(std::u16string_view text, unsigned flags) {
    return ShowWindowMessage(*this, text, flags);
}

void UpdateForm::MinimiseProductWindow() {
    MinimiseMainWindow();
}

void UpdateForm::SetUpdateButtonEnabled(bool enabled) {
    UpdateButton.SetEnabled(enabled);
}

void UpdateForm::SetPanelBusyCursor(bool busy) {
    UpdatePanel.SetCursor(busy ? Cursor::Wait : Cursor::Default);
}

void UpdateForm::ShowProgress() {
    UpdateProgress.SetVisible(true);
}

void UpdateForm::SetProgress(int position) {
    UpdateProgress.SetPosition(position);
}

UpdateVerdict UpdateForm::CheckForUpdate() {
    // The window keeps answering while the check waits; closing it gives the check up.
    return update::CheckForUpdate([] {
        Application& application = Application::Instance();
        application.ProcessMessages();
        return !application.Terminated();
    });
}

void UpdateForm::OpenManualDownloadPage() {
    OpenLink(DownloadPageUrl(), Handle());
}

void UpdateForm::Terminate() {
    Application::Instance().Terminate();
}

bool UpdateForm::Closing() const {
    return update::Closing;
}

void UpdateForm::DeleteOldUpdates() {
    update::DeleteOldUpdates(ExecutableFolder());
}

InstallerStamp UpdateForm::ReadInstallerStamp() {
    return update::ReadInstallerStamp();
}

void UpdateForm::DownloadUpdate(const InstallerStamp& stamp) {
    download_.DownloadUpdate(InstallerPath(stamp));
}

void UpdateForm::InstallUpdate(const InstallerStamp& stamp) {
    update::InstallUpdate(InstallerPath(stamp), download_.Complete(), *this);
}

// --- step visuals ---------------------------------------------------------------------

UpdateForm::Step UpdateForm::StepControls(int n) const {
    switch (n) {
    case 1:
        return {UpdateImage1, UpdateImage4, UpdateLabel1, CheckBoxImage1};
    case 2:
        return {UpdateImage2, UpdateImage5, UpdateLabel2, CheckBoxImage2};
    default:
        return {UpdateImage3, UpdateImage6, UpdateLabel3, CheckBoxImage3};
    }
}

void UpdateForm::ResetControls() {
    for (Image* i : {&UpdateImage1, &UpdateImage2, &UpdateImage3}) {
        i->SetVisible(true);
    }
    for (Image* i : {&UpdateImage4, &UpdateImage5, &UpdateImage6}) {
        i->SetVisible(false);
    }
    // Only a bold label is touched, so at creation the labels keep following the window
    // font.
    for (Label* l : {&UpdateLabel1, &UpdateLabel2, &UpdateLabel3}) {
        if (!l->font().bold) {
            continue;
        }
        Font f = l->font();
        f.bold = false;
        l->SetFont(f);
    }
    for (Image* box : {&CheckBoxImage1, &CheckBoxImage2, &CheckBoxImage3}) {
        box->SetPicture(Unchecked.picture());
    }
    UpdateProgress.SetVisible(false);
    UpdateProgress.SetPosition(0);
}

void UpdateForm::ActivateStep(int n) {
    if (n < 1 || n > 3) {
        return;
    }
    Step s = StepControls(n);
    s.idle.SetVisible(false);
    s.active.SetVisible(true);
    Font f = s.label.font();
    f.bold = true;
    s.label.SetFont(f);
}

void UpdateForm::MarkStepDone(int n) {
    if (n < 1 || n > 3) {
        return;
    }
    StepControls(n).box.SetPicture(Checked.picture());
}

std::vector<AccessibleStandIn> UpdateForm::AccessibleStandIns() const {
    std::vector<AccessibleStandIn> steps;
    for (int n = 1; n <= 3; ++n) {
        const Step s = StepControls(n);
        AccessibleItem item;
        item.role = AccessibleRole::CheckButton;
        item.name = WithoutAccessKeyMarks(s.label.caption());
        item.checked = s.box.picture() == Checked.picture();
        item.mixed = !item.checked && s.active.visible();
        steps.push_back({&s.label, std::move(item), {&s.idle, &s.active, &s.box}});
    }
    return steps;
}

UpdateForm& CreateUpdateForm() {
    return ui::Application::Instance().CreateForm<UpdateForm>();
}

} // namespace hx::update
