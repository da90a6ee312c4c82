// Starts of other programs, documents and links through the Windows shell (support/win/;
// nothing happens without a window system).
#pragma once

#include <string_view>

namespace hx {

// Opens `file` with the "open" verb and the given parameters, shown normally, with no
// owner window and no working directory. The outcome is not looked at and nothing is
// waited for.
void OpenWithParameters(std::u16string_view file, std::u16string_view parameters);

// Opens a URL or document with the shell's "open" verb, shown, owned by `ownerWindow` (a
// window handle, or null); the outcome is not looked at.
void OpenLink(std::u16string_view target, void* ownerWindow = nullptr);

} // namespace hx
