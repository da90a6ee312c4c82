// Releases of the product as four numbers, and the updater's own: the release it names in
// the update check, which an installer must exceed before a signed updater starts it.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace hx::update {

// Major, minor, build and revision, compared in that order (a version resource's numbers).
struct ReleaseVersion {
    std::array<std::uint16_t, 4> parts{};
    auto operator<=>(const ReleaseVersion&) const = default;
};

inline constexpr ReleaseVersion kUpdaterRelease{{2, 10, 12, 2020}};

// The four numbers in decimal, joined by dots: "2.10.12.2020".
std::u16string ReleaseText(const ReleaseVersion& release);

// An installer that names no release (no version resource) is never newer: a signed
// updater would otherwise take last year's installer for an update.
bool IsNewerRelease(const std::optional<ReleaseVersion>& installer,
                    const ReleaseVersion& own = kUpdaterRelease);

} // namespace hx::update
