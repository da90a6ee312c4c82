// Without a window system there is no help viewer.
#include "update/Help.h"

namespace hx::update {

void ShowHelpTopicIn(std::u16string_view, std::u16string_view, std::u16string_view) {}

} // namespace hx::update
