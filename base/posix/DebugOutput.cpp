#include "base/DebugOutput.h"

#include <cstdio>

namespace hx {

void DebugOutput(std::string_view line) noexcept {
    std::fprintf(stderr, "%.*s\n", int(line.size()), line.data());
}

} // namespace hx
