// The literal search against a plain position-by-position comparison, over
// random texts in which the literal, its case variants and near misses occur
// at every alignment.
#include "engine/literal_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/ansi_char_tables.h"

namespace tovra {
namespace {

std::size_t PlainFind(std::string_view text, std::string_view literal, bool ignoreCase, std::size_t from) {
    const AnsiCharTables& ansi = AnsiCharTables::Get();
    auto same = [&](unsigned char a, unsigned char b) { return ignoreCase ? ansi.ToUpper(a) == ansi.ToUpper(b) : a == b; };
    for (std::size_t i = from; i + literal.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < literal.size() && same(static_cast<unsigned char>(text[i + k]), static_cast<unsigned char>(literal[k])))
            ++k;
        if (k == literal.size()) return i;
    }
    return std::string_view::npos;
}

TEST(LiteralSearchTest, FindsWhatAPlainComparisonFinds) {
    const std::vector<std::string> literals = {"<U>", "<body", "{\\cf11", "\\par", "ab", "x", "\xE9t\xE9", "\xFF\x9F", "<"};
    const std::vector<std::string> pieces = {"<",  "u>", "U>", "<U", "<u>", "<BoDy", "{\\cf11", "{\\CF11", "\\PAR",
                                             "a",  "B",  "x",  "X",  "\xC9T\xC9", "\xE9t", "\x9F\xFF", " ", "0123456789"};
    std::mt19937 random(11);
    for (const std::string& literal : literals) {
        for (bool ignoreCase : {false, true}) {
            const TLiteralSearch search(literal, ignoreCase);
            for (int round = 0; round < 400; ++round) {
                std::string text;
                const int parts = static_cast<int>(random() % 24);
                for (int i = 0; i < parts; ++i) text += pieces[random() % pieces.size()];
                const std::size_t from = text.empty() ? 0 : random() % (text.size() + 2);
                ASSERT_EQ(search.Find(text, from), PlainFind(text, literal, ignoreCase, from))
                    << literal << " in " << testing::PrintToString(text) << " from " << from;
            }
        }
    }
}

}  // namespace
}  // namespace tovra
