// Stand-in for the product: windows of the product's classes that log every minimise,
// restore and WM_CLOSE they receive ("<class> minimise|restore|close", one per line) to
// the file named by HX_PRODUCT_LOG, and close on WM_CLOSE. The process ends with its last
// window. Arguments name the classes to open (default: main, About and settings window).

#include "tests/standins/StandinLog.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kClasses[] = {L"THXMainForm", L"THXAboutForm", L"THXSettingsForm"};
int openWindows = 0;

struct WindowState {
    std::wstring className;
    bool minimised = false;
};

void Log(const WindowState& state, const wchar_t* event) {
    hx::standin::AppendLine(L"HX_PRODUCT_LOG", state.className + L" " + event);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
        break;
    }
    case WM_SIZE:
        if (state && wParam == SIZE_MINIMIZED && !state->minimised) {
            state->minimised = true;
            Log(*state, L"minimise");
        } else if (state && wParam != SIZE_MINIMIZED && state->minimised) {
            state->minimised = false;
            Log(*state, L"restore");
        }
        break;
    case WM_CLOSE:
        if (state) {
            Log(*state, L"close");
        }
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (--openWindows == 0) {
            PostQuitMessage(0);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> classes;
    for (int i = 1; i < argc; ++i) {
        classes.emplace_back(argv[i]);
    }
    if (classes.empty()) {
        classes.assign(std::begin(kClasses), std::end(kClasses));
    }
    LocalFree(argv);

    std::vector<WindowState> states(classes.size());
    for (std::size_t i = 0; i < classes.size(); ++i) {
        states[i].className = classes[i];
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
        windowClass.lpszClassName = states[i].className.c_str();
        RegisterClassW(&windowClass);
        const int offset = 40 * int(i);
        HWND window = CreateWindowExW(0, states[i].className.c_str(), states[i].className.c_str(),
                                      WS_OVERLAPPEDWINDOW, 60 + offset, 60 + offset, 480, 320,
                                      nullptr, nullptr, instance, &states[i]);
        if (window) {
            ++openWindows;
            ShowWindow(window, SW_SHOWNORMAL);
        }
    }
    if (openWindows == 0) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
