// gcc's sanitizer instrumentation makes the inlined copies of libstdc++'s
// std::regex automaton (used below as the reference the passes' regular
// expressions are compared with) trip -Wmaybe-uninitialized; the code named
// by the warning is the standard library's, not this file's.
#if defined(__GNUC__) && !defined(__clang__) && defined(__SANITIZE_ADDRESS__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "engine/text_passes.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "platform/ansi_char_tables.h"

namespace tovra {
namespace {

using namespace text_pass;

// A text of 1 to `maxParts` parts drawn from `parts`. With `runChance` > 0,
// one part in `runChance` comes as a run of up to `maxRun` - 1 copies, for
// long matches and long failing scans.
std::string RandomText(std::mt19937& random, const std::vector<std::string>& parts, int maxParts, int runChance = 0,
                       int maxRun = 0) {
    std::string text;
    const int count = static_cast<int>(random() % static_cast<unsigned>(maxParts)) + 1;
    for (int k = 0; k < count; ++k) {
        const std::string& part = parts[random() % parts.size()];
        const int repeat = runChance > 0 && random() % static_cast<unsigned>(runChance) == 0
                               ? static_cast<int>(random() % static_cast<unsigned>(maxRun))
                               : 1;
        for (int r = 0; r < repeat; ++r) text += part;
    }
    return text;
}

// Fails unless `pass` (a pass written out by hand) gives on `text` what
// `pattern` gives: the same text, and true exactly when the pattern
// replaced something.
template <class Pass>
void ExpectPassAgreesWithPattern(TPcreRegEx& pattern, Pass pass, const std::string& text) {
    std::string expected = text, actual = text;
    const bool patternReplaced = pattern.ReplaceAll(expected);
    ASSERT_EQ(pass(actual), patternReplaced) << text;
    ASSERT_EQ(actual, expected) << text;
}

// The italic pattern as first written, with runs that can give bytes back.
constexpr std::string_view kPlainItalicPattern = R"(\{(?:\\[^\\{}]*)?\\i ?\[?([^}\]]+)\]?\})";

TEST(UnicodeEscapesTest, EscapeBecomesMarkerAndThenCharacterReference) {
    const std::string marked = MarkUnicodeEscapes(R"(a\u8212?b\u233?)");
    EXPECT_EQ(marked, "a[tovraUC8212]b[tovraUC233]");
    EXPECT_EQ(UnmarkUnicodeEscapes(marked), "a&#8212;b&#233;");
}

TEST(UnicodeEscapesTest, OtherFormsAreNotMarked) {
    for (const std::string text : {R"(\u8212x)", R"(\u-8212?)", R"(\U8212?)", R"(\u?)", R"(u8212?)"}) {
        EXPECT_EQ(MarkUnicodeEscapes(text), text);
    }
    for (const std::string text : {"[tovraUC]", "[tovrauc12]", "[tovraUC-1]", "tovraUC12]"}) {
        EXPECT_EQ(UnmarkUnicodeEscapes(text), text);
    }
}

// The marker passes are written out by hand; on any text they give what
// their patterns give, long digit runs across the search windows included.
TEST(UnicodeEscapesTest, MarkersAgreeWithTheirPatterns) {
    struct Case {
        std::string_view pattern;
        std::string_view replacement;
        std::string (*pass)(std::string_view);
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {kMarkPattern, kMarkReplacement, [](std::string_view t) { return MarkUnicodeEscapes(t); },
         {"\\u", "\\U", "\\", "u", "12", "7", "?", "-", "x", "\xB2", "\xB9", "\\u1?"}},
        {kUnmarkPattern, kUnmarkReplacement, [](std::string_view t) { return UnmarkUnicodeEscapes(t); },
         {"[tovraUC", "[tovrauc", "[", "]", "34", "0", "x", "\xB3", "[tovraUC5]"}},
    };
    std::mt19937 random(5);
    for (const Case& c : cases) {
        TPcreRegEx regex(c.pattern, 0, c.replacement);
        for (int round = 0; round < 3000; ++round) {
            const std::string text = RandomText(random, c.parts, 16, 50, 700);
            std::string expected = text;
            regex.ReplaceAll(expected);
            ASSERT_FALSE(regex.LimitHit());
            ASSERT_EQ(c.pass(text), expected) << c.pattern << " on " << text;
            std::string inPlace = text;
            const bool replaced =
                c.pattern == kMarkPattern ? MarkUnicodeEscapes(inPlace) : UnmarkUnicodeEscapes(inPlace);
            ASSERT_EQ(replaced, expected != text);
            ASSERT_EQ(inPlace, expected);
        }
    }
}

TEST(BiblePassesTest, ItalicAndFootnoteGroups) {
    TBiblePasses passes;
    std::string text = R"(In {\i the} beginning{\cf6\super a})";
    EXPECT_TRUE(passes.ItalicGroups(text));
    EXPECT_EQ(text, R"(In [the] beginning{\cf6\super a})");
    EXPECT_TRUE(passes.FootnoteMarkers(text));
    EXPECT_EQ(text, R"(In [the] beginning\{a\})");

    std::string plain = R"(In the {\b beginning} {\cf6 a})";
    EXPECT_FALSE(passes.ItalicGroups(plain));
    EXPECT_FALSE(passes.FootnoteMarkers(plain));
    EXPECT_EQ(plain, R"(In the {\b beginning} {\cf6 a})");
}

struct PassCase {
    std::string subject;
    std::string expected;
};

TEST(BiblePassesTest, ItalicGroupForms) {
    const PassCase cases[] = {
        {R"({\i word})", "[word]"},
        {R"({\i[word]})", "[word]"},
        {R"({\i [two words]})", "[two words]"},
        {R"({\I Caps})", "[Caps]"},
        {R"({\cf15\i was})", "[was]"},
        {R"({\b\cf2\i x})", R"({\b\cf2\i x})"},  // one control word before \i at most
        {R"({\i\cf2 x})", R"([\cf2 x])"},
        {R"({\iend x})", "[end x]"},  // the blank after \i is optional
        {R"({\i })", "[ ]"},
        {"{\\i a\nb}", "[a\nb]"},
    };
    TBiblePasses passes;
    for (const PassCase& c : cases) {
        std::string text = c.subject;
        passes.ItalicGroups(text);
        EXPECT_EQ(text, c.expected) << c.subject;
    }
}

TEST(BiblePassesTest, FootnoteMarkerForms) {
    const PassCase cases[] = {
        {R"({\cf6\super 12})", R"(\{12\})"},
        {R"({\cf6\super a b})", R"(\{a b\})"},
        {R"({\CF6\super a})", R"({\CF6\super a})"},  // letter case counts
        {"{\\cf6\\super a\tb}", "{\\cf6\\super a\tb}"},
        {"{\\cf6\\super a\nb}", "{\\cf6\\super a\nb}"},
        {R"({\cf6\super })", R"({\cf6\super })"},
        {R"({\cf6\super a}{\cf6\super b})", R"(\{a\}\{b\})"},
    };
    TBiblePasses passes;
    for (const PassCase& c : cases) {
        std::string text = c.subject;
        passes.FootnoteMarkers(text);
        EXPECT_EQ(text, c.expected) << c.subject;
    }
}

// The italic pass is written out by hand; on any text it gives what its
// pattern gives: texts around and above the first search window, groups
// that never close, runs of opening groups, and texts on which the pattern
// stops at a limit and leaves the text as it was.
TEST(BiblePassesTest, ItalicGroupsAgreeWithTheirPattern) {
    const std::vector<std::string> parts = {"{", "}", "\\i", "\\I ", "{\\i", "{\\I[", "\\cf15", "\\cf11 H1234", " ",
                                            "[", "]", "]}", "word ", "\\", "\\ilvl", "\n", "\t", "{\\i ", "\xC9"};
    TBiblePasses passes;
    TPcreRegEx pattern(kItalicPattern, preCaseLess, kItalicReplacement);
    auto check = [&](const std::string& text) {
        ExpectPassAgreesWithPattern(pattern, [&](std::string& t) { return passes.ItalicGroups(t); }, text);
    };
    std::mt19937 random(17);
    for (int round = 0; round < 6000; ++round) {
        ASSERT_NO_FATAL_FAILURE(check(RandomText(random, parts, 24, 20, 120)));
    }
    // Verses padded to either side of the first window, with one group whose
    // attempt reads about as far as the scan may read on its own.
    for (std::size_t length = 470; length < 560; ++length) {
        for (std::size_t group : {200, 250, 254, 255, 256, 257, 300}) {
            std::string text = "{\\i " + std::string(group, 'a') + "}";
            text += std::string(length > text.size() ? length - text.size() : 0, 'x');
            ASSERT_NO_FATAL_FAILURE(check(text));
            ASSERT_NO_FATAL_FAILURE(check(std::string(length / 2, 'y') + text));
            text.back() = ']';
            ASSERT_NO_FATAL_FAILURE(check(text));
        }
    }
    std::string hostile;
    for (int i = 0; i < 100000; ++i) hostile += "{\\i a";
    ASSERT_NO_FATAL_FAILURE(check(hostile + "]x}"));
    ASSERT_TRUE(pattern.LimitHit());
    ASSERT_NO_FATAL_FAILURE(check(hostile + "]x} {\\i b}"));  // the group is lost with the limit
    ASSERT_TRUE(pattern.LimitHit());
    ASSERT_NO_FATAL_FAILURE(check(hostile + "}"));
}

// The prefix of control words before \i once could run across group
// boundaries: from the first group's opening brace to the last group's
// closing brace, losing everything between.
TEST(BiblePassesTest, ItalicGroupsDoNotRunIntoEachOther) {
    const std::string verse = R"(God {\i is} good and {\i his} mercy)";
    TPcreRegEx crossing(R"(\{(?:\\[^\\]*)?\\i ?\[?([^}\]]+)\]?\})", preCaseLess, "[$1]");
    std::string old = verse;
    crossing.ReplaceAll(old);
    EXPECT_EQ(old, "God [his] mercy");  // what the crossing prefix did

    TBiblePasses passes;
    std::string text = verse;
    EXPECT_TRUE(passes.ItalicGroups(text));
    EXPECT_EQ(text, "God [is] good and [his] mercy");

    text = R"({\i a} and {\i b})";
    passes.ItalicGroups(text);
    EXPECT_EQ(text, "[a] and [b]");
    text = R"({\cf15\i was} and {\b\i so})";
    passes.ItalicGroups(text);
    EXPECT_EQ(text, "[was] and [so]");
}

// Wherever the crossing prefix matched within one group, both patterns agree.
TEST(BiblePassesTest, ItalicMendAgreesOnSingleGroups) {
    TPcreRegEx crossing(R"(\{(?:\\[^\\]*)?\\i ?\[?([^}\]]+)\]?\})", preCaseLess, "[$1]");
    TBiblePasses passes;
    const char* parts[] = {"\\i", "\\i ", "\\cf15", "\\b", " ", "a", "[", "]", "x y", "\\ul0"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text = "pre {";
        const int count = static_cast<int>(random() % 5) + 1;
        for (int k = 0; k < count; ++k) text += parts[random() % std::size(parts)];
        text += "} post";
        std::string expected = text, actual = text;
        crossing.ReplaceAll(expected);
        passes.ItalicGroups(actual);
        ASSERT_EQ(actual, expected) << text;
    }
}

TEST(HtmlPassesTest, BodyTagColourGroupsAndUnderlines) {
    THtmlPasses passes;
    const PassCase bodyTags[] = {
        {R"(<html><body bgcolor="#FFFFFF" text="#000000">x</body>)", "<html><BODY>x</body>"},
        {"<BODY>", "<BODY>"},
        {"<Body\nclass=a>", "<BODY>"},
        {"<bodyx>", "<BODY>"},
        {"<bod>", "<bod>"},
    };
    for (const PassCase& c : bodyTags) {
        std::string text = c.subject;
        passes.BodyTag(text);
        EXPECT_EQ(text, c.expected) << c.subject;
    }
    const PassCase colour[] = {
        {R"(a {\cf11 word} b)", "a word b"},
        {R"({\cf11\ul linked})", "linked"},
        {R"({\cf11 \ul linked})", "linked"},
        {R"({\CF11 x})", "x"},
        {R"({\cf1 x})", R"({\cf1 x})"},
        {R"({\cf11 })", " "},
    };
    for (const PassCase& c : colour) {
        std::string text = c.subject;
        passes.Colour11Groups(text);
        EXPECT_EQ(text, c.expected) << c.subject;
    }
    const PassCase underlines[] = {
        {"<U>a_b</U>", "a_b"},
        {"<u>long_name_here</u>", "long_name_here"},
        {"<U>ab</U>", "<U>ab</U>"},
        {"<U>_ab</U>", "<U>_ab</U>"},
        {"<U>ab_</U>", "<U>ab_</U>"},
        {"<U>a_<b>c</b></U>", "<U>a_<b>c</b></U>"},
        {"<U>a_b</U> <U>c</U> <U>d_e</U>", "a_b <U>c</U> d_e"},
    };
    for (const PassCase& c : underlines) {
        std::string text = c.subject;
        passes.UnderlinedUnderscores(text);
        EXPECT_EQ(text, c.expected) << c.subject;
    }
}

// The body-tag pass is written out by hand; on any text it gives what its
// pattern gives: every letter case, tags that never close, long tags, texts
// around and above the first search window.
TEST(HtmlPassesTest, BodyTagsAgreeWithTheirPattern) {
    const std::vector<std::string> parts = {"<body", "<BODY", "<BoDy", "<bod", "y", ">", "<", " bgcolor=x", "\n",
                                            "body", "<body>", "x", "\xC9", "<p>", "</body>", "<b\xF3" "dy"};
    THtmlPasses passes;
    TPcreRegEx pattern(kBodyTagPattern, preCaseLess, kBodyTagReplacement);
    auto check = [&](const std::string& text) {
        ExpectPassAgreesWithPattern(pattern, [&](std::string& t) { return passes.BodyTag(t); }, text);
    };
    std::mt19937 random(23);
    for (int round = 0; round < 6000; ++round) {
        ASSERT_NO_FATAL_FAILURE(check(RandomText(random, parts, 24, 12, 300)));
    }
    // Tags whose ">" lies about where the scan stops reading on its own, in
    // texts on either side of the first window.
    for (std::size_t length = 470; length < 560; length += 3) {
        for (std::size_t attributes : {240, 245, 249, 250, 251, 252, 256, 300}) {
            std::string text = "<Body" + std::string(attributes, 'a') + ">";
            text += std::string(length > text.size() ? length - text.size() : 0, 'y');
            ASSERT_NO_FATAL_FAILURE(check(text));
            ASSERT_NO_FATAL_FAILURE(check(std::string(length / 2, 'z') + text));
            text.erase(text.find('>'), 1);
            ASSERT_NO_FATAL_FAILURE(check(text));
        }
    }
    std::string unclosed;
    for (int i = 0; i < 100000; ++i) unclosed += "<body";
    ASSERT_NO_FATAL_FAILURE(check(unclosed));
    ASSERT_NO_FATAL_FAILURE(check(unclosed + ">"));
}

TEST(HtmlPassesTest, FontTagsAreDeletedInAnyLetterCase) {
    THtmlPasses passes;
    std::string text = R"(<FONT face="Arial" size=2>a</font><Font>b</FoNt><fonts>c</fontx>)";
    EXPECT_TRUE(passes.FontTags(text));
    EXPECT_EQ(text, "abc");
    text = "<p>no fonts</p>";
    EXPECT_FALSE(passes.FontTags(text));
}

// The font-tag pass is written out by hand; on any text it gives what its
// pattern gives, texts with a tag that never closes included.
TEST(HtmlPassesTest, FontTagsAgreeWithTheirPattern) {
    const std::vector<std::string> parts = {"<font", "</FONT", "<FoNt size=2", ">", "<", "/", "f", "ont",
                                            "a", "\n", "<fonts", "<p>", "</p>", "\xC6", "<</font>"};
    THtmlPasses passes;
    TPcreRegEx pattern(kFontTagPattern, preCaseLess, "");
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        ASSERT_NO_FATAL_FAILURE(ExpectPassAgreesWithPattern(
            pattern, [&](std::string& t) { return passes.FontTags(t); }, RandomText(random, parts, 14, 60, 400)));
    }
}

TEST(HtmlPassesTest, EmptyParagraphs) {
    const PassCase cases[] = {
        {"a<p></p>b", "ab"},
        {"<p>&nbsp;</p>", ""},
        {"<p><i> &nbsp; </i></p>", ""},
        {"<P><B>\r\n&NBSP;\t</B></P>", ""},
        {"<p><b></i></p>", ""},
        {"<p>&nbsp;&nbsp;</p>", "<p>&nbsp;&nbsp;</p>"},
        {"<p>\xA0</p>", "<p>\xA0</p>"},  // a no-break space byte is content
        {"<p>x</p>", "<p>x</p>"},
        {"<p><u></u></p>", "<p><u></u></p>"},
        {"<p class=x></p>", "<p class=x></p>"},
    };
    THtmlPasses passes;
    for (const PassCase& c : cases) {
        std::string text = c.subject;
        passes.EmptyParagraphs(text);
        EXPECT_EQ(text, c.expected) << c.subject;
    }
}

// The empty-paragraph pass is written out by hand; on any text it gives what
// its pattern gives: every letter case, every white-space byte of the ANSI
// tables and bytes that are not white space there, long runs of blanks, and
// texts around and above the first search window.
TEST(HtmlPassesTest, EmptyParagraphsAgreeWithTheirPattern) {
    const std::vector<std::string> parts = {"<p>", "<P>", "</p>", "</P>", "<i>", "<B>", "</i>", "</b>", "</I>",
                                            "<u>", " ", "\t", "\n", "\r", "\v", "\f", "\xA0", "\x85", "&nbsp;",
                                            "&NBSP;", "&nBsP;", "&nbsp", "x", "<", "</", "<p", "\xC9"};
    THtmlPasses passes;
    TPcreRegEx pattern(kEmptyParagraphPattern, preCaseLess, "");
    auto check = [&](const std::string& text) {
        ExpectPassAgreesWithPattern(pattern, [&](std::string& t) { return passes.EmptyParagraphs(t); }, text);
    };
    std::mt19937 random(19);
    for (int round = 0; round < 6000; ++round) {
        ASSERT_NO_FATAL_FAILURE(check(RandomText(random, parts, 24, 12, 300)));
    }
    // Paragraphs whose white space ends about where the scan stops reading on
    // its own, in texts on either side of the first window.
    for (std::size_t length = 470; length < 560; length += 3) {
        for (std::size_t blanks : {240, 245, 248, 249, 250, 251, 252, 256, 300}) {
            for (const char* close : {"</p>", "</i></p>", "&nbsp;</p>", "x</p>"}) {
                std::string text = "<p>" + std::string(blanks, ' ') + close;
                text += std::string(length > text.size() ? length - text.size() : 0, 'y');
                ASSERT_NO_FATAL_FAILURE(check(text));
                ASSERT_NO_FATAL_FAILURE(check(std::string(length / 2, 'z') + text));
            }
        }
    }
    ASSERT_NO_FATAL_FAILURE(check("<p>" + std::string(300000, ' ') + "x</p>"));
    ASSERT_NO_FATAL_FAILURE(check("<p>" + std::string(300000, '\t') + "</p>!<p></p>"));
}

// The two patterns written against quadratic backtracking give what their
// plain forms give.
TEST(HtmlPassesTest, LinearFormsAgreeWithThePlainPatterns) {
    struct Pair {
        const char* plain;
        std::string_view linear;
        std::string replacement;
        std::vector<std::string> parts;
    };
    const Pair pairs[] = {
        {"<U>([^<]+_[^<]+)</U>", kUnderlinePattern, "[$1]", {"<U>", "</U>", "<u>", "</u>", "_", "a", "<", " ", "__"}},
        {R"(<p>(?:<[ib]>)?\s*(?:&nbsp;)?\s*(?:</[ib]>)?</p>)", kEmptyParagraphPattern, "[]",
         {"<p>", "</p>", "<i>", "</b>", " ", "\n", "&nbsp;", "&NBSP;", "x", "<", "\xA0"}},
        {kPlainItalicPattern.data(), kItalicPattern, "[$1]",
         {"{", "}", "\\i", "\\I ", "\\cf15", "\\cf11 H1234", " ", "[", "]", "word", "\\", "\\ilvl"}},
    };
    std::mt19937 random(11);
    for (const Pair& pair : pairs) {
        TPcreRegEx plain(pair.plain, preCaseLess, pair.replacement);
        TPcreRegEx linear(pair.linear, preCaseLess, pair.replacement);
        for (int round = 0; round < 4000; ++round) {
            const std::string text = RandomText(random, pair.parts, 12);
            std::string expected = text, actual = text;
            plain.ReplaceAll(expected);
            linear.ReplaceAll(actual);
            ASSERT_EQ(actual, expected) << pair.plain << " on " << text;
        }
    }
}

// Long texts, so that matches fall across the edges of the search windows,
// give what an independent backtracking engine gives.
TEST(TextPassesTest, LongTextsAgreeWithAnotherEngine) {
    struct Case {
        std::string_view pattern;
        std::string_view plain;  // the same without possessive runs, which the other engine lacks
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {kItalicPattern, kPlainItalicPattern, {"{", "}", "\\i ", "\\i", "\\b", "[", "]", "word ", "aa", "\\cf15"}},
        {kFootnotePattern, kFootnotePattern, {"{", "}", "\\cf6\\super ", "12", "a ", "\t", "\n", "\\cf6"}},
        {kColour11Pattern, kColour11Pattern, {"{", "}", "\\cf11 ", "\\ul", " ", "text", "\\cf1"}},
    };
    std::mt19937 random(3);
    for (const Case& c : cases) {
        TPcreRegEx ours(c.pattern, 0, "[$1]");
        const std::regex other{std::string(c.plain)};
        for (int round = 0; round < 40; ++round) {
            std::string text;
            while (text.size() < 2500) {
                // Runs of one part make long matches and long failing scans.
                const std::string& part = c.parts[random() % c.parts.size()];
                const int repeat = random() % 8 == 0 ? static_cast<int>(random() % 200) : 1;
                for (int k = 0; k < repeat; ++k) text += part;
            }
            std::string actual = text;
            ours.ReplaceAll(actual);
            ASSERT_FALSE(ours.LimitHit());
            ASSERT_EQ(actual, std::regex_replace(text, other, "[$1]")) << c.pattern;
        }
    }
}

TEST(ExtractBodyTest, KeepsThePartInsideTheFirstUpperCaseBody) {
    const PassCase cases[] = {
        {"<HTML><BODY>verse</BODY></HTML>", "verse"},
        {"<HTML>\r\n<BODY bgcolor=x>\r\n<p>a</p>\r\n</BODY>\r\n</HTML>", "\r\n<p>a</p>\r\n"},
        {"<BODY>one</BODY><BODY>two</BODY>", "one"},
        {"<BODY></BODY>", ""},
        {"<html><body>lower</body></html>", "<html><body>lower</body></html>"},
        {"<BODY>no end", "<BODY>no end"},
        {"", ""},
    };
    for (const PassCase& c : cases) EXPECT_EQ(ExtractBody(c.subject), c.expected) << c.subject;
}

TEST(PlainReplacementTest, ReplacesEveryOccurrenceIgnoringCase) {
    struct Case {
        std::string text, find, replacement, expected;
    };
    const Case cases[] = {
        {R"(a\par b\PAR c\Par)", R"(\par)", "<p>&nbsp;</p>", "a<p>&nbsp;</p> b<p>&nbsp;</p> c<p>&nbsp;</p>"},
        {R"(\pard x)", R"(\par)", "<p>&nbsp;</p>", "<p>&nbsp;</p>d x"},
        {"<DIV class=X><div>Y</Div></DIV>", "<DIV", "<p", "<p class=X><p>Y</Div></DIV>"},
        {"<p class=X><p>Y</Div></DIV>", "</DIV>", "</p>", "<p class=X><p>Y</p></p>"},
        {"aaa", "a", "aa", "aaaaaa"},            // the replacement is not searched
        {"AbAbab", "ab", "", ""},
        {"\xE9t\xC9", "\xC9", "e", "ete"},       // ANSI upper-casing, not ASCII
        {"\xFF\x9F", "\x9F", "Y", "YY"},
        {"abc", "", "x", "abc"},
        {"ab", "abc", "x", "ab"},
        {"", "a", "x", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceTextIgnoringCase(c.text, c.find, c.replacement), c.expected) << c.text;
    }
}

// The one-scan paragraph replacements give what the three replacements
// give one after the other, on texts where the parts touch and overlap,
// short ones and ones long enough to be scanned sixteen bytes at a time.
TEST(PlainReplacementTest, ParagraphMarkupInOneScanEqualsThreeReplacements) {
    const std::vector<std::string> parts = {"<",    "\\",     "DIV", "div", "/",   ">",   "PAR", "par",
                                            "\\par", "<DIV", "</div>", "x", "\xE9", "<p>", " ",   "d",
                                            "P",    "\xF0",  "\xD0", "<b>", "</font>"};
    std::mt19937 random(13);
    std::string scratch;
    for (int round = 0; round < 10000; ++round) {
        const std::string text = RandomText(random, parts, round % 2 ? 12 : 60);
        std::string expected = ReplaceTextIgnoringCase(text, "\\par", "<p>&nbsp;</p>");
        expected = ReplaceTextIgnoringCase(expected, "<DIV", "<p");
        expected = ReplaceTextIgnoringCase(expected, "</DIV>", "</p>");
        std::string actual = text;
        ASSERT_EQ(ReplaceParagraphMarkup(actual, scratch), expected != text) << text;
        ASSERT_EQ(actual, expected) << text;
    }
}

// The one-scan replacement looks only at "<" and backslashes followed by
// "D", "/" or "P" in either letter case: no other byte may upper-case to
// one of the bytes its three strings start with.
TEST(PlainReplacementTest, OnlyAsciiLettersUpperCaseToTheMarkupsFirstBytes) {
    const unsigned char* upper = AnsiCharTables::Get().UpperTable();
    for (int b = 0; b < 256; ++b) {
        const unsigned char u = upper[b];
        if (u == '<' || u == '\\' || u == '/') {
            EXPECT_EQ(b, u) << b;
        }
        if (u == 'D' || u == 'P') {
            EXPECT_TRUE(b == u || b == (u | 0x20)) << b;
        }
    }
}

TEST(PlainReplacementTest, ParagraphMarkBecomesAnEmptyParagraphThatIsDeleted) {
    std::string text = ReplaceTextIgnoringCase(R"(<p>one</p>\par<p>two</p>)", R"(\par)", "<p>&nbsp;</p>");
    EXPECT_EQ(text, "<p>one</p><p>&nbsp;</p><p>two</p>");
    THtmlPasses passes;
    EXPECT_TRUE(passes.EmptyParagraphs(text));
    EXPECT_EQ(text, "<p>one</p><p>two</p>");
}

// Texts built to make the passes scan or backtrack without end are left as
// they are.
TEST(TextPassesTest, HostileEntriesAreLeftUnchanged) {
    std::string italics;
    for (int i = 0; i < 100000; ++i) italics += "{\\i a";
    italics += "]x}";
    TBiblePasses bible;
    std::string text = italics;
    EXPECT_FALSE(bible.ItalicGroups(text));
    EXPECT_TRUE(bible.italicGroups.LimitHit());
    EXPECT_EQ(text, italics);

    std::string notes;
    for (int i = 0; i < 100000; ++i) notes += "{\\cf6\\super a";
    notes += "\n}";
    text = notes;
    EXPECT_FALSE(bible.FootnoteMarkers(text));
    EXPECT_EQ(text, notes);

    std::string bodies;
    for (int i = 0; i < 100000; ++i) bodies += "<BODY>";
    EXPECT_EQ(ExtractBody(bodies), bodies);

    // Long runs that the plain forms of these patterns backtrack through
    // quadratically cost linear time and still give the right answer.
    THtmlPasses html;
    const std::string underscores = "<U>" + std::string(300000, '_') + "<x";
    text = underscores;
    EXPECT_FALSE(html.UnderlinedUnderscores(text));
    EXPECT_EQ(text, underscores);
    const std::string blanks = "<p>" + std::string(300000, ' ') + "x</p>";
    text = blanks;
    EXPECT_FALSE(html.EmptyParagraphs(text));
    EXPECT_EQ(text, blanks);
    text = "<p>" + std::string(300000, ' ') + "</p>!";
    EXPECT_TRUE(html.EmptyParagraphs(text));
    EXPECT_EQ(text, "!");
}

}  // namespace
}  // namespace tovra
