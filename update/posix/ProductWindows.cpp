// Without a window system there are no product windows to find.
#include "update/ProductWindows.h"

namespace hx::update {

void ShowWindowOfClass(std::u16string_view, int) {}
void CloseWindowOfClass(std::u16string_view) {}

} // namespace hx::update
