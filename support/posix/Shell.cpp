// Without a window system there is no shell to start anything with.
#include "support/Shell.h"

namespace hx {

void OpenWithParameters(std::u16string_view, std::u16string_view) {}
void OpenLink(std::u16string_view, void*) {}

} // namespace hx
