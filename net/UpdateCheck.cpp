#include "net/UpdateCheck.h"

#include "net/HttpClient.h"
#include "net/UpdateServer.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace hx::net {

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

// One GET on a client that lives for this request only; empty text on any failure.
std::u16string FetchAnswer(std::u16string_view url) {
    auto client = std::make_unique<THttpClient>(ClientProfile::Check);
    client->Request.UserAgent = std::u16string(kUserAgent);
    std::optional<std::u16string> body = client->Get(url);
    return body ? std::move(*body) : std::u16string();
}

} // namespace

UpdateVerdict VerdictFromAnswer(std::u16string_view answer) {
    for (const Marker& marker : kMarkers) {
        if (answer.find(marker.text) != std::u16string_view::npos) {
            return marker.verdict;
        }
    }
    return UpdateVerdict::CheckFailed;
}

UpdateVerdict CheckForUpdate(std::u16string_view url) {
    try {
        return VerdictFromAnswer(FetchAnswer(url));
    } catch (...) {
        return UpdateVerdict::CheckFailed;
    }
}

UpdateVerdict CheckForUpdate() {
    try {
        return CheckForUpdate(UpdateAnswerUrl());
    } catch (...) {
        return UpdateVerdict::CheckFailed;
    }
}

} // namespace hx::net
