#include "ui/Application.h"

#include "base/Guard.h"
#include "ui/Controls.h"

#include <algorithm>

namespace hx::ui {

ApplicationEvents::ApplicationEvents(std::u16string name, Component* owner)
    : Component(std::move(name), Kind::ApplicationEvents, owner) {
    Application::Instance().Register(this);
}

ApplicationEvents::~ApplicationEvents() {
    Application::Instance().Unregister(this);
}

Application& Application::Instance() {
    static Application app;
    return app;
}

void Application::Initialize() {
    terminated_ = false;
    PlatformInitialize();
}

void Application::Adopt(std::unique_ptr<Form> form) {
    Form& f = *form;
    forms_.push_back(std::move(form));
    // The form exists whatever goes wrong from here: it is shown in any case.
    Guarded([&] { PlatformRealise(f); });
    if (f.OnCreate) {
        Guarded([&] { f.OnCreate(f); });
    }
}

void Application::Run() {
    if (!terminated_) {
        PlatformRun();
    }
}

void Application::ProcessMessages() {
    PlatformProcessMessages();
}

void Application::Terminate() {
    terminated_ = true;
    PlatformTerminate();
}

int Application::MessageBox(const Form* owner, std::u16string_view text,
                            std::u16string_view caption, uint32_t flags) {
    if (messageBoxHook_) {
        return messageBoxHook_(owner, text, caption, flags);
    }
    return PlatformMessageBox(owner, text, caption, flags);
}

void Application::DestroyForms() {
    // Last created first, so the main form's windows outlive the others'.
    while (!forms_.empty()) {
        forms_.pop_back();
    }
}

bool Application::ShortCut(const KeyMessage& msg) {
    bool handled = false;
    // A copy: a handler may create or release events components.
    const std::vector<ApplicationEvents*> listeners = events_;
    for (ApplicationEvents* e : listeners) {
        if (std::find(events_.begin(), events_.end(), e) == events_.end()) {
            continue;
        }
        if (e->OnShortCut) {
            Guarded([&] { e->OnShortCut(msg, handled); });
        }
        if (handled) {
            break;
        }
    }
    return handled;
}

void Application::Register(ApplicationEvents* events) {
    events_.push_back(events);
}

void Application::Unregister(ApplicationEvents* events) {
    events_.erase(std::remove(events_.begin(), events_.end(), events), events_.end());
}

} // namespace hx::ui
