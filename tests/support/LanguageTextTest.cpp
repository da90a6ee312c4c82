// Decoding a language resource and splitting it into lines and fields.
#include "support/LanguageText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hx {
namespace {

using Fields = std::vector<std::u16string>;

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::u16string Decode(std::string_view s) {
    return DecodeLanguageBytes(Bytes(s), nullptr);
}

TEST(LanguageEncoding, MarksChooseTheEncodingAndAreDropped) {
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "A,\xC3\xA9"),
              u"A,\u00E9");
    EXPECT_EQ(DecodeLanguageBytes(Bytes(std::string("\xFF\xFE"
                                                    "A\0\xE9\0",
                                                    6)),
                                  nullptr),
              u"A\u00E9");
    EXPECT_EQ(DecodeLanguageBytes(Bytes(std::string("\xFE\xFF\0A\0\xE9", 6)), nullptr), u"A\u00E9");
    // A lone trailing byte of UTF-16 is no character.
    EXPECT_EQ(DecodeLanguageBytes(Bytes(std::string("\xFF\xFE"
                                                    "A\0B",
                                                    5)),
                                  nullptr),
              u"A");
}

TEST(LanguageEncoding, WithoutMarkTheAnsiDecoderIsUsed) {
    // Natively the fixed Windows-1252 table stands for the ANSI code page.
    EXPECT_EQ(Decode("caf\xE9 \x80 \x81"), u"caf\u00E9 \u20AC \u0081");
    int calls = 0;
    const auto upper = [&](std::span<const uint8_t> b) {
        ++calls;
        return std::u16string(b.size(), u'X');
    };
    EXPECT_EQ(DecodeLanguageBytes(Bytes("abc"), upper), u"XXX");
    // The marks win over the ANSI decoder, and only the exact marks count.
    EXPECT_EQ(DecodeLanguageBytes(Bytes("\xEF\xBB\xBF"
                                        "a"),
                                  upper),
              u"a");
    EXPECT_EQ(DecodeLanguageBytes(Bytes("\xEF\xBB"
                                        "a"),
                                  upper),
              u"XXX");
    EXPECT_EQ(calls, 2);
}

TEST(LanguageEncoding, NulEndsTheTextInEveryEncoding) {
    EXPECT_EQ(Decode(std::string_view("ab\0cd", 5)), u"ab");
    EXPECT_EQ(Decode(std::string_view("\xEF\xBB\xBF"
                                      "ab\0cd",
                                      8)),
              u"ab");
    EXPECT_EQ(DecodeLanguageBytes(Bytes(std::string("\xFF\xFE"
                                                    "a\0\0\0b\0",
                                                    8)),
                                  nullptr),
              u"a");
}

TEST(LanguageEncoding, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "a\xC3"),
              u"a\uFFFD"); // cut sequence at the end
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xC0\x80"
                     "b"),
              u"\uFFFD\uFFFD"
              "b"); // overlong NUL is no NUL
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xED\xA0\x80"),
              u"\uFFFD\uFFFD\uFFFD"); // surrogate
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xF0\x9F\x98\x80"),
              u"\U0001F600");
    EXPECT_EQ(Decode("\xEF\xBB\xBF"
                     "\xFF"
                     "x"),
              u"\uFFFD"
              "x");
}

TEST(LanguageLines, EveryLineEndCountsAndFinalOneAddsNoLine) {
    using L = std::vector<std::u16string_view>;
    EXPECT_EQ(SplitLines(u"a\r\nb\rc\nd"), (L{u"a", u"b", u"c", u"d"}));
    EXPECT_EQ(SplitLines(u"a\n\rb"), (L{u"a", u"", u"b"})); // LF CR: two ends
    EXPECT_EQ(SplitLines(u"a\r\n"), (L{u"a"}));
    EXPECT_EQ(SplitLines(u"a\r\n\r\n"), (L{u"a", u""}));
    EXPECT_EQ(SplitLines(u"\n"), (L{u""}));
    EXPECT_TRUE(SplitLines(u"").empty());
}

TEST(LanguageFields, SeparatorsAndBlanks) {
    EXPECT_EQ(SplitFields(u"W, Key, \"Text\""), (Fields{u"W", u"Key", u"Text"}));
    EXPECT_EQ(SplitFields(u"\t \x01W,Key,Text"), (Fields{u"W", u"Key", u"Text"}));
    EXPECT_EQ(SplitFields(u"W Key  Text"), (Fields{u"W", u"Key", u"Text"}));
    EXPECT_EQ(SplitFields(u"a,,b"), (Fields{u"a", u"", u"b"}));
    EXPECT_EQ(SplitFields(u"a, ,b"), (Fields{u"a", u"", u"b"}));
    EXPECT_TRUE(SplitFields(u" \t ").empty());
    // Unquoted text holding a blank: each word is a field of its own.
    EXPECT_EQ(SplitFields(u"W, K, Two words"), (Fields{u"W", u"K", u"Two", u"words"}));
    // A quote inside an unquoted field is an ordinary character.
    EXPECT_EQ(SplitFields(u"W, K, it\"s"), (Fields{u"W", u"K", u"it\"s"}));
}

TEST(LanguageFields, TrailingCommaRule) {
    EXPECT_EQ(SplitFields(u"a,"), (Fields{u"a", u""}));
    EXPECT_EQ(SplitFields(u"a, "), (Fields{u"a"}));
    EXPECT_EQ(SplitFields(u"a ,"), (Fields{u"a", u""}));
    EXPECT_EQ(SplitFields(u","), (Fields{u"", u""}));
    EXPECT_EQ(SplitFields(u"\"x\" "), (Fields{u"x"}));
}

TEST(LanguageFields, QuotedFields) {
    EXPECT_EQ(SplitFields(u"W, K, \"a, b  c\""), (Fields{u"W", u"K", u"a, b  c"}));
    EXPECT_EQ(SplitFields(u"\"say \"\"hi\"\"\""), (Fields{u"say \"hi\""}));
    EXPECT_EQ(SplitFields(u"\"\"\"\""), (Fields{u"\""}));
    EXPECT_EQ(SplitFields(u"\"\""), (Fields{u""}));
    // Without its closing quote the field runs to the end of the line, commas included.
    EXPECT_EQ(SplitFields(u"W, K, \"open, still"), (Fields{u"W", u"K", u"open, still"}));
    EXPECT_EQ(SplitFields(u"\"ends with pair\"\""), (Fields{u"ends with pair\""}));
    // A closing quote followed at once by text gives two fields.
    EXPECT_EQ(SplitFields(u"\"a\"b,c"), (Fields{u"a", u"b", u"c"}));
    EXPECT_EQ(SplitFields(u"\"a\"\"b\"c"), (Fields{u"a\"b", u"c"}));
}

} // namespace
} // namespace hx
