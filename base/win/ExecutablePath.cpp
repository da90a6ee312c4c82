#include "base/ExecutablePath.h"

#include "base/win/WideText.h"

#include <windows.h>

#include <algorithm>

namespace hx {

std::u16string ExecutablePath() {
    // The longest path Windows can hand out (the \\?\ form) is 32,767 characters; a name
    // that fills the buffer exactly has been cut short, so the buffer grows until it fits,
    // up to room for the longest name and its terminator.
    constexpr DWORD kLongest = 32768;
    for (DWORD size = MAX_PATH;; size = std::min(size * 2, kLongest)) {
        std::wstring buffer(size, L'\0');
        const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (got == 0) {
            return {};
        }
        if (got < size) {
            return win::U(buffer.data(), got);
        }
        if (size == kLongest) {
            return {};
        }
    }
}

} // namespace hx
