#include "base/DebugOutput.h"

#include <windows.h>

namespace hx {

void DebugOutput(std::string_view line) noexcept {
    // A line longer than this is cut: it is for reading, not for keeping.
    wchar_t text[1024];
    const int length = int(line.size() < 1000 ? line.size() : 1000);
    const int wide = MultiByteToWideChar(CP_UTF8, 0, line.data(), length, text,
                                         int(sizeof text / sizeof text[0]) - 2);
    text[wide] = L'\n';
    text[wide + 1] = L'\0';
    OutputDebugStringW(text);
}

} // namespace hx
