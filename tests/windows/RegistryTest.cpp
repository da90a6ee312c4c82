// The registry reader against the real (Wine) registry.
#include "support/win/CustomRegistry.h"

#include "RegistryFixture.h"

namespace hx {
namespace {

using test::ProductKey;

std::u16string ReadLanguage(bool view64 = false) {
    return ReadRegistryString(HKEY_LOCAL_MACHINE, u"\\Software\\KORVEX\\Hexaplane\\", u"Language",
                              u"english", view64);
}

using RegistryRead = ProductKey;

TEST_F(RegistryRead, StringValuesAreReturnedAsStored) {
    WriteText(L"ENGLISH");
    EXPECT_EQ(ReadLanguage(), u"ENGLISH");
    WriteText(L"english ");
    EXPECT_EQ(ReadLanguage(), u"english ");
    WriteText(L"%SystemRoot%\\x", REG_EXPAND_SZ);
    EXPECT_EQ(ReadLanguage(), u"%SystemRoot%\\x") << "returned unexpanded";
    // The text ends at its first NUL, and a value stored without one is read whole.
    Write(REG_SZ, L"eng\0lish", 9 * sizeof(wchar_t));
    EXPECT_EQ(ReadLanguage(), u"eng");
    Write(REG_SZ, L"abc", 3 * sizeof(wchar_t));
    EXPECT_EQ(ReadLanguage(), u"abc");
}

TEST_F(RegistryRead, EverythingElseGivesTheDefault) {
    EXPECT_EQ(ReadLanguage(), u"english") << "key missing";
    WriteText(std::wstring()); // not L"": GCC 12 warns wrongly on a wstring made from it
    EXPECT_EQ(ReadLanguage(), u"english") << "empty";
    const DWORD number = 7;
    Write(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(ReadLanguage(), u"english") << "a number";
    Write(REG_BINARY, "french", 6);
    EXPECT_EQ(ReadLanguage(), u"english") << "binary";
    WriteText(L"german");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, u"\\Software\\KORVEX\\Hexaplane\\", u"Missing",
                                 u"dflt", false),
              u"dflt")
        << "value missing";
}

TEST_F(RegistryRead, ReadsTheThirtyTwoBitViewUnlessAskedForThe64BitOne) {
    WriteText(L"thirtytwo", REG_SZ, KEY_WOW64_32KEY);
    WriteText(L"sixtyfour", REG_SZ, KEY_WOW64_64KEY);
    EXPECT_EQ(ReadLanguage(false), u"thirtytwo");
    EXPECT_EQ(ReadLanguage(true), u"sixtyfour");
    Delete(KEY_WOW64_64KEY);
#ifdef _WIN64
    EXPECT_EQ(RegistryReadAccess(false), REGSAM(KEY_READ | KEY_WOW64_32KEY));
#else
    EXPECT_EQ(RegistryReadAccess(false), REGSAM(KEY_READ));
#endif
    EXPECT_EQ(RegistryReadAccess(true), REGSAM(0x20119));
}

TEST_F(RegistryRead, NeverCreatesTheKey) {
    EXPECT_EQ(ReadLanguage(), u"english");
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, test::kProductKeyPath, 0,
                            KEY_READ | KEY_WOW64_32KEY, &key),
              ERROR_SUCCESS);
}

} // namespace
} // namespace hx
