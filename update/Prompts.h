// The program's message boxes: one table of prompts (the language keys of their text
// pieces, icon and buttons, default button), the one way their text is composed, and the
// boxes of a window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace hx::ui {
class Form;
}

namespace hx::update {

enum class Prompt {
    NoConnection,         // the check failed
    NoUpdate,             // the installed release is current
    UpdateAvailable,      // download and install? Yes / No
    ManualUpdate,         // open the download page? Yes / No
    Restart,              // restart Windows now? Yes / No, No by default
    AdministratorRefusal, // start-up refuses a user outside Administrators
};

struct PromptDefinition {
    Prompt prompt;
    std::array<std::u16string_view, 3> keys; // text pieces in order; unused ones empty
    std::uint32_t flags;                     // icon and buttons (ui::mb)
    int defaultButton;                       // 1 or 2
};

// The message-box flags of a prompt: icon, buttons and default button.
std::uint32_t PromptFlags(Prompt prompt);

// Message texts are pieces joined by an empty line.
std::u16string JoinMessageTexts(std::span<const std::u16string> pieces);

// The prompt's text: `caption(key)` for each of its keys, joined.
using KeyCaption = std::function<std::u16string(std::u16string_view key)>;
std::u16string PromptText(Prompt prompt, const KeyCaption& caption);

// Where prompts are shown: the texts of a window and the boxes it owns.
class PromptHost {
public:
    virtual ~PromptHost() = default;
    // The window's text for a key of the language resource.
    virtual std::u16string Caption(std::u16string_view key) = 0;
    // A message box owned by the window, with its title as caption; returns the answer
    // (0 when no box could be shown).
    virtual int ShowMessage(std::u16string_view text, unsigned flags) = 0;
};

// Composes the prompt from the host's texts and shows it; returns the answer.
int ShowPrompt(PromptHost& host, Prompt prompt);

// What a window does for PromptHost: GetCaption under the window's name, and a box owned
// by the window with the window's title as its caption.
std::u16string WindowCaption(const ui::Form& window, std::u16string_view key);
int ShowWindowMessage(const ui::Form& window, std::u16string_view text, unsigned flags);

} // namespace hx::update
