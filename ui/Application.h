// The application object: owns the forms, runs the message loop, processes pending
// messages inside long operations, terminates, shows message boxes, and hands every
// key-down to the application-events components before the focused control sees it.
// The portable part lives in ui/Application.cpp; the platform part in ui/win/ (and a
// window-less stand-in in ui/posix/, so the model can be exercised natively).
#pragma once

#include "ui/Component.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace hx::ui {

class Form;

// A key message as the short-cut hook sees it.
struct KeyMessage {
    uint32_t message = 0;  // WM_KEYDOWN or WM_SYSKEYDOWN
    uint32_t charCode = 0; // the virtual-key code
    int64_t keyData = 0;   // repeat count, scan code and flags
};

// A non-visual component that receives application-wide events while it exists.
class ApplicationEvents : public Component {
public:
    ApplicationEvents(std::u16string name, Component* owner);
    ~ApplicationEvents() override;

    // Every key-down of the application, before it is dispatched. Setting `handled`
    // keeps the message from the window it was meant for.
    std::function<void(const KeyMessage& msg, bool& handled)> OnShortCut;
};

// Message-box flags and answers, as the platform numbers them.
namespace mb {
inline constexpr uint32_t Ok = 0x0, YesNo = 0x4;
inline constexpr uint32_t IconError = 0x10, IconWarning = 0x30, IconInformation = 0x40;
inline constexpr uint32_t DefButton2 = 0x100;
inline constexpr int IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7;
} // namespace mb

class Application {
public:
    static Application& Instance();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Prepares the platform (common controls, DPI awareness, default font) and clears a
    // termination left from an earlier run. Safe to call again.
    void Initialize();

    // Realises the form: windows created hidden, scaled to the DPI of the monitor it is
    // created on, then its OnCreate runs. The first form becomes the main form, which
    // is shown on the taskbar. The application owns the form.
    template <class T, class... Args> T& CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *form;
        Adopt(std::move(form));
        return ref;
    }
    Form* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }

    // Shows the main form (centred on its screen the first time) and processes messages
    // until the application is terminated.
    void Run();
    // Processes the messages waiting now, then returns.
    void ProcessMessages();
    // Asks the message loop to end: a quit request is posted, and Terminated() is true
    // from now on.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // A message box owned by `owner` (none when null). Returns the button pressed, or 0
    // when no box could be shown.
#pragma push_macro("MessageBox")
#undef MessageBox
    int MessageBox(const Form* owner, std::u16string_view text, std::u16string_view caption,
                   uint32_t flags);
    // Where windows.h's MessageBox macro is in force, a call reads MessageBoxW.
    int MessageBoxW(const Form* owner, std::u16string_view text, std::u16string_view caption,
                    uint32_t flags) {
        return MessageBox(owner, text, caption, flags);
    }
#pragma pop_macro("MessageBox")
    // Tests answer message boxes through this instead of the platform's box.
    using MessageBoxHook = std::function<int(const Form* owner, std::u16string_view text,
                                             std::u16string_view caption, uint32_t flags)>;
    void SetMessageBoxHook(MessageBoxHook hook) { messageBoxHook_ = std::move(hook); }

    // Releases every form (their windows go with them); the next form created becomes
    // the main form.
    void DestroyForms();

    // The short-cut hook: true when an events component handled the key.
    bool ShortCut(const KeyMessage& msg);
    void Register(ApplicationEvents* events);
    void Unregister(ApplicationEvents* events);

private:
    Application() = default;
    void Adopt(std::unique_ptr<Form> form);

    // Platform part.
    void PlatformInitialize();
    void PlatformRealise(Form& form);
    void PlatformRun();
    void PlatformProcessMessages();
    void PlatformTerminate();
    int PlatformMessageBox(const Form* owner, std::u16string_view text, std::u16string_view caption,
                           uint32_t flags);

    std::vector<std::unique_ptr<Form>> forms_;
    std::vector<ApplicationEvents*> events_;
    MessageBoxHook messageBoxHook_;
    bool terminated_ = false;
};

} // namespace hx::ui
