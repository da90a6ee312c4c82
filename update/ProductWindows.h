// The installed product's windows, touched from outside by class name only: the first
// top-level window of a class on the desktop. A missing window or a failed call changes
// nothing; no result is examined.
#pragma once

#include <string_view>

namespace hx::update {

inline constexpr std::u16string_view kMainFormClass = u"THXMainForm";
inline constexpr std::u16string_view kAboutFormClass = u"THXAboutForm";
inline constexpr std::u16string_view kSettingsFormClass = u"THXSettingsForm";

// Gets the product's main window out of the way while the update runs.
void MinimiseMainWindow();
// Closes the About, settings and main windows, in that order, each with a synchronous
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
