// The program's UTF-16 text at the Win32 edge: wchar_t is UTF-16 there, so no conversion.
#pragma once

#include <cstddef>
#include <cwchar>
#include <string>
#include <string_view>

namespace hx::win {

inline const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::u16string U(const wchar_t* s, std::size_t n) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}
// A NUL-terminated text, of at most `max` characters when it is a fixed-size field.
inline std::u16string U(const wchar_t* s) {
    return U(s, std::wcslen(s));
}

} // namespace hx::win
