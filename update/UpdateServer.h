// The maker's web host and the three resources the updater uses on it.
// The host is compiled in (CMake cache variable HEXAPLANE_UPDATE_HOST).
#pragma once

#include <string>
#include <string_view>

namespace hx::update {

std::u16string_view UpdateHost();

// Followed by the updater's own release (kUpdaterRelease).
inline constexpr std::u16string_view kUpdateAnswerPath =
    u"/downloads/update/?product=hexaplane&version=";
inline constexpr std::u16string_view kInstallerPath = u"/downloads/hexaplane.exe";
inline constexpr std::u16string_view kDownloadPagePath = u"/downloads/";
// Sent with both requests.
inline constexpr std::u16string_view kUserAgent = u"Mozilla/4.0 (compatible; KORVEX)";

std::u16string UpdateAnswerUrl();
std::u16string InstallerUrl();
std::u16string DownloadPageUrl();

} // namespace hx::update
