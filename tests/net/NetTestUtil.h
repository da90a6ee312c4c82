// Small helpers shared by the HTTP client's tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/HttpClient.h"
#include "tests/TestText.h"

namespace hx::test {

inline std::span<const uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// The settings the update window gives its download client, with the updater's user agent:
// the client's own tests stand below the updater and cannot take them from it.
inline void UseDownloadSettings(net::THttpClient& client) {
    client.Request.UserAgent = u"Mozilla/4.0 (compatible; KORVEX)";
    client.Request.Accept = u"text/html, */*";
    client.HandleRedirects = true;
}

} // namespace hx::test
