#include "update/Prompts.h"

#include "support/Captions.h"
#include "ui/Application.h"
#include "ui/Controls.h"

#include <vector>

namespace hx::update {

namespace {

namespace mb = ui::mb;

constexpr std::array<PromptDefinition, 6> kPrompts{{
    {Prompt::NoConnection,
     {u"MessageBoxNoConnection1", u"MessageBoxNoConnection2"},
     mb::IconError | mb::Ok,
     1},
    {Prompt::NoUpdate,
     {u"MessageBoxNoUpdate1", u"MessageBoxNoUpdate2"},
     mb::IconInformation | mb::Ok,
     1},
    {Prompt::UpdateAvailable,
     {u"MessageBoxUpdate1", u"MessageBoxUpdate2"},
     mb::IconInformation | mb::YesNo,
     1},
    {Prompt::ManualUpdate,
     {u"MessageBoxManualUpdate1", u"MessageBoxManualUpdate2"},
     mb::IconWarning | mb::YesNo,
     1},
    {Prompt::Restart,
     {u"MessageBoxUpdateRestart1", u"MessageBoxUpdateRestart2", u"MessageBoxUpdateRestart3"},
     mb::IconWarning | mb::YesNo,
     2},
    {Prompt::AdministratorRefusal,
     {u"MessageBoxAdmin1", u"MessageBoxAdmin2"},
     mb::IconInformation | mb::Ok,
     1},
}};

const PromptDefinition& DefinitionOf(Prompt prompt) {
    for (const PromptDefinition& definition : kPrompts) {
        if (definition.prompt == prompt) {
            return definition;
        }
    }
    return kPrompts.front(); // every prompt has its row; never reached
}

} // namespace

std::uint32_t PromptFlags(Prompt prompt) {
    const PromptDefinition& definition = DefinitionOf(prompt);
    return definition.flags | (definition.defaultButton == 2 ? mb::DefButton2 : 0);
}

std::u16string JoinMessageTexts(std::span<const std::u16string> pieces) {
    std::u16string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            text += u"\r\n\r\n";
        }
        text += pieces[i];
    }
    return text;
}

std::u16string PromptText(Prompt prompt, const KeyCaption& caption) {
    std::vector<std::u16string> pieces;
    for (std::u16string_view key : DefinitionOf(prompt).keys) {
        if (!key.empty()) {
            pieces.push_back(caption(key));
        }
    }
    return JoinMessageTexts(pieces);
}

int ShowPrompt(PromptHost& host, Prompt prompt) {
    const std::u16string text =
        PromptText(prompt, [&host](std::u16string_view key) { return host.Caption(key); });
    return host.ShowMessage(text, PromptFlags(prompt));
}

std::u16string WindowCaption(const ui::Form& window, std::u16string_view key) {
    return GetCaption(window.name(), key);
}

int ShowWindowMessage(const ui::Form& window, std::u16string_view text, unsigned flags) {
    return ui::Application::Instance().MessageBox(&window, text, window.caption(), flags);
}

} // namespace hx::update
