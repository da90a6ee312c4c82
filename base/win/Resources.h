// Raw-data resources of the running executable.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace hx::win {

// The bytes of the RCDATA resource `name` (found without regard to case), valid for the
// life of the process; empty when there is none.
std::span<const std::uint8_t> ResourceBytes(std::u16string_view name);

} // namespace hx::win
