// Stands in for the browser while the end-to-end tests register it as the shell's handler
// of http links: appends "open <arguments>" to the file named by HX_LINK_LOG and exits.

#include "tests/standins/StandinLog.h"

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    hx::standin::AppendLine(L"HX_LINK_LOG", L"open " + std::wstring(arguments ? arguments : L""));
    return 0;
}
