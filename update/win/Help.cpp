// HTML Help reached at run time: "hhctrl.ocx" is loaded on the first help request and
// kept until the program ends.

#include "update/Help.h"

#include "base/win/Handles.h"
#include "base/win/WideText.h"

#include <windows.h>

namespace hx::update {

namespace {

constexpr UINT kDisplayTopic = 0; // HH_DISPLAY_TOPIC
using HtmlHelpWFn = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);

struct HtmlHelpAccess {
    LazyLibrary library;
    win::UniqueModule module;
    HtmlHelpWFn htmlHelpW = nullptr;

    LazyLibrary::LoadOutcome Load() {
        module.reset(LoadLibraryW(L"hhctrl.ocx"));
        if (!module) {
            return LazyLibrary::LoadOutcome::Failed;
        }
        const FARPROC ansi = GetProcAddress(module.get(), "HtmlHelpA");
        const FARPROC wide = GetProcAddress(module.get(), "HtmlHelpW");
        if (ansi == nullptr || wide == nullptr) {
            // Given up for good; the library stays loaded like a usable one would.
            return LazyLibrary::LoadOutcome::MissingEntry;
        }
        htmlHelpW = reinterpret_cast<HtmlHelpWFn>(reinterpret_cast<void*>(wide));
        return LazyLibrary::LoadOutcome::Loaded;
    }
};

HtmlHelpAccess& Access() {
    static HtmlHelpAccess access;
    return access;
}

} // namespace

void ShowHelpTopicIn(std::u16string_view folder, std::u16string_view helpFileName,
                     std::u16string_view topic) {
    HtmlHelpAccess& access = Access();
    if (!access.library.Ready([&access] { return access.Load(); })) {
        return;
    }
    const std::u16string path = HelpTopicPath(folder, helpFileName, topic);
    access.htmlHelpW(GetDesktopWindow(), win::W(path), kDisplayTopic, 0);
}

} // namespace hx::update
