// The install stage: the installer held and, by a signed updater, checked; the product's
// windows closed; the very file that was held run and waited for, and its exit code turned
// into the restart or the manual-update prompt.
// The order of the steps is portable code over InstallSystem; update/win/ supplies the
// Windows operations.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "update/InstallerSignature.h"
#include "update/Prompts.h"

namespace hx::ui {
class Form;
}

namespace hx::update {

// Tells the installer not to restart Windows by itself but to exit with 99 instead.
inline constexpr std::u16string_view kInstallerParameters = u"/NORESTART /RESTARTEXITCODE=99";
inline constexpr std::int32_t kRestartExitCode = 99;
// What RunAndWait gives when the installer cannot be started.
inline constexpr std::int32_t kStartFailed = 1;
// What RunAndWait gives when the application was told to terminate during the wait.
inline constexpr std::int32_t kStillActive = 259;

// The prompt that follows the installer, if any: 99 asks for the restart prompt; any other
// code but 0 is a failure, a crash status (top bit set) included. An installer that may not
// be started (an incomplete download, a refused signature) gets the manual-update prompt
// whatever `exitCode` says.
std::optional<Prompt> PromptFor(std::int32_t exitCode, bool startable);

// What the install stage needs from the window and the system.
class InstallSystem : public PromptHost {
public:
    // The product's windows, closed in their order, each send waiting until handled.
    virtual void CloseProductWindows() = 0;
    // The running updater's own signature, decided once at start-up.
    virtual SignatureFacts UpdaterSignature() = 0;
    // Opens the installer and keeps it from change, rename and deletion until the stage
    // ends; false when it cannot be held.
    virtual bool HoldInstaller(std::u16string_view path) = 0;
    // The held installer's signature and release, read through the hold.
    virtual InstallerFacts ReadHeldInstaller() = 0;
    // Starts the held installer itself, not whatever its name may lead to by then, and
    // waits for its exit code (kStartFailed, kStillActive).
    virtual std::int32_t RunHeldInstaller(std::u16string_view parameters) = 0;
    virtual void RestartWindows() = 0;
    virtual void OpenLink(std::u16string_view target) = 0;
};

// The stage for the installer `installerPath`; the caller then marks step 3 done and tells
// the application to terminate. An incomplete download, an installer that cannot be held,
// or one that a signed updater refuses (InstallerMayRun), is not started and the product's
// windows are left open: only the manual-update prompt is shown.
void InstallUpdate(std::u16string_view installerPath, bool downloadComplete, InstallSystem& system);

// The same on the real system: `window` owns the prompts and keeps processing its
// messages while the installer runs (update/win/; nothing without a window system).
void InstallUpdate(std::u16string_view installerPath, bool downloadComplete, ui::Form& window);

} // namespace hx::update
