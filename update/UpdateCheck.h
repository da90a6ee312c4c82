// The update question: one GET of the update answer on a client made for it, and the
// verdict read from the answer's markers.
#pragma once

#include <cstdint>
#include <string_view>

namespace hx::update {

enum class UpdateVerdict : std::int32_t {
    CheckFailed = -1,
    NoUpdate = 0,
    UpdateAvailable = 1,
    ManualUpdate = 2,
};

// The markers are searched case-sensitively in this fixed order and the first one found
// anywhere decides, so an answer holding several gives the lowest-numbered one. An answer
// without a marker gives CheckFailed.
UpdateVerdict VerdictFromAnswer(std::u16string_view answer);

// Asks the maker's web host (the compiled-in update answer URL). Never fails: a network
// failure, a failure status, a redirect or an answer without a marker is CheckFailed.
UpdateVerdict CheckForUpdate();
// The same against another URL (tests use a loopback server on a free port).
UpdateVerdict CheckForUpdate(std::u16string_view url);

} // namespace hx::update
