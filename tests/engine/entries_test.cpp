#include "engine/entries.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/error.h"
#include "support/entry_lines.h"

namespace tovra {
namespace {

using test_support::JoinedText;
using test_support::SplitLines;

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

// Entry texts are kept joined instead of as lines: normalising a text must
// give exactly what splitting and joining it gives, for every text, and so
// must appending one joined text to another.
TEST(EntriesTest, NormalizedTextIsTheJoinedTextOfItsLines) {
    std::vector<std::string> texts;
    const std::string parts[] = {"a", "bc", "\r", "\n", "\r\n", std::string(1, '\0'), " ", "\n\r"};
    // Every sequence of up to four parts.
    std::vector<std::string> level = {""};
    for (int depth = 0; depth < 4; ++depth) {
        std::vector<std::string> next;
        for (const std::string& t : level)
            for (const std::string& p : parts) next.push_back(t + p);
        texts.insert(texts.end(), next.begin(), next.end());
        level = std::move(next);
    }
    for (const std::string& text : texts) {
        const std::string expected = JoinedText(SplitLines(text));
        std::string normal = text;
        NormalizeText(normal);
        ASSERT_EQ(normal, expected) << testing::PrintToString(text);
        std::string appended = "x\r\n";
        AppendNormalizedText(text, appended);
        ASSERT_EQ(appended, JoinedText(SplitLines("x\r\n" + text))) << testing::PrintToString(text);
    }
}

// Long texts with breaks of every kind, NULs and long runs without either,
// so that the checks of many bytes at once meet them at every position.
TEST(EntriesTest, LongTextsNormalizeAsTheirLinesJoin) {
    std::mt19937 random(5);
    const char specials[] = {'\r', '\n', '\0'};
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 80, 'a');
        const int marks = static_cast<int>(random() % 6);
        for (int i = 0; i < marks && !text.empty(); ++i) {
            const size_t at = random() % text.size();
            if (random() % 3 == 0) {
                text.replace(at, 1, "\r\n");
            } else {
                text[at] = specials[random() % (round % 7 == 0 ? 3 : 2)];
            }
        }
        const std::string expected = JoinedText(SplitLines(text));
        std::string normal = text;
        NormalizeText(normal);
        ASSERT_EQ(normal, expected) << testing::PrintToString(text);
    }
}

TEST(EntriesTest, JoinedTextEndsEveryLineWithCrLf) {
    EXPECT_EQ(JoinedText({}), "");
    EXPECT_EQ(JoinedText({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(SplitLines(JoinedText({"a", "", "b"})), (std::vector<std::string>{"a", "", "b"}));
}

TEST(EntriesTest, BlankMeansNothingButControlBytesAndSpaces) {
    EXPECT_TRUE(IsBlankText(""));
    EXPECT_TRUE(IsBlankText(JoinedText({"", "  \t", std::string("\x01\x1f ", 3)})));
    EXPECT_FALSE(IsBlankText(JoinedText({"", " x "})));
    EXPECT_FALSE(IsBlankText("\xA0"));  // a no-break space is a character
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
