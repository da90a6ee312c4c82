// Stand-in for the product's installer. Appends "args <arguments>" and "folder <working
// folder>" to the file named by HX_INSTALLER_LOG, waits HX_INSTALLER_WAIT_MS milliseconds
// when set, and exits with HX_INSTALLER_EXIT (decimal or 0x hexadecimal; default 0), which
// may be a crash status such as 0xC0000005.

#include "tests/standins/StandinLog.h"

#include <cwchar>
#include <string>

namespace {

// The command line after the program's own name, as the starter passed it.
std::wstring Arguments() {
    const wchar_t* at = GetCommandLineW();
    if (*at == L'"') {
        ++at;
        while (*at && *at != L'"') {
            ++at;
        }
        if (*at) {
            ++at;
        }
    } else {
        while (*at && *at != L' ' && *at != L'\t') {
            ++at;
        }
    }
    while (*at == L' ' || *at == L'\t') {
        ++at;
    }
    return at;
}

unsigned long Number(const wchar_t* variable) {
    const std::wstring text = hx::standin::Environment(variable);
    return text.empty() ? 0 : std::wcstoul(text.c_str(), nullptr, 0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t folder[4096] = L"";
    const DWORD n = GetCurrentDirectoryW(4096, folder);
    hx::standin::AppendLine(L"HX_INSTALLER_LOG", L"args " + Arguments());
    hx::standin::AppendLine(L"HX_INSTALLER_LOG",
                            L"folder " + std::wstring(folder, n < 4096 ? n : 0));
    if (const unsigned long wait = Number(L"HX_INSTALLER_WAIT_MS")) {
        Sleep(wait);
    }
    ExitProcess(static_cast<UINT>(Number(L"HX_INSTALLER_EXIT")));
}
