#include "update/Release.h"

namespace hx::update {

std::u16string ReleaseText(const ReleaseVersion& release) {
    std::u16string text;
    for (const std::uint16_t part : release.parts) {
        if (!text.empty()) {
            text += u'.';
        }
        for (const char digit : std::to_string(part)) {
            text += char16_t(digit);
        }
    }
    return text;
}

bool IsNewerRelease(const std::optional<ReleaseVersion>& installer, const ReleaseVersion& own) {
    return installer && *installer > own;
}

} // namespace hx::update
