#include "platform/ascii.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(AsciiTest, FoldsOnlyTheAsciiLetters) {
    // Neighbours of the letter ranges and bytes above 0x7F that have a case
    // in Windows-1252 (À/à, Š/š) stay as they are.
    EXPECT_EQ(AsciiLowerCase("AZaz@[`{09 Topic"), "azaz@[`{09 topic");
    EXPECT_EQ(AsciiLowerCase("\xC0\xE0\x8A\x9A"), "\xC0\xE0\x8A\x9A");
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const bool upper = b >= 'A' && b <= 'Z';
        const bool lower = b >= 'a' && b <= 'z';
        EXPECT_EQ(AsciiToLower(c), upper ? static_cast<char>(b + 32) : c) << b;
        EXPECT_EQ(AsciiToUpper(c), lower ? static_cast<char>(b - 32) : c) << b;
    }
}

TEST(AsciiTest, ComparisonsIgnoreAsciiCaseAndNothingElse) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
        bool startsWith;  // a starts with b
        bool contains;    // b occurs in a
    } cases[] = {
        {"Topic Notes", "TOPIC NOTES", true, true, true},
        {"Topic", "Topics", false, false, false},
        {"Topics", "topic", false, true, true},
        {"{\\RTF1\\ansi", "{\\rtf", false, true, true},
        {"{\\rt", "{\\rtf", false, false, false},
        {"@", "`", false, false, false},  // 0x40 and 0x60 differ in bit 5 only
        {"[", "{", false, false, false},
        {"\xC9T\xC9", "\xE9t\xE9", false, false, false},  // É and é are not ASCII
        {"Not a valid Password.", "password", false, false, true},
        {"pass word", "password", false, false, false},
        {"xpasswor", "password", false, false, false},
        {"", "", true, true, true},
        {"abc", "", false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal);
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.b, c.a), c.equal);
        EXPECT_EQ(StartsWithIgnoringAsciiCase(c.a, c.b), c.startsWith);
        EXPECT_EQ(ContainsIgnoringAsciiCase(c.a, c.b), c.contains);
    }
}

}  // namespace
}  // namespace tovra
