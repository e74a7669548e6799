#include "engine/pcre_regex.h"

#include "engine/pcre_char_tables.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <string>

namespace tovra {
namespace {

std::string Replaced(const char* pattern, const std::string& subject, const std::string& replacement,
                     TPcreOptions options = 0) {
    TPcreRegEx re(pattern, options, replacement);
    std::string text = subject;
    re.ReplaceAll(text);
    return text;
}

// Each pattern matches its whole subject, so the result is the expansion.
struct ExpansionCase {
    const char* pattern;
    std::string subject;
    std::string replacement;
    std::string expected;
};

class TemplateExpansionTest : public testing::TestWithParam<ExpansionCase> {};

TEST_P(TemplateExpansionTest, ExpandsAsSpecified) {
    const ExpansionCase& c = GetParam();
    EXPECT_EQ(Replaced(c.pattern, c.subject, c.replacement), c.expected) << "template " << c.replacement;
}

const char kTwo[] = R"((\w+) (\w+))";
const char kTwelve[] = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)";

INSTANTIATE_TEST_SUITE_P(
    References, TemplateExpansionTest,
    testing::Values(
        ExpansionCase{kTwo, "hello world", "$2 $1", "world hello"},
        ExpansionCase{kTwo, "hello world", "${2}x${1}", "worldxhello"},
        ExpansionCase{kTwo, "hello world", R"(\2-\1)", "world-hello"},
        ExpansionCase{kTwo, "hello world", "<$0>", "<hello world>"},
        ExpansionCase{kTwo, "hello world", "[tovraUC${1}]", "[tovraUChello]"},
        ExpansionCase{kTwo, "hello world", R"(\{${1}\})", R"(\{hello\})"},
        // Two digits only when that group exists.
        ExpansionCase{kTwo, "hello world", "$12", "hello2"},
        ExpansionCase{kTwelve, "abcdefghijkl", "$12", "l"},
        ExpansionCase{kTwelve, "abcdefghijkl", "$13", "a3"},
        ExpansionCase{kTwelve, "abcdefghijkl", R"(\12)", "l"},
        ExpansionCase{kTwelve, "abcdefghijkl", "$01", "a"},
        ExpansionCase{kTwelve, "abcdefghijkl", "${12}${3}", "lc"},
        // Named groups.
        ExpansionCase{R"((?<first>\w+)-(?<second>\w+))", "ab-cd", "${second}+${first}", "cd+ab"},
        ExpansionCase{R"((?<first>\w+)-(?<second>\w+))", "ab-cd", "${third}|${2}", "|cd"},
        // Groups the pattern lacks or that took no part insert nothing.
        ExpansionCase{kTwo, "hello world", "[$3]", "[]"},
        ExpansionCase{kTwo, "hello world", "[${99}][${99999999999999999999}]", "[][]"},
        ExpansionCase{"(a)|(b)", "b", "[$1|$2]", "[|b]"}),
    [](const testing::TestParamInfo<ExpansionCase>& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Escapes, TemplateExpansionTest,
    testing::Values(
        ExpansionCase{kTwo, "hello world", "$$1", "$1"},
        ExpansionCase{kTwo, "hello world", R"(\$1)", "$1"},
        ExpansionCase{kTwo, "hello world", R"(\\1)", R"(\1)"},
        ExpansionCase{kTwo, "hello world", R"(a\nb)", R"(a\nb)"},
        ExpansionCase{kTwo, "hello world", R"(\{\})", R"(\{\})"},
        ExpansionCase{kTwo, "hello world", "$x $ ${} ${1 ${a-b}", "$x $ ${} ${1 ${a-b}"},
        // The last character is always literal.
        ExpansionCase{kTwo, "hello world", "a$", "a$"},
        ExpansionCase{kTwo, "hello world", R"(a\)", R"(a\)"},
        ExpansionCase{kTwo, "hello world", "$", "$"},
        ExpansionCase{kTwo, "hello world", R"(\)", R"(\)"},
        ExpansionCase{kTwo, "hello world", "x$1", "xhello"},
        ExpansionCase{kTwo, "hello world", "", ""}),
    [](const testing::TestParamInfo<ExpansionCase>& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    LetterCase, TemplateExpansionTest,
    testing::Values(
        ExpansionCase{"(.+)", "\xE9LAN vital o'neil 2nd", R"(\U1)", "\xC9LAN VITAL O'NEIL 2ND"},
        ExpansionCase{"(.+)", "\xC9LAN Vital", R"(\L1)", "\xE9lan vital"},
        ExpansionCase{"(.+)", " \xE9LAN VITAL", R"(\F1)", " \xC9lan vital"},
        ExpansionCase{"(.+)", "\xE9LAN VITAL o'neil 2nd", R"(\I1)", "\xC9lan Vital O'Neil 2nd"},
        ExpansionCase{"(.+)", "\xFF\x9C\x9A\xDF", R"(\U1)", "\x9F\x8C\x8A\xDF"},
        ExpansionCase{"(a)(b)", "ab", R"(\U2\L1)", "Ba"},
        // Without a group number the letter stays with its backslash.
        ExpansionCase{"(a)", "a", R"(\Ux\U)", R"(\Ux\U)"},
        ExpansionCase{"(a)", "a", R"(\u1)", R"(\u1)"}),
    [](const testing::TestParamInfo<ExpansionCase>& info) { return "Case" + std::to_string(info.index); });

struct ReplaceAllCase {
    const char* what;
    const char* pattern;
    TPcreOptions options;
    std::string replacement;
    std::string subject;
    std::string expected;
    bool replaced;
};

class ReplaceAllTest : public testing::TestWithParam<ReplaceAllCase> {};

TEST_P(ReplaceAllTest, ReplacesAndResumesAfterTheReplacement) {
    const ReplaceAllCase& c = GetParam();
    TPcreRegEx re(c.pattern, c.options, c.replacement);
    std::string text = c.subject;
    EXPECT_EQ(re.ReplaceAll(text), c.replaced);
    EXPECT_EQ(text, c.expected);
    EXPECT_FALSE(re.LimitHit());
    std::string out = "stale";
    EXPECT_EQ(re.ReplaceAll(c.subject, out), c.replaced);
    EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplaceAllTest,
    testing::Values(
        ReplaceAllCase{"inserted text is not searched", "a", 0, "aa", "aaa", "aaaaaa", true},
        ReplaceAllCase{"a replacement does not join the text after it", "ab", 0, "a", "aabb", "aab", true},
        ReplaceAllCase{"the text before is not searched again", "ba", 0, "b", "bbaa", "bba", true},
        ReplaceAllCase{"only empty matches: none", "x*", 0, "-", "abc", "abc", false},
        ReplaceAllCase{"empty places are skipped", "b*", 0, "-", "abbcb", "a-c-", true},
        ReplaceAllCase{"deleting matches", "<[^>]*>", 0, "", "a<b>c</b>", "ac", true},
        ReplaceAllCase{"adjacent matches", "ab", 0, "X", "ababab", "XXX", true},
        ReplaceAllCase{"no match", "q", 0, "X", "abc", "abc", false},
        ReplaceAllCase{"empty text", "a", 0, "X", "", "", false},
        ReplaceAllCase{"caseless accented letters", "\xC9", preCaseLess, "E", "\xE9t\xE9", "EtE", true},
        ReplaceAllCase{"dot without single-line stops at line ends", "a.b", 0, "X", "a\nb a-b", "a\nb X", true},
        ReplaceAllCase{"single-line dot takes line ends", "a.b", preSingleLine, "X", "a\nb a\rb", "X X", true},
        ReplaceAllCase{"bytes above 0x7F and NUL are ordinary", "\xE9+", 0, "e",
                       std::string("\0\xE9\xE9\x01", 4), std::string("\0e\x01", 3), true},
        ReplaceAllCase{"a lookbehind sees the original text", "(?<=a)b", 0, "a", "abbb", "aabb", true}),
    [](const testing::TestParamInfo<ReplaceAllCase>& info) { return "Case" + std::to_string(info.index); });

TEST(PcreRegExTest, FirstMatchGivesGroupOffsets) {
    TPcreRegEx re("b(c)?(d+)");
    ASSERT_TRUE(re.FirstMatch("abddxbcd"));
    EXPECT_EQ(re.GroupCount(), 2);
    std::size_t start = 0, end = 0;
    ASSERT_TRUE(re.GroupOffsets(0, start, end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 4u);
    EXPECT_FALSE(re.GroupOffsets(1, start, end));  // took no part
    EXPECT_EQ(re.Group(2), "dd");
    EXPECT_EQ(re.Group(1), "");
    EXPECT_FALSE(re.GroupOffsets(3, start, end));
    EXPECT_FALSE(re.GroupOffsets(-1, start, end));

    EXPECT_FALSE(re.FirstMatch("xyz"));
    EXPECT_FALSE(re.GroupOffsets(0, start, end));
    EXPECT_EQ(re.Group(0), "");
}

TEST(PcreRegExTest, FirstMatchSkipsEmptyMatches) {
    TPcreRegEx re("x*");
    ASSERT_TRUE(re.FirstMatch("abxxc"));
    EXPECT_EQ(re.Group(0), "xx");
    EXPECT_FALSE(re.FirstMatch("abc"));
}

TEST(PcreRegExTest, InvalidPatternThrowsWithItsOffset) {
    try {
        TPcreRegEx re("ab(c");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("offset 4"), std::string::npos) << e.what();
    }
    EXPECT_THROW(TPcreRegEx("[z-a]"), Error);
}

TEST(PcreRegExTest, PropertiesAndReplacementCanChange) {
    TPcreRegEx re("(o)", preCaseLess | preSingleLine, "0");
    EXPECT_EQ(re.RegEx(), "(o)");
    EXPECT_EQ(re.Options(), preCaseLess | preSingleLine);
    EXPECT_EQ(re.Replacement(), "0");
    std::string text = "foO";
    re.ReplaceAll(text);
    EXPECT_EQ(text, "f00");
    re.SetReplacement("<$1>");
    text = "foO";
    re.ReplaceAll(text);
    EXPECT_EQ(text, "f<o><O>");
    TPcreRegEx moved = std::move(re);
    text = "o";
    EXPECT_TRUE(moved.ReplaceAll(text));
    EXPECT_EQ(text, "<o>");
}

// Matches longer than the search window, and matches across its edges, come
// out as an unbounded search gives them.
TEST(PcreRegExTest, LongMatchesAndMatchesAcrossWindowEdges) {
    const std::string longWord(100000, 'a');
    EXPECT_EQ(Replaced(R"(\{([^}]+)\})", "x{" + longWord + "}y", "[$1]"), "x[" + longWord + "]y");

    std::string text, expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string word(static_cast<std::size_t>(i % 37 + 1), static_cast<char>('a' + i % 26));
        text += "{" + word + "} ";
        expected += "[" + word + "] ";
    }
    EXPECT_EQ(Replaced(R"(\{([^}]+)\})", text, "[$1]"), expected);

    TPcreRegEx body("<B>(.*?)</B>", preSingleLine);
    const std::string page = std::string(700, '-') + "<B>" + std::string(5000, 'x') + "\n</B><B>z</B>";
    ASSERT_TRUE(body.FirstMatch(page));
    EXPECT_EQ(body.Group(1), std::string(5000, 'x') + "\n");
}

// Matches placed at every offset around the search window's size, and
// matches that begin inside the scan of a failed long attempt, are all found.
TEST(PcreRegExTest, MatchesAtEveryOffsetAroundTheWindowEdge) {
    for (std::size_t at = 0; at < 1600; ++at) {
        const std::string text = std::string(at, '-') + "{x}" + std::string(300, '-');
        ASSERT_EQ(Replaced(R"(\{([^}]+)\})", text, "[$1]"), std::string(at, '-') + "[x]" + std::string(300, '-'))
            << "match at " << at;
    }
    // "a" starts an attempt that scans to the end and fails (no "b"); the "c"
    // inside that scan must still be found, wherever the windows fall.
    for (std::size_t at = 0; at < 1200; at += 7) {
        for (std::size_t gap : {1u, 100u, 400u, 700u}) {
            const std::string text = std::string(at, '-') + "a" + std::string(gap, '-') + "c" + std::string(3000, '-');
            std::string expected = text;
            expected[at + 1 + gap] = 'C';
            ASSERT_EQ(Replaced("a.*b|c", text, "C"), expected) << at << " " << gap;
        }
    }
}

// A hostile text that makes every start position scan to the end of the text
// runs into the work limit; the text is left exactly as it was.
TEST(PcreRegExTest, HostileTextHitsTheLimitAndStaysUnchanged) {
    std::string hostile;
    for (int i = 0; i < 200000; ++i) hostile += "{\\i a";
    hostile += "]x}";
    TPcreRegEx re(R"(\{(?:\\[^\\{}]*)?\\i ?\[?([^}\]]+)\]?\})", preCaseLess, "[$1]");
    std::string text = hostile;
    EXPECT_FALSE(re.ReplaceAll(text));
    EXPECT_TRUE(re.LimitHit());
    EXPECT_EQ(text, hostile);
    EXPECT_FALSE(re.FirstMatch(hostile));
    EXPECT_TRUE(re.LimitHit());

    // The object stays usable, and a limit hit is not sticky.
    text = "{\\i ok}";
    EXPECT_TRUE(re.ReplaceAll(text));
    EXPECT_FALSE(re.LimitHit());
    EXPECT_EQ(text, "[ok]");
}

// Backtracking through nested groups is counted by PCRE2's match limit.
TEST(PcreRegExTest, CatastrophicBacktrackingHitsTheMatchLimit) {
    const std::string hostile = std::string(40, 'a') + "!";
    TPcreRegEx re("^(a|aa)+$", 0, "x");
    std::string text = hostile;
    EXPECT_FALSE(re.ReplaceAll(text));
    EXPECT_TRUE(re.LimitHit());
    EXPECT_EQ(text, hostile);
}

// The Windows-1252 classes of platform/ansi_char_tables reach PCRE2 as its
// character tables.
struct PcreClassCase {
    const char* pattern;
    TPcreOptions options;
    std::string subject;
    bool matches;
};

TEST(AnsiPcreTablesTest, CaselessMatchingAndClassesFollowWindows1252) {
    ASSERT_NE(AnsiPcreTables(), nullptr) << "the installed PCRE2 table layout was not recognised";
    const PcreClassCase cases[] = {
        {"\xC9t\xC9", preCaseLess, "\xE9t\xE9", true},   // ÉtÉ ~ été
        {"\xE9", preCaseLess, "\xC9", true},
        {"\xE9", 0, "\xC9", false},
        {"\x9A", preCaseLess, "\x8A", true},             // š ~ Š
        {"\xFF", preCaseLess, "\x9F", true},             // ÿ ~ Ÿ
        {"\x9C", preCaseLess, "\x8C", true},             // œ ~ Œ
        {"\xDF", preCaseLess, "SS", false},
        {"^\\d$", 0, "5", true},
        {"^\\d$", 0, "\xB2", false},                      // ²
        {"^\\s$", 0, "\t", true},
        {"^\\s$", 0, "\xA0", false},                      // no-break space
        {"^\\S$", 0, "\xA0", true},
        {"^\\w+$", 0, "\xE9t\xE9\x9A\x9F_1", true},
        {"^\\w$", 0, "\xD7", false},                      // ×
        {"^[[:upper:]]+$", 0, "\xC9\x8A\x9F", true},
        {"^[[:lower:]]+$", 0, "\xE9\x9A\xFF\xDF", true},
        {"^[[:alpha:]]$", 0, "\x80", false},              // €
        {"^[[:punct:]]$", 0, "\x97", true},               // —
        {"^[a-z]+$", preCaseLess, "ABC", true},
        {"^\\W$", 0, "\x81", true},
    };
    for (const PcreClassCase& c : cases) {
        TPcreRegEx re(c.pattern, c.options);
        EXPECT_EQ(re.FirstMatch(c.subject), c.matches) << c.pattern << " on " << c.subject;
    }
}

}  // namespace
}  // namespace tovra
