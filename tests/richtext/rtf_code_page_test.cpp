// Font charsets to code pages, and the code pages that \ansicpg and font
// charsets name, in both directions.
#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace tovra {
namespace {

TEST(RtfCodePageTest, CharsetsNameTheirWindowsCodePages) {
    const std::pair<int, int> cases[] = {{0, 1252},   {1, 0},      {2, 0},      {77, 10000}, {128, 932},
                                         {129, 949},  {130, 1361}, {134, 936},  {136, 950},  {161, 1253},
                                         {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
                                         {204, 1251}, {222, 874},  {238, 1250}, {255, 437},  {99, 0}};
    for (auto [charset, codePage] : cases) EXPECT_EQ(CharsetToCodePage(charset), codePage) << charset;
}

TEST(RtfCodePageTest, EveryNamedCodePageConvertsBothWays) {
    struct Case {
        int codePage;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {874, "\xA1", u"\u0E01"},       {1250, "\x8A", u"\u0160"},  {1251, "\xC0", u"\u0410"},
        {1252, "\x80", u"\u20AC"},      {1253, "\xC1", u"\u0391"},  {1254, "\xD0", u"\u011E"},
        {1255, "\xE0", u"\u05D0"},      {1256, "\xC7", u"\u0627"},  {1257, "\xC0", u"\u0104"},
        {1258, "\xC3", u"\u0102"},      {932, "\x82\xA0", u"\u3042"}, {936, "\xC4\xE3", u"\u4F60"},
        {949, "\xB0\xA1", u"\uAC00"},   {950, "\xA4\x40", u"\u4E00"}, {10000, "\x80", u"\u00C4"},
        {0, "\x93", u"\u201C"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodePageToUtf16(c.bytes, c.codePage), c.text) << c.codePage;
        EXPECT_EQ(Utf16ToCodePage(c.text, c.codePage), c.bytes) << c.codePage;
    }
    // What a code page cannot hold becomes "?".
    EXPECT_EQ(Utf16ToCodePage(u"a\u3042b", 1251), "a?b");
    EXPECT_EQ(Utf16ToCodePage(u"\u0410", 936), "\xA7\xA1");
    EXPECT_EQ(Utf16ToCodePage(u"\u0E01", 932), "?");
}

}  // namespace
}  // namespace tovra
