// Read-only access to the registry, as the product's shared module offers it.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <string_view>

namespace hx {

// The text of a string value (REG_SZ, or REG_EXPAND_SZ unexpanded), ending at its first
// NUL; the default for anything else: key or value missing, empty, another type, any
// failure. The key is opened for reading only and never created. A leading separator in
// the key path starts it at the root key. Without the 64-bit view a 64-bit build reads
// the view a 32-bit program sees, so both builds find the same value.
std::u16string ReadRegistryString(HKEY root, std::u16string_view keyPath,
                                  std::u16string_view valueName, std::u16string_view fallback,
                                  bool view64);

// The access mask used for a read; exposed for the tests.
REGSAM RegistryReadAccess(bool view64);

} // namespace hx
#endif
