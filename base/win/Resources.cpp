#include "base/win/Resources.h"

#include "base/win/WideText.h"

#include <windows.h>

#include <string>

namespace hx::win {

std::span<const std::uint8_t> ResourceBytes(std::u16string_view name) {
    const std::u16string n(name);
    HRSRC info = FindResourceW(nullptr, W(n), RT_RCDATA);
    if (!info) {
        return {};
    }
    // A loaded resource stays mapped with the executable: nothing to release.
    HGLOBAL loaded = LoadResource(nullptr, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(data), SizeofResource(nullptr, info)};
}

} // namespace hx::win
