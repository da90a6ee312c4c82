// Choosing the language by the registry value and reading its resource from the running
// program.
#include "support/Captions.h"

#include "RegistryFixture.h"

namespace hx {
namespace {

using LanguageResource = test::ProductKey;

TEST_F(LanguageResource, EnglishInAnyLetterCaseFindsTheShippedRows) {
    EXPECT_EQ(GetCaption(u"HXUpdateForm", u"HXUpdateForm"), u"Update Hexaplane") << "no value";
    for (const wchar_t* value : {L"english", L"ENGLISH", L"English"}) {
        WriteText(value);
        EXPECT_EQ(GetCaption(u"HXUpdateForm", u"UpdateButton"), u"&Update");
        EXPECT_EQ(GetCaption(u"HXUpdateForm", u"MessageBoxAdmin2"),
                  u"Please login to the computer as an Administrator.");
    }
    const DWORD number = 1033;
    Write(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(GetCaption(u"HXUpdateForm", u"CloseButton"), u"&Close");
}

TEST_F(LanguageResource, AShippedLanguageGivesItsOwnTextsAnyOtherEnglish) {
    for (const wchar_t* value : {L"german", L"GERMAN"}) {
        WriteText(value);
        EXPECT_EQ(GetCaption(u"HXUpdateForm", u"CloseButton"), u"&Schlie\u00dfen");
    }
    // No resource of that name: the English texts rather than none at all.
    for (const wchar_t* value : {L"klingon", L"english ", L"#10"}) {
        WriteText(value);
        EXPECT_EQ(GetCaption(u"HXUpdateForm", u"HXUpdateForm"), u"Update Hexaplane");
        ui::Component form{u"HXUpdateForm", ui::Kind::Form, nullptr};
        auto& button = form.Add(u"UpdateButton", ui::Kind::Button, &form, &form);
        ApplyCaptions(form);
        EXPECT_EQ(form.caption(), u"Update Hexaplane");
        EXPECT_EQ(button.caption(), u"&Update");
    }
}

TEST_F(LanguageResource, EachCallReadsTheValueAfresh) {
    WriteText(L"german");
    EXPECT_EQ(GetCaption(u"HXUpdateForm", u"UpdateLabel3"), u"Update installieren");
    WriteText(L"English");
    EXPECT_EQ(GetCaption(u"HXUpdateForm", u"HXUpdateForm"), u"Update Hexaplane");
    ui::Component form{u"HXUpdateForm", ui::Kind::Form, nullptr};
    auto& label = form.Add(u"UpdateLabel3", ui::Kind::Label, &form, &form);
    ApplyCaptions(form);
    EXPECT_EQ(form.caption(), u"Update Hexaplane");
    EXPECT_EQ(label.caption(), u"Install update");
}

} // namespace
} // namespace hx
