// The running executable's own path (base/win/, base/posix/).
#pragma once

#include <string>

namespace hx {

// The full path of the running executable, of any length; empty on failure.
std::u16string ExecutablePath();

// Its folder with the trailing separator; empty on failure.
std::u16string ExecutableFolder();

} // namespace hx
