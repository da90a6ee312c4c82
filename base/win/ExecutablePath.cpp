#include "base/ExecutablePath.h"

#include "base/win/WideText.h"

#include <windows.h>

namespace hx {

std::u16string ExecutablePath() {
    // The longest path Windows can hand out (the \\?\ form) is 32,767 characters; a name
    // that fills the buffer exactly has been cut short, so the buffer grows until it fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (got == 0) {
            return {};
        }
        if (got < size) {
            return win::U(buffer.data(), got);
        }
    }
    return {};
}

} // namespace hx
