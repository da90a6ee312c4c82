#include "update/ProductWindows.h"

namespace hx::update {

void MinimiseMainWindow() {
    ShowWindowOfClass(kMainFormClass, kShowMinimize);
}

void CloseProductWindows() {
    for (std::u16string_view className : kWindowsClosedBeforeInstall) {
        CloseWindowOfClass(className);
    }
}

void RestoreMainWindow() {
    ShowWindowOfClass(kMainFormClass, kShowRestore);
}

} // namespace hx::update
