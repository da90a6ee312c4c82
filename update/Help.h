// Help: a page of a compiled help file beside the executable, shown in the help file's
// own window type through HTML Help, which is loaded on first use.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace hx::update {

inline constexpr std::u16string_view kHelpFileName = u"Hexaplane.chm";
inline constexpr std::u16string_view kUpdateHelpTopic = u"/html/update.htm";
// The window type defined inside the help file.
inline constexpr std::u16string_view kHelpWindowType = u"HelpWindow";

// folder + help file + "::" + topic + ">" + window type.
std::u16string HelpTopicPath(std::u16string_view folder, std::u16string_view helpFileName,
                             std::u16string_view topic);

// A library reached at run time: loaded on first use, tried again while loading fails,
// given up for good when it loads without the entries needed.
class LazyLibrary {
public:
    enum class LoadOutcome { Failed, MissingEntry, Loaded };
    // True when the library is usable; calls `load` only while no load has settled.
    bool Ready(const std::function<LoadOutcome()>& load);

private:
    enum class State { NotLoaded, Loaded, GivenUp };
    State state_ = State::NotLoaded;
};

// Opens `topic` of `helpFileName` in the executable's folder. Never fails visibly: a
// missing library, file or page shows nothing.
void ShowHelpTopic(std::u16string_view helpFileName, std::u16string_view topic);
// The same for a help file in `folder` (with its trailing separator): update/win/, and
// nothing without a window system.
void ShowHelpTopicIn(std::u16string_view folder, std::u16string_view helpFileName,
                     std::u16string_view topic);

} // namespace hx::update
