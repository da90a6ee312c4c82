// Windows of other processes, found by class name alone.
#pragma once

#include <windows.h>

#include <string_view>

namespace hx::win {

// The first top-level window of the class on the user's desktop (no title test), or null.
HWND FindWindowOfClass(std::u16string_view className);

} // namespace hx::win
