// The application on Win32: common controls, the message loop with the short-cut hook
// and dialog-style keyboard handling, pending-message processing, quit, message boxes.
#include "ui/Application.h"

#include "base/win/Handles.h"
#include "base/win/WideText.h"
#include "ui/Controls.h"
#include "ui/Scaling.h"
#include "ui/win/Gdi.h"
#include "ui/win/Peers.h"

#include <windows.h>

#include <commctrl.h>

namespace hx::ui {

namespace {

// The face registered as the substitute for "MS Shell Dlg 2", or "MS Sans Serif".
std::u16string DialogFace() {
    wchar_t face[LF_FACESIZE] = {};
    DWORD size = sizeof face - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE,
                     L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                     L"MS Shell Dlg 2", RRF_RT_REG_SZ, nullptr, face, &size) == ERROR_SUCCESS &&
        face[0]) {
        return hx::win::U(face, wcsnlen(face, LF_FACESIZE));
    }
    return u"MS Sans Serif";
}

// Gives key-downs to the short-cut hook, then lets the form handle dialog keys (Tab,
// Enter, Escape, access keys), then dispatches.
void Dispatch(Application& app, MSG& m) {
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
        const KeyMessage key{m.message, uint32_t(m.wParam), int64_t(m.lParam)};
        if (app.ShortCut(key)) {
            return;
        }
    }
    HWND root = m.hwnd ? GetAncestor(m.hwnd, GA_ROOT) : nullptr;
    if (root && win::WindowBase::FromWindow(root) && IsDialogMessageW(root, &m)) {
        return;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
}

} // namespace

void Application::PlatformInitialize() {
    static bool done = false;
    if (!done) {
        done = true;
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        Font& f = ApplicationFont();
        f.face = DialogFace();
        f.height = HeightFromPoints(8, win::SystemDpiNow());
    }
    // A quit request left from an earlier loop must not end the next one.
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void Application::PlatformRealise(Form& form) {
    PlatformInitialize();
    win::Realise(form);
}

void Application::PlatformRun() {
    if (Form* main = MainForm()) {
        main->SetVisible(true);
    }
    MSG m;
    while (!terminated_) {
        const BOOL got = GetMessageW(&m, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            break;
        }
        Dispatch(*this, m);
    }
}

void Application::PlatformProcessMessages() {
    // Called often during a download: with nothing pending, one look at the queue is all it
    // costs (a peek that finds nothing also flushes and polls the display).
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) {
        return;
    }
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        Dispatch(*this, m);
    }
}

void Application::PlatformTerminate() {
    PostQuitMessage(0);
}

int Application::PlatformMessageBox(const Form* owner, std::u16string_view text,
                                    std::u16string_view caption, uint32_t flags) {
    const std::u16string t(text), c(caption);
    HWND window = owner ? static_cast<HWND>(owner->Handle()) : nullptr;
    return ::MessageBoxW(window, hx::win::W(t), hx::win::W(c), flags);
}

} // namespace hx::ui
