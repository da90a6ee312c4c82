// Windows side of the window's update flow: the executable's folder, the local clock, the
// install stage with the window as owner, the shell and HTML Help.

#include "update/UpdateWindowHost.h"

#include "net/UpdateServer.h"
#include "ui/Application.h"
#include "update/Help.h"
#include "update/UpdateForm.h"
#include "update/win/InstallerRun.h"

#include <windows.h>

namespace hx::update {

namespace {

HWND WindowOf(UpdateForm& form) {
    return static_cast<HWND>(form.Handle());
}

} // namespace

std::u16string InstallerPathFor(const InstallerStamp& stamp) {
    const std::u16string folder = ExecutableFolder();
    // Without its own folder the program has nowhere it may put the installer.
    return folder.empty() ? std::u16string() : InstallerFileName(folder, stamp);
}

void DeleteEarlierInstallers() {
    DeleteOldUpdates();
}

InstallerStamp ReadClockStamp() {
    return ReadInstallerStamp();
}

void RunInstallStage(UpdateForm& form, const InstallerStamp& stamp, bool downloadComplete) {
    ui::Application& application = ui::Application::Instance();
    InstallWindow window;
    window.owner = WindowOf(form);
    window.processMessages = [&application] { application.ProcessMessages(); };
    window.terminationRequested = [&application] { return application.Terminated(); };
    window.showMessage = [&application, &form](std::u16string_view text, unsigned flags) {
        return application.MessageBox(&form, text, form.caption(), flags);
    };
    InstallUpdate(stamp, downloadComplete, window);
}

void OpenDownloadPage(UpdateForm& form) {
    OpenLink(net::DownloadPageUrl(), WindowOf(form));
}

void ShowUpdateHelp() {
    ShowHelpTopic(kHelpFileName, kUpdateHelpTopic);
}

} // namespace hx::update
