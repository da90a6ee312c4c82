// Starts of other programs and documents through the Windows shell.
#pragma once

#include <string_view>

namespace hx {

// Opens `file` with the "open" verb and the given parameters, shown normally, with no
// owner window and no working directory. The outcome is not looked at and nothing is
// waited for.
void OpenWithParameters(std::u16string_view file, std::u16string_view parameters);

} // namespace hx
