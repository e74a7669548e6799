#include "engine/entries.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace tovra {
namespace {

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, GivesOneLinePerBreak) { EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitLinesTest,
    ::testing::Values(
        SplitCase{"Empty", "", {}},
        SplitCase{"NoBreak", "abc", {"abc"}},
        SplitCase{"FinalBreakAddsNoLine", "abc\r\n", {"abc"}},
        SplitCase{"AllThreeBreaks", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        SplitCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
        SplitCase{"EmptyLinesKept", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
        SplitCase{"NulEndsTheText", std::string("before\0after\r\nmore", 18), {"before"}},
        SplitCase{"LeadingNul", std::string("\0x", 2), {}},
        SplitCase{"OnlyBreak", "\n", {""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EntriesTest, JoinedTextEndsEveryLineWithCrLf) {
    EXPECT_EQ(JoinedText({}), "");
    EXPECT_EQ(JoinedText({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(SplitLines(JoinedText({"a", "", "b"})), (std::vector<std::string>{"a", "", "b"}));
}

TEST(EntriesTest, BlankMeansNothingButControlBytesAndSpaces) {
    EXPECT_TRUE(IsBlank({}));
    EXPECT_TRUE(IsBlank({"", "  \t", std::string("\x01\x1f ", 3)}));
    EXPECT_FALSE(IsBlank({"", " x "}));
    EXPECT_FALSE(IsBlank({"\xA0"}));  // a no-break space is a character
    EXPECT_EQ(Stripped("\t a b \r\n"), "a b");
}

TEST(EntriesTest, IndexOutsideTheListFailsWithTheListError) {
    EntryList list;
    list.Append("a");
    EXPECT_EQ(&list.At(0), &*list.begin());
    try {
        list.At(-1);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
    }
    EXPECT_THROW(list.At(1), EListError);
}

}  // namespace
}  // namespace tovra
