// One line of UTF-8 text for a developer's eyes: the debugger's output on Windows, standard
// error elsewhere (base/win/, base/posix/). Never fails, and allocates nothing.
#pragma once

#include <string_view>

namespace hx {

void DebugOutput(std::string_view line) noexcept;

} // namespace hx
