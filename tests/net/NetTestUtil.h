// Small helpers shared by the HTTP client's tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

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

// Wine hands a connection reset to the program as an orderly close, so tests of the
// difference can only run where the system tells them apart.
inline bool ResetsLookLikeCloses() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

} // namespace hx::test
