#include "platform/ansi_char_tables.h"

#include <gtest/gtest.h>

#include <string>

namespace tovra {
namespace {

struct ByteCase {
    unsigned char byte;
    bool digit, space, letter, upper, lower;
    unsigned char toUpper, toLower;
    const char* what;
};

// Bytes chosen where Windows-1252 differs from ASCII or from Latin-1, or where
// a careless table goes wrong.
const ByteCase kBytes[] = {
    {'7', true, false, false, false, false, '7', '7', "ASCII digit"},
    {0xB2, false, false, false, false, false, 0xB2, 0xB2, "superscript two is no digit"},
    {0xBD, false, false, false, false, false, 0xBD, 0xBD, "one half is no digit"},
    {'\t', false, true, false, false, false, '\t', '\t', "tab"},
    {'\v', false, true, false, false, false, '\v', '\v', "vertical tab"},
    {' ', false, true, false, false, false, ' ', ' ', "space"},
    {0xA0, false, false, false, false, false, 0xA0, 0xA0, "no-break space is not white space"},
    {'A', false, false, true, true, false, 'A', 'a', "ASCII upper"},
    {'z', false, false, true, false, true, 'Z', 'z', "ASCII lower"},
    {0xC9, false, false, true, true, false, 0xC9, 0xE9, "E acute"},
    {0xE9, false, false, true, false, true, 0xC9, 0xE9, "e acute"},
    {0x8A, false, false, true, true, false, 0x8A, 0x9A, "S caron"},
    {0x9A, false, false, true, false, true, 0x8A, 0x9A, "s caron"},
    {0x8C, false, false, true, true, false, 0x8C, 0x9C, "OE"},
    {0x9C, false, false, true, false, true, 0x8C, 0x9C, "oe"},
    {0x8E, false, false, true, true, false, 0x8E, 0x9E, "Z caron"},
    {0x9E, false, false, true, false, true, 0x8E, 0x9E, "z caron"},
    {0x9F, false, false, true, true, false, 0x9F, 0xFF, "Y diaeresis"},
    {0xFF, false, false, true, false, true, 0x9F, 0xFF, "y diaeresis"},
    {0xDF, false, false, true, false, true, 0xDF, 0xDF, "sharp s has no upper case here"},
    {0xB5, false, false, true, false, true, 0xB5, 0xB5, "micro sign: upper case is Greek"},
    {0x83, false, false, true, false, true, 0x83, 0x83, "f hook"},
    {0xAA, false, false, true, false, false, 0xAA, 0xAA, "feminine ordinal: uncased letter"},
    {0xD7, false, false, false, false, false, 0xD7, 0xD7, "multiplication sign"},
    {0xF7, false, false, false, false, false, 0xF7, 0xF7, "division sign"},
    {0x80, false, false, false, false, false, 0x80, 0x80, "euro sign"},
    {0x97, false, false, false, false, false, 0x97, 0x97, "em dash"},
    {0x81, false, false, false, false, false, 0x81, 0x81, "undefined byte"},
};

TEST(AnsiCharTablesTest, ClassesAndCasePairsOfSelectedBytes) {
    const AnsiCharTables& t = AnsiCharTables::Get();
    for (const ByteCase& c : kBytes) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(t.IsDigit(c.byte), c.digit);
        EXPECT_EQ(t.IsSpace(c.byte), c.space);
        EXPECT_EQ(t.IsLetter(c.byte), c.letter);
        EXPECT_EQ(t.IsUpper(c.byte), c.upper);
        EXPECT_EQ(t.IsLower(c.byte), c.lower);
        EXPECT_EQ(t.ToUpper(c.byte), c.toUpper);
        EXPECT_EQ(t.ToLower(c.byte), c.toLower);
    }
    EXPECT_TRUE(t.Is(0x81, accControl));
    EXPECT_FALSE(t.Is(0x81, accPrint));
    EXPECT_TRUE(t.Is(0x80, accPunct));
}

TEST(AnsiCharTablesTest, CasePairsAreConsistentOverAllBytes) {
    const AnsiCharTables& t = AnsiCharTables::Get();
    int pairs = 0;
    for (int b = 0; b < 256; ++b) {
        const unsigned char c = static_cast<unsigned char>(b);
        if (t.ToUpper(c) != c) {
            ++pairs;
            EXPECT_TRUE(t.IsLower(c)) << b;
            EXPECT_TRUE(t.IsUpper(t.ToUpper(c))) << b;
            EXPECT_EQ(t.ToLower(t.ToUpper(c)), c) << b;
        }
        if (t.ToLower(c) != c) {
            EXPECT_EQ(t.ToUpper(t.ToLower(c)), c) << b;
        }
        EXPECT_EQ(t.FlipCase(t.FlipCase(c)), c) << b;
        if (t.IsDigit(c)) {
            EXPECT_TRUE(c >= '0' && c <= '9') << b;
        }
        if (t.IsSpace(c)) {
            EXPECT_TRUE(c == ' ' || (c >= 9 && c <= 13)) << b;
        }
    }
    // 26 ASCII pairs, 30 Latin-1 pairs and S/s caron, OE/oe, Z/z caron, Y/y
    // diaeresis: every pair of the code page, none invented.
    EXPECT_EQ(pairs, 26 + 30 + 4);
}

TEST(AnsiCharTablesTest, UpperAndLowerCasingOfText) {
    EXPECT_EQ(AnsiUpperCase("a\xE0\xE9\xFF\x9C\x9A-\xDF\xB5"), "A\xC0\xC9\x9F\x8C\x8A-\xDF\xB5");
    EXPECT_EQ(AnsiLowerCase("A\xC0\xC9\x9F\x8C\x8A-1"), "a\xE0\xE9\xFF\x9C\x9A-1");
}

}  // namespace
}  // namespace tovra
