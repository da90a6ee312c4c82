// The language files compiled into a program that has no named resources.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace hx {

struct EmbeddedLanguage {
    std::u16string_view name;
    std::span<const uint8_t> bytes;
};

// Generated at build time from app/resources/languages/*.txt.
std::span<const EmbeddedLanguage> EmbeddedLanguages();

} // namespace hx
