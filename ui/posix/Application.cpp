// Without a window system the application runs its forms as models only: nothing is
// shown, there are no messages to process, and no message box can be answered. Native
// tests drive the model through this.
#include "ui/Application.h"

#include "ui/Controls.h"

namespace hx::ui {

void Application::PlatformInitialize() {}
void Application::PlatformRealise(Form&) {}
void Application::PlatformRun() {}
void Application::PlatformProcessMessages() {}
void Application::PlatformTerminate() {}

int Application::PlatformMessageBox(const Form*, std::u16string_view, std::u16string_view,
                                    uint32_t) {
    return 0;
}

} // namespace hx::ui
