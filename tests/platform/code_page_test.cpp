#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

void WriteNcr(char32_t cp, std::string& out) { out += "&#" + std::to_string(cp) + ";"; }

TEST(CodePageTest, Windows1252RoundTripsEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf16ToCodePage(CodePageToUtf16(all, 0), 0), all);
    EXPECT_EQ(Utf8ToCodePage(CodePageToUtf8(all, 1252), 1252, nullptr), all);
}

TEST(CodePageTest, Windows1252SpecialRangeDecodes) {
    // 0x80 euro, 0x84 low double quote, 0x93/0x94 curly quotes, 0x97 em dash.
    EXPECT_EQ(CodePageToUtf16("\x80\x84\x93\x94\x97", 1252), u"\u20AC\u201E\u201C\u201D\u2014");
    EXPECT_EQ(CodePageToUtf8("\xE9", 0), "\xC3\xA9");
}

TEST(CodePageTest, UnmappableCharactersGoToTheHandlerOrBecomeQuestionMarks) {
    const std::string greek = "\xCE\xBB\xCF\x8C";  // lambda, omicron with tonos
    EXPECT_EQ(Utf8ToCodePage("a" + greek + "\xE2\x80\x94", 1252, &WriteNcr), "a&#955;&#972;\x97");
    EXPECT_EQ(Utf8ToCodePage(greek, 1252, nullptr), "??");
    EXPECT_EQ(Utf16ToCodePage(u"a\u03BBb", 1252), "a?b");
    EXPECT_EQ(Utf8ToCodePage("\xF0\x9F\x98\x80", 1252, &WriteNcr), "&#128512;");
}

TEST(CodePageTest, MalformedUtf8IsReplacedNotOverread) {
    EXPECT_EQ(Utf8ToCodePage("a\xC3", 1252, &WriteNcr), "a&#65533;");
    EXPECT_EQ(Utf8ToCodePage("\xE2\x80", 1252, &WriteNcr), "&#65533;&#65533;");
    EXPECT_EQ(Utf8ToCodePage("\xC0\xAF", 1252, &WriteNcr), "&#65533;&#65533;");
}

TEST(CodePageTest, OtherCodePages) {
    EXPECT_EQ(CodePageToUtf16("\xE1", 1253), u"\u03B1");  // Greek alpha
    EXPECT_EQ(CodePageToUtf16("\xE0", 1255), u"\u05D0");  // Hebrew alef
    EXPECT_EQ(CodePageToUtf16("\x82\xA0", 932), u"\u3042");  // Hiragana a
    EXPECT_EQ(Utf16ToCodePage(u"\u3042", 932), "\x82\xA0");
    EXPECT_EQ(CodePageToUtf16("\x82", 932), u"?");  // cut-off lead byte
    for (int cp : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 932, 936, 949, 950})
        EXPECT_TRUE(IsKnownCodePage(cp)) << cp;
}

}  // namespace
}  // namespace tovra
