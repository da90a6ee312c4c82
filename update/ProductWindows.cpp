#include "update/ProductWindows.h"

namespace hx::update {

void MinimiseMainWindow() {
    ShowWindowOfClass(kMainFormClass, kShowMinimize);
}

void CloseProductWindows() {
    for (std::u16string_view cls : {kAboutFormClass, kSettingsFormClass, kMainFormClass})
        CloseWindowOfClass(cls);
}

void RestoreMainWindow() {
    ShowWindowOfClass(kMainFormClass, kShowRestore);
}

} // namespace hx::update
