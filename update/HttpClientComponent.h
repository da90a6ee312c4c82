// The update window's HTTP client as one of its components: named and owned like the
// controls, without a window, living as long as the window that owns it.
#pragma once

#include "net/HttpClient.h"
#include "ui/Component.h"

#include <string>

namespace hx::update {

class HttpClientComponent : public ui::Component, public net::THttpClient {
public:
    HttpClientComponent(std::u16string name, ui::Component* owner, net::ClientProfile profile)
        : ui::Component(std::move(name), ui::Kind::NonVisual, owner), net::THttpClient(profile) {}
};

} // namespace hx::update
