// Choosing the charset of a text body and decoding it.
#include <gtest/gtest.h>

#include "net/Charset.h"
#include "tests/net/NetTestUtil.h"

namespace hx::net {
namespace {

using test::Bytes;

HeaderList WithType(std::u16string_view contentType) {
    HeaderList h;
    h.Add({u"Content-Type", std::u16string(contentType)});
    return h;
}

std::u16string Choose(std::u16string_view contentType, std::string_view body = "") {
    return ChooseCharset(Bytes(body), WithType(contentType));
}

TEST(Charset, HeaderParameterThenTextDefaults) {
    EXPECT_EQ(Choose(u"text/plain; charset=utf-8"), u"utf-8");
    EXPECT_EQ(Choose(u"text/plain;CHARSET=\"Windows-1252\""), u"Windows-1252");
    EXPECT_EQ(Choose(u"application/json; charset=utf-8"), u"utf-8");
    EXPECT_EQ(Choose(u"text/plain"), u"ISO-8859-1");
    EXPECT_EQ(Choose(u"TEXT/HTML"), u"ISO-8859-1");
    EXPECT_EQ(Choose(u"text/xml"), u"us-ascii");
    EXPECT_EQ(Choose(u"text/xml-external-parsed-entity"), u"us-ascii");
    EXPECT_EQ(Choose(u"text/rss+xml"), u"us-ascii");
    EXPECT_EQ(Choose(u"text/xml; charset=utf-8"), u"utf-8"); // not the XML-body rule
    EXPECT_EQ(Choose(u"application/octet-stream"), u"");
    EXPECT_EQ(ChooseCharset(Bytes("x"), HeaderList{}), u"");
}

TEST(Charset, HtmlMetaDecides) {
    EXPECT_EQ(Choose(u"text/html; charset=iso-8859-1", "<html><head><meta charset=\"utf-8\">"),
              u"utf-8");
    EXPECT_EQ(Choose(u"text/html", "<HEAD><META HTTP-EQUIV='content-type' "
                                   "CONTENT='text/html; charset=windows-1252'></HEAD>"),
              u"windows-1252");
    EXPECT_EQ(Choose(u"application/xhtml+xml", "<meta content=\"text/html; charset=UTF-8\" "
                                               "http-equiv=\"Content-Type\" />"),
              u"UTF-8");
    EXPECT_EQ(Choose(u"text/html-sandboxed", "<meta charset=utf-16le>"), u"utf-16le");
    // A META http-equiv Content-Type without charset replaces the header's charset too.
    EXPECT_EQ(Choose(u"text/html; charset=utf-8",
                     "<meta http-equiv=\"Content-Type\" content=\"text/html\">"),
              u"ISO-8859-1");
    // META charset wins over META http-equiv whatever the order.
    EXPECT_EQ(Choose(u"text/html", "<meta http-equiv=content-type content='text/html; "
                                   "charset=us-ascii'><meta charset=utf-8>"),
              u"utf-8");
}

TEST(Charset, HtmlMetaOutsideTheHeadOrInCommentsIsIgnored) {
    EXPECT_EQ(Choose(u"text/html", "<head></head><body><meta charset=utf-8>"), u"ISO-8859-1");
    EXPECT_EQ(Choose(u"text/html", "<!-- <meta charset=utf-8> --><p>"), u"ISO-8859-1");
    EXPECT_EQ(Choose(u"text/html", "<metadata charset=utf-8>"), u"ISO-8859-1");
    EXPECT_EQ(Choose(u"text/plain", "<meta charset=utf-8>"), u"ISO-8859-1"); // not HTML
    EXPECT_EQ(Choose(u"text/html", "<meta charset="), u"ISO-8859-1");        // cut short
}

TEST(Charset, XmlBodyDecidesWhateverTheHeaderSays) {
    EXPECT_EQ(Choose(u"application/xml; charset=iso-8859-1", "<a/>"), u"UTF-8");
    EXPECT_EQ(Choose(u"application/xml", "\xEF\xBB\xBF<a/>"), u"UTF-8");
    EXPECT_EQ(Choose(u"application/xml", std::string_view("\xFF\xFE<\0", 4)), u"UTF-16LE");
    EXPECT_EQ(Choose(u"application/xml", std::string_view("\xFE\xFF\0<", 4)), u"UTF-16BE");
    EXPECT_EQ(Choose(u"application/xml-dtd", "<?xml version=\"1.0\" encoding='windows-1252'?><a/>"),
              u"windows-1252");
    EXPECT_EQ(Choose(u"image/svg+xml", "<?xml version='1.0' encoding = \"ISO-8859-1\" ?>"),
              u"ISO-8859-1");
    EXPECT_EQ(Choose(u"application/xml-external-parsed-entity", "<?xml version='1.0'?>"), u"UTF-8");
    EXPECT_EQ(Choose(u"application/xml", "<?xml encoding=\"unterminated"), u"UTF-8");
}

std::u16string Decode(std::u16string_view contentType, std::string_view body) {
    return DecodeBody(Bytes(body), WithType(contentType));
}

TEST(Charset, DecodesAsTheSpecialCasesSay) {
    EXPECT_EQ(Decode(u"text/plain", "caf\xE9"), u"caf\u00e9");
    EXPECT_EQ(Decode(u"text/plain; charset=utf-8", "\xEF\xBB\xBFKORVEX|1"), u"\ufeffKORVEX|1");
    EXPECT_EQ(Decode(u"text/plain", "\xEF\xBB\xBFx"), u"\u00ef\u00bb\u00bfx");
    EXPECT_EQ(Decode(u"application/octet-stream", "\x80\xFF"), u"\u0080\u00ff");
    EXPECT_EQ(Decode(u"text/plain; charset=klingon", "\xE9"), u"\u00e9");
    EXPECT_EQ(Decode(u"text/plain; charset=utf-8", ""), u"");
    EXPECT_EQ(Decode(u"text/xml", "a\xE9"), u"a\ufffd"); // us-ascii
    EXPECT_EQ(Decode(u"text/html", "<meta charset=UTF-8>\xC3\xA9"), u"<meta charset=UTF-8>\u00e9");
}

TEST(Charset, DecodesEachKnownCharset) {
    auto decode = [](std::string_view bytes, std::u16string_view name) {
        return DecodeWithCharset(Bytes(bytes), name);
    };
    EXPECT_EQ(decode("\xE2\x82\xAC\xF0\x9F\x98\x80", u"UTF8"), u"\u20ac\U0001F600");
    EXPECT_EQ(decode(std::string_view("A\0\xAC\x20", 4), u"utf-16le"), u"A\u20ac");
    EXPECT_EQ(decode(std::string_view("\0A\x20\xAC", 4), u"UTF-16BE"), u"A\u20ac");
    EXPECT_EQ(decode(std::string_view("\xFE\xFF\0A", 4), u"utf-16"), u"\ufeffA");
    EXPECT_EQ(decode(std::string_view("\xFF\xFE"
                                      "A\0",
                                      4),
                     u"utf-16"),
              u"\ufeffA");
    EXPECT_EQ(decode(std::string_view("A\0B", 3), u"utf-16le"), u"A\ufffd"); // lone last byte
    EXPECT_EQ(decode("\x80\x81\x9F\xA0", u"windows-1252"), u"\u20ac\u0081\u0178\u00a0");
    EXPECT_EQ(decode("\x80\xE9", u"Latin1"), u"\u0080\u00e9");
    EXPECT_EQ(decode("\x80\xE9", u"ISO_8859-1"), u"\u0080\u00e9");
    EXPECT_EQ(decode("a\xE9", u"US-ASCII"), u"a\ufffd");
    EXPECT_TRUE(IsKnownCharset(u" \"UTF-8\" "));
    EXPECT_FALSE(IsKnownCharset(u"shift_jis"));
}

TEST(Charset, InvalidUtf8BecomesReplacementCharacters) {
    auto utf8 = [](std::string_view bytes) { return DecodeWithCharset(Bytes(bytes), u"utf-8"); };
    EXPECT_EQ(utf8("a\xC3"), u"a\ufffd"); // cut at the end
    EXPECT_EQ(utf8("\xE2\x82"
                   "b"),
              u"\ufffd"
              "b");                                                   // cut in the middle
    EXPECT_EQ(utf8("\xFF\xFE"), u"\ufffd\ufffd");                     // never valid
    EXPECT_EQ(utf8("\xC0\xAF"), u"\ufffd\ufffd");                     // overlong
    EXPECT_EQ(utf8("\xED\xA0\x80"), u"\ufffd\ufffd\ufffd");           // surrogate
    EXPECT_EQ(utf8("\xF4\x90\x80\x80"), u"\ufffd\ufffd\ufffd\ufffd"); // above U+10FFFF
    EXPECT_EQ(utf8("\x80x"), u"\ufffdx");                             // lone continuation
}

} // namespace
} // namespace hx::net
