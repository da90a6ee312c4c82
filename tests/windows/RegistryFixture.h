// Writes the product's Language value in the registry view a 32-bit program sees,
// and removes the key again after each test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace hx::test {

inline constexpr const wchar_t* kProductKeyPath = L"Software\\KORVEX\\Hexaplane";

inline void DeleteProductKey(REGSAM view = KEY_WOW64_32KEY) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kProductKeyPath, view, 0);
}

inline void WriteProductValue(DWORD type, const void* data, DWORD size,
                              REGSAM view = KEY_WOW64_32KEY, const wchar_t* name = L"Language") {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKeyPath, 0, nullptr, 0, KEY_WRITE | view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

inline void WriteLanguage(const std::wstring& text, DWORD type = REG_SZ,
                          REGSAM view = KEY_WOW64_32KEY) {
    WriteProductValue(type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)), view);
}

class ProductKey : public ::testing::Test {
protected:
    void SetUp() override { DeleteProductKey(); }
    void TearDown() override { DeleteProductKey(); }

    static void Delete(REGSAM view = KEY_WOW64_32KEY) { DeleteProductKey(view); }
    static void Write(DWORD type, const void* data, DWORD size, REGSAM view = KEY_WOW64_32KEY,
                      const wchar_t* name = L"Language") {
        WriteProductValue(type, data, size, view, name);
    }
    static void WriteText(const std::wstring& text, DWORD type = REG_SZ,
                          REGSAM view = KEY_WOW64_32KEY) {
        WriteLanguage(text, type, view);
    }
};

} // namespace hx::test
