// Looking up texts and captioning a window from language rows.
#include "support/Captions.h"
#include "support/LanguageText.h"

#include "base/AsciiCase.h"

#include <gtest/gtest.h>

#include "tests/TestText.h"

#include <vector>

namespace hx {
namespace {

using ui::Component;
using ui::Kind;

// A window with one component of each kind the caption rules tell apart.
struct TestWindow {
    Component form{u"HXUpdateForm", Kind::Form, nullptr};
    Component& label = form.Add(u"UpdateLabel1", Kind::Label, &form, &form);
    Component& panel = form.Add(u"UpdatePanel", Kind::Panel, &form, &form);
    Component& button = form.Add(u"UpdateButton", Kind::Button, &form, &form);
    Component& item = form.Add(u"ExitItem", Kind::MenuItem, &form, nullptr);
    Component& edit = form.Add(u"NameEdit", Kind::Edit, &form, &form);
    Component& image = form.Add(u"UpdateImage1", Kind::Image, &form, &form);
    Component& progress = form.Add(u"UpdateProgress", Kind::ProgressBar, &form, &form);
    Component& http = form.Add(u"HttpGet", Kind::NonVisual, &form, nullptr);
};

TEST(GetCaption, MatchesWindowAndKeyWithoutCaseAndLastRowWins) {
    const std::u16string_view rows = u"HXMainForm, UpdateButton, \"Main\"\r\n"
                                     u"\r\n"
                                     u"hxupdateFORM, updatebutton, \"First\"\r\n"
                                     u"HXUpdateForm, UpdateButton, \"Second\"\r\n"
                                     u"HXUpdateForm, Other, \"Other\"\r\n";
    EXPECT_EQ(GetCaptionIn(rows, u"HXUpdateForm", u"UpdateButton"), u"Second");
    EXPECT_EQ(GetCaptionIn(rows, u"HXMainForm", u"UPDATEBUTTON"), u"Main");
    EXPECT_EQ(GetCaptionIn(rows, u"HXUpdateForm", u"Missing"), u"");
    EXPECT_EQ(GetCaptionIn(u"", u"HXUpdateForm", u"UpdateButton"), u"");
    // Only A to Z fold: a name differing in another letter's case is another name.
    EXPECT_EQ(GetCaptionIn(u"W\u00C9, K, \"x\"", u"W\u00E9", u"K"), u"");
}

TEST(GetCaption, ScanEndsAtBlankLineAndAtRowsMissingTheNeededField) {
    const std::u16string_view blanks = u"W, K, \"before\"\n \nW, K, \"after\"";
    EXPECT_EQ(GetCaptionIn(blanks, u"W", u"K"), u"before");
    EXPECT_EQ(GetCaptionIn(u"W, K, \"a\"\nW\nW, K, \"b\"", u"W", u"K"), u"a");
    EXPECT_EQ(GetCaptionIn(u"W, K, \"a\"\nW, K\nW, K, \"b\"", u"W", u"K"), u"a");
    // Rows of other windows, or of other keys, may lack fields without harm.
    EXPECT_EQ(GetCaptionIn(u"X\nW, J\nW, K, \"b\"", u"W", u"K"), u"b");
    // A trailing comma gives an empty third field: an empty text that still counts.
    EXPECT_EQ(GetCaptionIn(u"W, K, \"a\"\nW, K,", u"W", u"K"), u"");
}

TEST(ApplyCaptions, TitleOnlyOnExactKeyAndComponentsByCaseInsensitiveName) {
    TestWindow w;
    ApplyCaptionsFrom(u"hxupdateform, HXUPDATEFORM, \"Not a title\"\n"
                      u"HXUpdateForm, HXUpdateForm, \"Update Hexaplane\"\n"
                      u"HXUPDATEFORM, updatebutton, \"&Update\"\n"
                      u"HXUpdateForm, UpdateLabel1, \"Find update\"\n",
                      w.form);
    EXPECT_EQ(w.form.caption(), u"Update Hexaplane");
    EXPECT_EQ(w.button.caption(), u"&Update");
    EXPECT_EQ(w.label.caption(), u"Find update");
    EXPECT_EQ(GetCaptionIn(u"W, w, \"t\"", u"W", u"W"), u"t") << "lookup folds case of the key";
}

TEST(ApplyCaptions, FiveKindsOthersIgnored) {
    TestWindow w;
    ApplyCaptionsFrom(u"HXUpdateForm, UpdateLabel1, \"label\"\n"
                      u"HXUpdateForm, UpdatePanel, \"panel\"\n"
                      u"HXUpdateForm, UpdateButton, \"button\"\n"
                      u"HXUpdateForm, ExitItem, \"E&xit\"\n"
                      u"HXUpdateForm, NameEdit, \"typed\"\n"
                      u"HXUpdateForm, UpdateImage1, \"image\"\n"
                      u"HXUpdateForm, UpdateProgress, \"progress\"\n"
                      u"HXUpdateForm, HttpGet, \"http\"\n"
                      u"HXUpdateForm, MessageBoxUpdate1, \"message\"\n",
                      w.form);
    EXPECT_EQ(w.label.caption(), u"label");
    EXPECT_EQ(w.panel.caption(), u"panel");
    EXPECT_EQ(w.button.caption(), u"button");
    EXPECT_EQ(w.item.caption(), u"E&xit");
    EXPECT_EQ(w.edit.text(), u"typed");
    EXPECT_EQ(w.edit.caption(), u"");
    for (Component* c : {&w.image, &w.progress, &w.http}) {
        EXPECT_TRUE(c->caption().empty() && c->text().empty())
            << std::string(c->name().begin(), c->name().end());
    }
    EXPECT_EQ(w.form.caption(), u"");
}

TEST(ApplyCaptions, ScanEndingCases) {
    {
        TestWindow w; // a line of blanks ends the scan
        ApplyCaptionsFrom(
            u"HXUpdateForm, UpdateButton, \"a\"\n\t\nHXUpdateForm, UpdateLabel1, \"b\"", w.form);
        EXPECT_EQ(w.button.caption(), u"a");
        EXPECT_EQ(w.label.caption(), u"");
    }
    {
        TestWindow w; // a row of the window without a key ends it
        ApplyCaptionsFrom(u"HXUpdateForm\nHXUpdateForm, UpdateButton, \"a\"", w.form);
        EXPECT_EQ(w.button.caption(), u"");
    }
    {
        TestWindow w; // no text for the title or a captioned kind ends it
        ApplyCaptionsFrom(u"HXUpdateForm, HXUpdateForm\nHXUpdateForm, UpdateButton, \"a\"", w.form);
        EXPECT_EQ(w.button.caption(), u"");
        ApplyCaptionsFrom(u"HXUpdateForm, UpdateLabel1\nHXUpdateForm, UpdateButton, \"a\"", w.form);
        EXPECT_EQ(w.button.caption(), u"");
    }
    {
        TestWindow w; // ...but no text for an unknown key or another kind is passed over
        ApplyCaptionsFrom(u"HXUpdateForm, Nothing\nHXUpdateForm, UpdateImage1\n"
                          u"HXUpdateForm, \"\"\nOther\nHXUpdateForm, UpdateButton, \"a\"",
                          w.form);
        EXPECT_EQ(w.button.caption(), u"a");
    }
    {
        TestWindow w; // later rows replace earlier ones; an empty line is skipped
        ApplyCaptionsFrom(u"HXUpdateForm, UpdateButton, \"a\"\n\nHXUpdateForm, updateBUTTON, \"b\"",
                          w.form);
        EXPECT_EQ(w.button.caption(), u"b");
    }
}

TEST(LanguageFallback, EnglishStandsInWhereTheLanguageHasNoRows) {
    std::vector<std::u16string> reads;
    const auto read = [&reads](std::u16string_view language) -> std::u16string {
        reads.emplace_back(language);
        if (language == u"english") {
            return u"W, K, \"English\"";
        }
        if (language == u"german") {
            return u"W, K, \"Deutsch\"";
        }
        if (language == u"blank") {
            return u"\r\n  \r\nW, K, \"never read\""; // the blank line ends the scan
        }
        return language == u"empty" ? u"\r\n\r\n" : u"";
    };
    EXPECT_EQ(GetCaptionIn(LanguageTextOrFallback(u"german", read), u"W", u"K"), u"Deutsch");
    EXPECT_EQ(reads, std::vector<std::u16string>{u"german"}) << "English only when needed";
    for (std::u16string_view missing : {u"klingon", u"english ", u"empty", u"blank", u""}) {
        EXPECT_EQ(GetCaptionIn(LanguageTextOrFallback(missing, read), u"W", u"K"), u"English")
            << test::Utf8(missing);
    }
    EXPECT_FALSE(HasRows(u""));
    EXPECT_TRUE(HasRows(u"\r\nA"));
}

TEST(LanguageName, OnlyAsciiLettersAreLowered) {
    EXPECT_EQ(LanguageName(u"ENGLISH"), u"english");
    EXPECT_EQ(LanguageName(u"English "), u"english ");
    EXPECT_EQ(LanguageName(u"\u00C9SPA\u00D1OL"), u"\u00C9spa\u00D1ol");
}

// The language resource compiled into this program: the update window's rows.
TEST(ShippedLanguage, HoldsTheUpdateWindowRowsLast) {
    const std::u16string text = ReadLanguageText();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(GetCaptionIn(text, u"HXUpdateForm", u"HXUpdateForm"), u"Update Hexaplane");
    EXPECT_EQ(GetCaptionIn(text, u"HXUpdateForm", u"MessageBoxAdmin2"),
              u"Please login to the computer as an Administrator.");
    EXPECT_EQ(GetCaptionIn(text, u"HXUpdateForm", u"MessageBoxUpdateRestart3"),
              u"Click Yes to restart the computer now, or click No to restart later.");
    EXPECT_EQ(GetCaption(u"hxupdateform", u"CLOSEBUTTON"), u"&Close");
    EXPECT_EQ(GetCaption(u"HXAboutForm", u"HXAboutForm"), u"About Hexaplane");
    const auto lines = SplitLines(text);
    ASSERT_GT(lines.size(), 100u);
    EXPECT_TRUE(lines.back().starts_with(u"HXUpdateForm, MessageBoxUpdateRestart3, "));
    for (auto line : lines) {
        for (char16_t c : line) {
            ASSERT_LT(c, 0x80) << "the shipped rows are ASCII";
        }
    }
}

// The translations: every row the English resource has for the update window, UTF-8 with
// its mark, and three different access keys on letters the button texts contain.
TEST(ShippedLanguages, EachHoldsTheUpdateWindowsRowsWithDistinctAccessKeys) {
    const std::u16string english = ReadLanguageResource(u"english");
    std::vector<std::u16string> keys;
    for (std::u16string_view line : SplitLines(english)) {
        const auto fields = SplitFields(line);
        if (fields.size() >= 2 && fields[0] == u"HXUpdateForm") {
            keys.push_back(fields[1]);
        }
    }
    ASSERT_EQ(keys.size(), 23u);
    for (std::u16string_view language : {u"german", u"french", u"spanish", u"italian", u"dutch",
                                         u"portuguese", u"polish", u"russian"}) {
        SCOPED_TRACE(test::Utf8(language));
        const std::u16string text = ReadLanguageResource(language);
        ASSERT_TRUE(HasRows(text));
        for (const std::u16string& key : keys) {
            EXPECT_FALSE(GetCaptionIn(text, u"HXUpdateForm", key).empty()) << test::Utf8(key);
        }
        std::u16string accessKeys;
        for (std::u16string_view button : {u"UpdateButton", u"CloseButton", u"HelpButton"}) {
            const std::u16string caption = GetCaptionIn(text, u"HXUpdateForm", button);
            const std::size_t amp = caption.find(u'&');
            ASSERT_NE(amp, std::u16string::npos) << test::Utf8(caption);
            ASSERT_LT(amp + 1, caption.size());
            const char16_t key = caption[amp + 1];
            EXPECT_EQ(accessKeys.find(AsciiLower(key)), std::u16string::npos)
                << test::Utf8(caption) << " repeats an access key";
            accessKeys += AsciiLower(key);
        }
    }
}

} // namespace
} // namespace hx
