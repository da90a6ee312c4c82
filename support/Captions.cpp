#include "support/Captions.h"

#include "base/AsciiCase.h"
#include "support/LanguageText.h"

namespace hx {

using ui::Component;
using ui::Kind;

std::u16string GetCaption(std::u16string_view windowName, std::u16string_view key) {
    return GetCaptionIn(ReadLanguageText(), windowName, key);
}

void ApplyCaptions(Component& window) {
    ApplyCaptionsFrom(ReadLanguageText(), window);
}

// A line of blanks only has no fields and ends the scan: rows after it are not read.
// So does a row of the window that lacks the field the lookup needs.
std::u16string GetCaptionIn(std::u16string_view text, std::u16string_view windowName,
                            std::u16string_view key) {
    std::u16string result;
    for (std::u16string_view line : SplitLines(text)) {
        if (line.empty()) {
            continue;
        }
        const auto fields = SplitFields(line);
        if (fields.empty()) {
            break;
        }
        if (!EqualsNoCase(fields[0], windowName)) {
            continue;
        }
        if (fields.size() < 2) {
            break;
        }
        if (!EqualsNoCase(fields[1], key)) {
            continue;
        }
        if (fields.size() < 3) {
            break;
        }
        result = fields[2];
    }
    return result;
}

namespace {

enum class Target { None, Caption, Text };

// The first of the five captioned kinds that the component is, in this order.
Target CaptionTarget(const Component& c) {
    for (Kind k : {Kind::Label, Kind::Panel, Kind::Button, Kind::MenuItem}) {
        if (c.IsKindOf(k)) {
            return Target::Caption;
        }
    }
    return c.IsKindOf(Kind::Edit) ? Target::Text : Target::None;
}

} // namespace

void ApplyCaptionsFrom(std::u16string_view text, Component& window) {
    for (std::u16string_view line : SplitLines(text)) {
        if (line.empty()) {
            continue;
        }
        auto fields = SplitFields(line);
        if (fields.empty()) {
            break;
        }
        if (!EqualsNoCase(fields[0], window.name())) {
            continue;
        }
        if (fields.size() < 2) {
            break;
        }
        // Only the exact name sets the title; a key equal to it in other letter case
        // falls through to the component lookup like any other key.
        if (fields[1] == window.name()) {
            if (fields.size() < 3) {
                break;
            }
            window.SetCaption(std::move(fields[2]));
            continue;
        }
        Component* target = window.FindComponent(fields[1]);
        const Target how = target ? CaptionTarget(*target) : Target::None;
        if (how == Target::None) {
            continue;
        }
        if (fields.size() < 3) {
            break;
        }
        if (how == Target::Caption) {
            target->SetCaption(std::move(fields[2]));
        } else {
            target->SetText(std::move(fields[2]));
        }
    }
}

} // namespace hx
