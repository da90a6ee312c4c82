// The install stage: the product's windows closed, the downloaded installer run and
// waited for, and its exit code turned into the restart or the manual-update prompt.
// The order of the steps is portable code over InstallSystem; update/win/ supplies the
// Windows operations.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "update/InstallerDownload.h"
#include "update/ProductWindows.h"

namespace hx::update {

// Closed before the installer runs, in this order, so it finds the product's files free.
inline constexpr std::array<std::u16string_view, 3> kWindowsClosedBeforeInstall{
    kAboutFormClass, kSettingsFormClass, kMainFormClass};

// Tells the installer not to restart Windows by itself but to exit with 99 instead.
inline constexpr std::u16string_view kInstallerParameters = u"/NORESTART /RESTARTEXITCODE=99";
inline constexpr std::int32_t kRestartExitCode = 99;
// What RunAndWait gives when the installer cannot be started.
inline constexpr std::int32_t kStartFailed = 1;
// What RunAndWait gives when the application was told to terminate during the wait.
inline constexpr std::int32_t kStillActive = 259;

enum class InstallPrompt { None, Restart, ManualUpdate };

// 99 asks for the restart prompt; any other code but 0 is a failure, a crash status
// (top bit set) included. An incomplete download is never started, so it gets the
// manual-update prompt whatever `exitCode` says.
InstallPrompt PromptFor(std::int32_t exitCode, bool downloadComplete);

// Message-box flags and answer, as the platform numbers them.
inline constexpr unsigned kRestartPromptFlags = 0x134;     // Yes/No, warning, No default
inline constexpr unsigned kManualUpdatePromptFlags = 0x34; // Yes/No, warning
inline constexpr int kIdYes = 6;

struct PromptBox {
    unsigned flags = 0;
    std::span<const std::u16string_view> keys; // language keys of the text pieces
};
PromptBox PromptBoxFor(InstallPrompt prompt);

// Message texts are pieces joined by an empty line.
std::u16string JoinMessageTexts(std::span<const std::u16string> pieces);
// The pieces GetCaption("HXUpdateForm", key) for each key, joined.
std::u16string MessageText(std::span<const std::u16string_view> keys);

// What the install stage needs from the window and the system.
class InstallSystem {
public:
    virtual ~InstallSystem() = default;
    // Sends WM_CLOSE to the first top-level window of the class and waits until it has
    // been handled; nothing when there is none.
    virtual void CloseWindowByClass(std::u16string_view className) = 0;
    // Starts the program and waits for its exit code (kStartFailed, kStillActive).
    virtual std::int32_t RunAndWait(std::u16string_view path, std::u16string_view parameters) = 0;
    // A message box owned by the update window with its title; returns the answer.
    virtual int ShowMessage(std::u16string_view text, unsigned flags) = 0;
    virtual std::u16string Caption(std::u16string_view key) = 0;
    virtual void RestartWindows() = 0;
    virtual void OpenLink(std::u16string_view target) = 0;
};

// Steps 1 to 5 of the stage for the installer `installerPath`: the caller then marks step
// 3 done and tells the application to terminate. An incomplete download is not started
// and the product's windows are left open: only the manual-update prompt is shown.
void InstallUpdate(std::u16string_view installerPath, bool downloadComplete, InstallSystem& system);

} // namespace hx::update
