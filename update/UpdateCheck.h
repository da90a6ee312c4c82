// The update question: one GET of the update answer on a client made for it, and the
// verdict read from the answer's markers.
#pragma once

#include <cstdint>
#include <functional>
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

// The whole check ends this soon, whatever the server does.
inline constexpr int kCheckTimeoutMs = 60000;

// While the check waits for the network and the thread has window messages, this runs: it
// processes them and says whether to go on waiting (false gives the check up).
using KeepWaiting = std::function<bool()>;

// Asks the maker's web host (the compiled-in update answer URL). A network failure, a
// failure status, a redirect, an answer without a marker or a check given up is
// CheckFailed.
UpdateVerdict CheckForUpdate(const KeepWaiting& keepWaiting = {});
// The same against another URL (tests use a loopback server on a free port).
UpdateVerdict CheckForUpdate(std::u16string_view url, const KeepWaiting& keepWaiting = {},
                             int timeoutMs = kCheckTimeoutMs);

} // namespace hx::update
