// The update window's HTTP client as one of its components: named and owned like the
// controls, without a window, living as long as the window that owns it, and set up for
// the installer download.
#pragma once

#include "net/HttpClient.h"
#include "ui/Component.h"

#include <string>
#include <string_view>

namespace hx::update {

// The Accept value of the window's client.
inline constexpr std::u16string_view kDownloadAccept = u"text/html, */*";

// What the window gives its client when it is created: the short Accept value, and
// redirects followed.
inline void ApplyDownloadSettings(net::THttpClient& client) {
    client.Request.Accept = std::u16string(kDownloadAccept);
    client.HandleRedirects = true;
}

class HttpClientComponent : public ui::Component, public net::THttpClient {
public:
    HttpClientComponent(std::u16string name, ui::Component* owner)
        : ui::Component(std::move(name), ui::Kind::NonVisual, owner) {
        ApplyDownloadSettings(*this);
    }
};

} // namespace hx::update
