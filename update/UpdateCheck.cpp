#include "update/UpdateCheck.h"

#include "net/HttpClient.h"
#include "update/UpdateServer.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace hx::update {

namespace {

struct Marker {
    std::u16string_view text;
    UpdateVerdict verdict;
};

constexpr std::array<Marker, 3> kMarkers{{
    {u"KORVEX|0", UpdateVerdict::NoUpdate},
    {u"KORVEX|1", UpdateVerdict::UpdateAvailable},
    {u"KORVEX|2", UpdateVerdict::ManualUpdate},
}};

} // namespace

UpdateVerdict VerdictFromAnswer(std::u16string_view answer) {
    for (const Marker& marker : kMarkers) {
        if (answer.find(marker.text) != std::u16string_view::npos) {
            return marker.verdict;
        }
    }
    return UpdateVerdict::CheckFailed;
}

UpdateVerdict CheckForUpdate(std::u16string_view url, const KeepWaiting& keepWaiting,
                             int timeoutMs) {
    // A client with the run-time settings, made for this one request and released after it.
    net::THttpClient client;
    client.Request.UserAgent = std::u16string(kUserAgent);
    client.TotalTimeoutMs = timeoutMs;
    if (keepWaiting) {
        client.OnWaitMessages = [&keepWaiting](net::THttpClient& sender) {
            if (!keepWaiting()) {
                sender.Disconnect();
            }
        };
    }
    const std::optional<std::u16string> answer = client.Get(url);
    return VerdictFromAnswer(answer ? *answer : std::u16string());
}

UpdateVerdict CheckForUpdate(const KeepWaiting& keepWaiting) {
    return CheckForUpdate(UpdateAnswerUrl(), keepWaiting);
}

} // namespace hx::update
