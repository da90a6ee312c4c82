#include "support/win/CustomRegistry.h"

#include "base/win/Handles.h"
#include "base/win/WideText.h"

#include <cstring>
#include <vector>

namespace hx {

REGSAM RegistryReadAccess(bool view64) {
    if (view64) {
        return KEY_READ | KEY_WOW64_64KEY;
    }
#ifdef _WIN64
    return KEY_READ | KEY_WOW64_32KEY; // the 32-bit program's view, as the shipped build sees it
#else
    return KEY_READ;
#endif
}

std::u16string ReadRegistryString(HKEY root, std::u16string_view keyPath,
                                  std::u16string_view valueName, std::u16string_view fallback,
                                  bool view64) {
    const std::u16string deflt(fallback);
    std::u16string path(keyPath);
    while (!path.empty() && path.front() == u'\\') {
        path.erase(0, 1);
    }
    while (!path.empty() && path.back() == u'\\') {
        path.pop_back();
    }
    win::UniqueKey key;
    if (RegOpenKeyExW(root, win::W(path), 0, RegistryReadAccess(view64), key.put()) !=
        ERROR_SUCCESS) {
        return deflt;
    }
    const std::u16string name(valueName);
    std::vector<BYTE> data;
    DWORD type = 0;
    for (int attempt = 0; attempt < 4; ++attempt) { // the value may grow between calls
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), win::W(name), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return deflt;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            return deflt;
        }
        data.assign(size + sizeof(wchar_t), 0);
        DWORD got = size;
        const LONG rc =
            RegQueryValueExW(key.get(), win::W(name), nullptr, &type, data.data(), &got);
        if (rc == ERROR_MORE_DATA) {
            continue;
        }
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return deflt;
        }
        std::u16string text(got / sizeof(char16_t), u'\0');
        std::memcpy(text.data(), data.data(), text.size() * sizeof(char16_t));
        if (auto nul = text.find(u'\0'); nul != std::u16string::npos) {
            text.resize(nul);
        }
        return text.empty() ? deflt : text;
    }
    return deflt;
}

} // namespace hx
