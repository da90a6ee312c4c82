// Without a window system there are no installers to delete or run, and the clock of the
// stamp is not needed: the model only steps through its visuals.
#include "update/InstallerRun.h"
#include "update/InstallerDownload.h"

namespace hx::update {

InstallerStamp ReadInstallerStamp() {
    return {};
}

void DeleteOldUpdates(std::u16string_view) {}

void InstallUpdate(std::u16string_view, bool, ui::Form&) {}

} // namespace hx::update
