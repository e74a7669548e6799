#include "refbible/comma_text.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

struct CommaCase {
    const char* name;
    std::string text;
    std::vector<std::string> items;
};

class CommaTextTest : public ::testing::TestWithParam<CommaCase> {};

TEST_P(CommaTextTest, SplitsAsStored) {
    EXPECT_EQ(ParseCommaText(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommaTextTest,
    ::testing::Values(
        CommaCase{"Empty", "", {}},
        CommaCase{"Single", "Genesis", {"Genesis"}},
        CommaCase{"QuotedMiddleKeepsItsComma", "Gen,\"Ex,od\",Lev", {"Gen", "Ex,od", "Lev"}},
        CommaCase{"FinalCommaAddsEmptyItem", "Gen,Exod,", {"Gen", "Exod", ""}},
        CommaCase{"TwoCommasGiveEmptyItem", "Gen,,Lev", {"Gen", "", "Lev"}},
        CommaCase{"SpacesAreKept", " Gen , Exod ", {" Gen ", " Exod "}},
        CommaCase{"DoubledQuoteIsOneQuote", "\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        CommaCase{"TextAfterClosingQuoteStartsNewItem", "\"ab\"cd,ef", {"ab", "cd", "ef"}},
        CommaCase{"UnclosedQuoteRunsToEnd", "a,\"b,c", {"a", "b,c"}},
        CommaCase{"QuoteInsideUnquotedItemIsKept", "a\"b,c", {"a\"b", "c"}},
        CommaCase{"StopsAtZeroByte", std::string("a,b\0,c", 6), {"a", "b"}},
        CommaCase{"ZeroByteFirstGivesEmptyList", std::string("\0a", 2), {}},
        CommaCase{"LoneComma", ",", {"", ""}},
        CommaCase{"QuotedEmptyItem", "\"\"", {""}},
        CommaCase{"QuotedItemThenFinalComma", "\"1 Samuel\",", {"1 Samuel", ""}}),
    [](const ::testing::TestParamInfo<CommaCase>& info) { return std::string(info.param.name); });

TEST(CommaTextFormatTest, RoundTripsAwkwardItems) {
    const std::vector<std::vector<std::string>> lists = {
        {"Genesis", "1 Samuel", "Song of Solomon"},
        {"", "a", ""},
        {""},
        {"a,b", "\"quoted\"", " lead", "trail ", "x\"y"},
        {},
    };
    for (const auto& list : lists) {
        const std::string text = FormatCommaText(list);
        EXPECT_EQ(ParseCommaText(text), list) << text;
    }
}

}  // namespace
}  // namespace tovra
