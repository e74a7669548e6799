// The reader's body text as characters: how \u escapes and their fallbacks
// are counted, how 8-bit text is decoded with the code page of its font,
// what a character without an ANSI byte becomes, and the white space that
// lays out the font table.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/rtf_recorder.h"

namespace tovra {
namespace {

using test_support::RtfRecorder;

// Writes a character that Windows-1252 lacks as "<U+hex>".
void Tag(char32_t cp, std::string& out) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "<%X>", static_cast<unsigned>(cp));
    out += buf;
}

struct TextCase {
    const char* name;
    std::string input;
    std::string expected;  // the recorder's log
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

const char kFonts[] =
    "{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Cyr;}{\\f2\\fcharset161 Greek;}{\\f3\\fcharset128 Jp;}"
    "{\\f4\\fcharset2 Symbol;}}";

std::string WithFonts(const std::string& body) { return std::string("{\\rtf1\\ansi\\deff0") + kFonts + body + "}"; }

const TextCase kTextCases[] = {
    // Fallbacks are counted per \uc: a plain character, a hex pair, a
    // control word or a control symbol is one; braces end the skip.
    {"ControlSymbolIsOneFallback", R"({\rtf1 \u955\~x\u955\{y})", "P:<3BB>x<3BB>y"},
    {"ApostropheCountsWithItsPair", R"({\rtf1\uc2 \u955\'e1\'e2x})", "P:<3BB>x"},
    {"UcIsRestoredWhenItsGroupCloses", R"({\rtf1 {\uc0 \u955?}\u955?z})", "P:<3BB>? C:<3BB>z"},
    {"UcOutlivesAGroupOpenedAfterIt", R"({\rtf1\uc2 {\u955 ab}c})", "P:<3BB> C:c"},
    {"SkipEndsAtABrace", R"({\rtf1\uc3 \u955{\b x}})", "P:<3BB> C:x/b"},
    {"LineEndsDoNotCountAsFallback", "{\\rtf1 \\u955\r\n?x}", "P:<3BB>x"},
    {"EscapeOfALineEndBreaksTheParagraph", R"({\rtf1 a\u10 ?b})", "P:a P:b"},
    {"EscapeOfZeroIsNothing", R"({\rtf1 a\u0 ?b})", "P:ab"},
    {"WideQuotesKeepTheirFallbacks", R"({\rtf1 \lquote x\rquote})", "P:'x'"},

    // 8-bit text follows the font of the moment.
    {"EachFontItsCodePage", WithFonts(R"(\f1 \'c0{\f2 \'c1}{\f0 \'c0}{\f3 \'82\'a0}{\f4 \'c0})"),
     "P:<410> C:<391> C:\xC0 C:<3042> C:\xC0"},
    {"UnknownFontNumberUsesTheDefaultFont", R"({\rtf1{\fonttbl{\f0\fcharset204 Cyr;}}\f9 \'c0})", "P:<410>"},
    {"NoFontTableUsesTheDocumentCodePage", R"({\rtf1\ansicpg1251 \'c0})", "P:<410>"},
    {"UnknownDocumentCodePageKeepsTheBytes", R"({\rtf1\ansicpg4242 \'c0})", "P:\xC0"},
    {"OemDocument", R"({\rtf1\pc \'81\'b3})", "P:\xFC<2502>"},
    {"RawDoubleByteText", WithFonts("\\f3 \x82\xa0\x82\xa2"), "P:<3042><3044>"},
    {"TrailByteAsEscapedBrace", WithFonts(R"(\f3 \'82\{)"), "P:<FFFD>{"},
    {"LeadByteThenUnicodeEscape", WithFonts(R"(\f3 \'82\u955?)"), "P:<FFFD><3BB>"},
    {"LeadByteThenParagraph", WithFonts(R"(\f3 \'82\par x)"), "P:<FFFD> P:x"},
    {"TwoBadBytesAreOneCharacter", WithFonts(R"(\f3 \'82\'ff)"), "P:<FFFD>"},
    {"TextSymbolsAfterALeadByte", WithFonts(R"(\f3 \'82\~)"), "P:<FFFD>\xA0"},
};

class RtfTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfTextTest, ReportsCharacters) {
    const TextCase& c = GetParam();
    TRDRTFReader reader;
    RtfRecorder recorder;
    recorder.Attach(reader);
    reader.UnmappableChar = &Tag;
    EXPECT_EQ(reader.ReadStream(c.input), rtf_st_Ok);
    EXPECT_EQ(recorder.log, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RtfTextTest, ::testing::ValuesIn(kTextCases),
                         [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

TEST(RtfTextTest, WithoutAHandlerAMissingCharacterIsAQuestionMark) {
    TRDRTFReader reader;
    RtfRecorder recorder;
    recorder.Attach(reader);
    ASSERT_EQ(reader.ReadStream(R"({\rtf1 \u955 ?\u233 ?\'e9})"), rtf_st_Ok);
    EXPECT_EQ(recorder.log, "P:?\xE9\xE9");
}

// A double-byte character whose lead byte ends one 4096-byte block of input
// and whose trail byte begins the next, raw and escaped.
TEST(RtfTextTest, DoubleByteCharacterAcrossBlocks) {
    for (const std::string& character : {std::string("\x82\xa0"), std::string("\\'82\\'a0")}) {
        const std::string head = "{\\rtf1{\\fonttbl{\\f0\\fcharset128 Jp;}}\\f0 ";
        const size_t split = character.size() / 2;
        std::string input = head + std::string(4096 - head.size() - split, 'a');
        input += character + "b}";
        ASSERT_EQ(input.find(character), 4096 - split);
        TRDRTFReader reader;
        std::string text;
        reader.OnNewText = [&](TRDRTFReader&, std::string_view t, TRDRTFPosition) { text += t; };
        reader.UnmappableChar = &Tag;
        ASSERT_EQ(reader.ReadStream(input), rtf_st_Ok);
        EXPECT_TRUE(text.ends_with("aa<3042>b")) << character;
    }
}

TEST(RtfTextTest, FontTableLayoutIsNoPartOfTheNames) {
    const char* const inputs[] = {
        "{\\rtf1{\\fonttbl  {\\f0 Arial;}   {\\f1\\fcharset204 Times New Roman;}}x}",
        "{\\rtf1{\\fonttbl\r\n\t{\\f0 Arial;}\r\n\t{\\f1\\fcharset204 Times New Roman;}\r\n}x}",
        "{\\rtf1{\\fonttbl{\\f0 Arial} {\\f1\\fcharset204 Times New Roman}}x}",
        "{\\rtf1{\\fonttbl\\f0 Arial; \\f1\\fcharset204 Times New Roman;}x}",
    };
    for (const char* input : inputs) {
        TRDRTFReader reader;
        ASSERT_EQ(reader.ReadStream(input), rtf_st_Ok) << input;
        ASSERT_EQ(reader.Fonts().size(), 2u) << input;
        EXPECT_EQ(reader.Fonts()[0].Name, "Arial") << input;
        EXPECT_EQ(reader.Fonts()[1].Name, "Times New Roman") << input;
        EXPECT_EQ(reader.Fonts()[1].Charset, 204) << input;
    }
    // Other text before the first font still ends reading; symbols in a
    // name are its bytes.
    TRDRTFReader reader;
    EXPECT_EQ(reader.ReadStream("{\\rtf1{\\fonttbl x{\\f0 Arial;}}y}"), rtf_st_Exception);
    ASSERT_EQ(reader.ReadStream("{\\rtf1{\\fonttbl{\\f0 A\\~B\\_C;}}y}"), rtf_st_Ok);
    EXPECT_EQ(reader.Fonts()[0].Name, "A\xA0" "B-C");
}

// Body text is taken in stretches that end at the first byte that is markup
// or a line end (a backslash, a brace, CR, LF or NUL): wherever in a long
// run such a byte falls, it ends the stretch and is never taken as text.
TEST(RtfTextTest, EveryMarkupByteEndsAStretchOfTextWhereverItFalls) {
    const struct {
        std::string markup;
        std::string text;  // what the markup reads as
    } kinds[] = {{"\r", ""}, {"\n", ""}, {std::string(1, '\0'), ""}, {"{}", ""}, {"\\~", "\xA0"}, {"\\'41", "A"}};
    // The text of the recorder's runs, without their position letters.
    auto textOf = [](const std::string& log) {
        std::string text;
        for (size_t at = 0; at < log.size();) {
            size_t end = log.find(' ', at);
            if (end == std::string::npos) end = log.size();
            text += log.substr(at + 2, end - at - 2);
            at = end + 1;
        }
        return text;
    };
    for (const auto& kind : kinds) {
        for (size_t before = 0; before < 40; ++before) {
            const std::string a(before, 'a'), b(40 - before, 'b');
            TRDRTFReader reader;
            RtfRecorder recorder;
            recorder.Attach(reader);
            ASSERT_EQ(reader.ReadStream("{\\rtf1 " + a + kind.markup + b + "}"), rtf_st_Ok);
            ASSERT_EQ(textOf(recorder.log), a + kind.text + b) << recorder.log;
        }
    }
}

// Hostile input stays linear: every byte a lead byte, escapes without
// numbers or with huge counts, all in one long run.
TEST(RtfTextTest, HostileTextIsReadInOnePass) {
    std::string body;
    for (int i = 0; i < 20000; ++i) body += "\x81\\'81\\u\\u-\\uc-9 \\u-10179 x\\'c7 \\uc1 \\u-10179 ";
    const std::string input =
        "{\\rtf1{\\fonttbl{\\f0\\fcharset129 K;}}\\f0 " + body + "\\uc2147483647 \\u955 " + body + "}";
    TRDRTFReader reader;
    size_t bytes = 0;
    reader.OnNewText = [&](TRDRTFReader&, std::string_view t, TRDRTFPosition) { bytes += t.size(); };
    reader.UnmappableChar = &Tag;
    EXPECT_EQ(reader.ReadStream(input), rtf_st_Ok);
    EXPECT_GT(bytes, 0u);
}

}  // namespace
}  // namespace tovra
