#include "update/Help.h"

#include "base/ExecutablePath.h"

namespace hx::update {

std::u16string HelpTopicPath(std::u16string_view folder, std::u16string_view helpFileName,
                             std::u16string_view topic) {
    std::u16string path(folder);
    path += helpFileName;
    path += u"::";
    path += topic;
    path += u">";
    path += kHelpWindowType;
    return path;
}

void ShowHelpTopic(std::u16string_view helpFileName, std::u16string_view topic) {
    ShowHelpTopicIn(ExecutableFolder(), helpFileName, topic);
}

bool LazyLibrary::Ready(const std::function<LoadOutcome()>& load) {
    if (state_ == State::NotLoaded) {
        switch (load()) {
        case LoadOutcome::Loaded:
            state_ = State::Loaded;
            break;
        case LoadOutcome::MissingEntry:
            state_ = State::GivenUp;
            break;
        case LoadOutcome::Failed:
            break;
        }
    }
    return state_ == State::Loaded;
}

} // namespace hx::update
