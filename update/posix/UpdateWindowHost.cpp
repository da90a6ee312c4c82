// Without a window system there is no executable's folder to download into, no installer
// to run, no browser and no help viewer: the model only steps through its visuals.

#include "update/UpdateWindowHost.h"

namespace hx::update {

std::u16string InstallerPathFor(const InstallerStamp&) {
    return {};
}

void DeleteEarlierInstallers() {}

InstallerStamp ReadClockStamp() {
    return {};
}

void RunInstallStage(UpdateForm&, const InstallerStamp&, bool) {}

void OpenDownloadPage(UpdateForm&) {}

void ShowUpdateHelp() {}

} // namespace hx::update
