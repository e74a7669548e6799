#include <gtest/gtest.h>

#include "platform/ansi_char_tables.h"

namespace tovra {
namespace {

TEST(AnsiCaseTest, EqualityIgnoresTheCaseOfWindows1252Letters) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"Arial", "ARIAL", true},
        {"\xC9lie", "\xE9LIE", true},   // Élie, éLIE
        {"\x8A\x8C\x8E", "\x9A\x9C\x9E", true},  // Š Œ Ž and š œ ž
        {"\x9F", "\xFF", true},         // Ÿ and ÿ
        {"\xD7", "\xF7", false},        // × and ÷ are no letters
        {"\xDF", "SS", false},          // ß has no one-letter upper case
        {"@[", "`{", false},
        {"Symbol", "Symbo", false},
        {"", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(EqualsIgnoringAnsiCase(c.a, c.b), c.equal);
        EXPECT_EQ(EqualsIgnoringAnsiCase(c.b, c.a), c.equal);
    }
}

}  // namespace
}  // namespace tovra
