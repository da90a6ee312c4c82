// The installed product's windows, touched from outside by class name only: the first
// top-level window of a class on the desktop. A missing window or a failed call changes
// nothing; no result is examined.
#pragma once

#include <array>
#include <string_view>

namespace hx::update {

inline constexpr std::u16string_view kMainFormClass = u"THXMainForm";
inline constexpr std::u16string_view kAboutFormClass = u"THXAboutForm";
inline constexpr std::u16string_view kSettingsFormClass = u"THXSettingsForm";

// Closed before the installer runs, in this order, so it finds the product's files free.
inline constexpr std::array<std::u16string_view, 3> kWindowsClosedBeforeInstall{
    kAboutFormClass, kSettingsFormClass, kMainFormClass};

// Gets the product's main window out of the way while the update runs.
void MinimiseMainWindow();
// Closes the windows of kWindowsClosedBeforeInstall in order, each with a synchronous
// close message: every send returns once that window has handled it.
void CloseProductWindows();
// Brings the product's main window back when the update window closes.
void RestoreMainWindow();

// The platform edge (update/win/, update/posix/).
inline constexpr int kShowMinimize = 6; // SW_MINIMIZE
inline constexpr int kShowRestore = 9;  // SW_RESTORE
void ShowWindowOfClass(std::u16string_view className, int command);
void CloseWindowOfClass(std::u16string_view className);

} // namespace hx::update
