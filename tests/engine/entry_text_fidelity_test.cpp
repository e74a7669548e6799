// Every character an entry's RTF means reaches the output file: Unicode
// escapes in all their forms, 8-bit text in the code page of its font or
// document, the no-break space and the non-breaking hyphen. A character
// that Windows-1252 has is written as its byte, any other as a decimal
// character reference, whichever way the RTF wrote it. Each case goes
// through the whole conversion phase, as a dictionary entry (the HTML
// body) or as a Bible verse (the text).
#include "engine/conversion_phase.h"

#include <gtest/gtest.h>

#include "support/entry_lines.h"
#include "support/recording_log.h"

namespace tovra {
namespace {

using Lines = std::vector<std::string>;

// A document with one font of the given charset, selected.
std::string InFont(int charset, const std::string& body) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset" + std::to_string(charset) + " Font;}}\\f0 " + body +
           "}";
}

struct FidelityCase {
    const char* name;
    ModuleKind kind;  // Dictionary: the HTML body; Bible: the verse text
    std::string input;
    std::string expected;
};

void PrintTo(const FidelityCase& c, std::ostream* os) { *os << c.name; }

// The body of a page written without font tags: the lines between "<BODY>"
// and "</BODY></HTML>" that are not empty, joined by line feeds.
std::string BodyOf(const Lines& page) {
    std::string body;
    bool inside = false;
    for (const std::string& line : page) {
        if (line == "</BODY></HTML>") break;
        if (inside && !line.empty()) body += (body.empty() ? "" : "\n") + line;
        if (line == "<BODY>") inside = true;
    }
    return body;
}

std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

const FidelityCase kCases[] = {
    // Unicode escapes.
    {"PlainEscapeAsBefore", ModuleKind::Dictionary, "{\\rtf1 a\\u8212?b}", "<p>a&#8212;b</p>"},
    {"NegativeEscape", ModuleKind::Dictionary, "{\\rtf1 a\\u-27108?b}", "<p>a&#38428;b</p>"},
    {"KoreanAboveU7FFF", ModuleKind::Dictionary, "{\\rtf1 \\u-10916?\\u-21139?}", "<p>&#54620;&#44397;</p>"},
    {"SpaceBeforeTheFallback", ModuleKind::Dictionary, "{\\rtf1 \\u945 ?\\u946 ?}", "<p>&#945;&#946;</p>"},
    {"UcZeroHasNoFallback", ModuleKind::Dictionary, "{\\rtf1\\uc0 \\u945\\u946 ?}", "<p>&#945;&#946;?</p>"},
    {"UcTwoSkipsATwoByteFallback", ModuleKind::Dictionary, "{\\rtf1\\uc2 \\u20320\\'c4\\'e3x}", "<p>&#20320;x</p>"},
    {"HexFallback", ModuleKind::Dictionary, "{\\rtf1 \\u1044\\'c4x}", "<p>&#1044;x</p>"},
    {"SeveralCharactersOfFallback", ModuleKind::Dictionary, "{\\rtf1\\uc3 \\u8364 EURx}", "<p>\x80x</p>"},
    {"ControlWordAsFallbackCountsOne", ModuleKind::Dictionary, "{\\rtf1 a\\u8220\\ldblquote b}", "<p>a\x93" "b</p>"},
    {"UcEndsWithItsGroup", ModuleKind::Dictionary, "{\\rtf1 {\\uc2 \\u945 ??}\\u946 ?x}", "<p>&#945;&#946;x</p>"},
    {"SurrogatePairIsOneReference", ModuleKind::Dictionary, "{\\rtf1 \\u-10179?\\u-8704?}", "<p>&#128512;</p>"},
    {"EscapeOfAWindows1252CharacterIsItsByte", ModuleKind::Dictionary, "{\\rtf1 caf\\u233 ?}", "<p>caf\xE9</p>"},
    {"MixedWithPlainEscapes", ModuleKind::Dictionary,
     "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\u8212?\\'c0\\u-27108?b\\u955?\\u1488?}",
     "<p>&#8212;&#1040;&#38428;b&#955;&#1488;</p>"},

    // 8-bit text in the code page of its font, or of the document.
    {"CyrillicCharset", ModuleKind::Dictionary, InFont(204, "\\'d2\\'e0\\'e1\\'eb\\'e8\\'f6\\'ff \\'97 1"),
     "<p>&#1058;&#1072;&#1073;&#1083;&#1080;&#1094;&#1103; \x97 1</p>"},
    {"CyrillicDocumentCodePage", ModuleKind::Dictionary,
     "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}",
     "<p>&#1055;&#1088;&#1080;&#1074;&#1077;&#1090;</p>"},
    {"CyrillicRawBytes", ModuleKind::Dictionary, InFont(204, "\xcf\xf0\xe8"), "<p>&#1055;&#1088;&#1080;</p>"},
    {"GreekCharset", ModuleKind::Dictionary, InFont(161, "\\'e1\\'e3\\'dc\\'f0\\'e7"),
     "<p>&#945;&#947;&#940;&#960;&#951;</p>"},
    {"HebrewCharset", ModuleKind::Dictionary, InFont(177, "\\'f9\\'ec\\'e5\\'ed"), "<p>&#1513;&#1500;&#1493;&#1501;</p>"},
    {"CentralEuropeanCharset", ModuleKind::Dictionary, InFont(238, "\\'8a\\'e9\\'f8"), "<p>\x8A\xE9&#345;</p>"},
    {"ShiftJisTwoEscapesPerCharacter", ModuleKind::Dictionary, InFont(128, "\\'82\\'a0\\'82\\'a2"),
     "<p>&#12354;&#12356;</p>"},
    {"ShiftJisTrailInTheAsciiRange", ModuleKind::Dictionary, InFont(128, "\\'83A\\'95\\'5c\\'95\\\\"),
     "<p>&#12450;&#34920;&#34920;</p>"},
    {"ShiftJisHalfWidthKatakanaIsOneByte", ModuleKind::Dictionary, InFont(128, "\\'b1"), "<p>&#65393;</p>"},
    {"ChineseSimplified", ModuleKind::Dictionary, InFont(134, "\\'c4\\'e3\\'ba\\'c3"), "<p>&#20320;&#22909;</p>"},
    {"ChineseTraditional", ModuleKind::Dictionary, InFont(136, "\\'a4\\'a4"), "<p>&#20013;</p>"},
    {"Korean", ModuleKind::Dictionary, InFont(129, "\\'c7\\'d1"), "<p>&#54620;</p>"},
    {"MacDocument", ModuleKind::Dictionary, "{\\rtf1\\mac \\'8a\\'d0}", "<p>\xE4\x96</p>"},
    {"SymbolFontKeepsItsBytes", ModuleKind::Dictionary, InFont(2, "\\'61\\'e1"), "<p>a\xE1</p>"},
    {"UnknownCharsetUsesTheDocumentCodePage", ModuleKind::Dictionary, InFont(99, "caf\\'e9"), "<p>caf\xE9</p>"},

    // Symbols.
    {"NoBreakSpace", ModuleKind::Dictionary, "{\\rtf1 non\\~breaking}", "<p>non\xA0" "breaking</p>"},
    {"NonBreakingHyphen", ModuleKind::Dictionary, "{\\rtf1 well\\_known}", "<p>well-known</p>"},
    {"OptionalHyphenStaysInvisible", ModuleKind::Dictionary, "{\\rtf1 hy\\-phen}", "<p>hyphen</p>"},
    {"QuotesKeepTheirPlainForms", ModuleKind::Dictionary, "{\\rtf1 \\ldblquote a\\rdblquote\\emdash}",
     "<p>\"a\"-</p>"},

    // White space around the entries of the tables.
    {"PrettyPrintedFontTable", ModuleKind::Dictionary,
     "{\\rtf1\\ansi\\deff0{\\fonttbl\r\n  {\\f0\\fswiss Arial;}\r\n  {\\f1\\froman\\fcharset204 Times New Roman;}\r\n}\r\n"
     "{\\colortbl ;\r\n  \\red255\\green0\\blue0;\r\n}\r\n{\\stylesheet\r\n  {\\s0 Normal;}\r\n}\r\n\\f1 \\'c0}",
     "<p>&#1040;</p>"},

    // Bible verses: the same forms as text.
    {"BibleNegativeEscape", ModuleKind::Bible, "In \\u-27108?x", "In &#38428;x"},
    {"BibleSurrogatePair", ModuleKind::Bible, "a \\u-10179?\\u-8704? b", "a &#128512; b"},
    {"BibleDocumentCodePage", ModuleKind::Bible, "\\ansicpg1253 \\'e1\\'e3\\'dc\\'f0\\'e7",
     "&#945;&#947;&#940;&#960;&#951;"},
    {"BibleMixedWithPlainEscapes", ModuleKind::Bible, "\\u1513?\\u-1238?\\u1493 ?\\u8212?", "&#1513;&#64298;&#1493;&#8212;"},
    {"BibleNoBreakSpaceAndHyphen", ModuleKind::Bible, "a\\~b\\_c", "a\xA0" "b-c"},

    // Bad input: what cannot be decoded becomes U+FFFD's reference.
    // A \u without a number stands for nothing, and still has a fallback.
    {"EscapeWithoutNumber", ModuleKind::Dictionary, "{\\rtf1 a\\u bc}", "<p>ac</p>"},
    {"EscapeWithOnlyASign", ModuleKind::Dictionary, "{\\rtf1 a\\u-}", "<p>a</p>"},
    {"NegativeUc", ModuleKind::Dictionary, "{\\rtf1\\uc-5 \\u945 ab}", "<p>&#945;ab</p>"},
    {"HugeUcSkipsToTheGroupEnd", ModuleKind::Dictionary, "{\\rtf1{\\uc2147483647 \\u945 ab\\par cd}e}",
     "<p>&#945;e</p>"},
    {"EscapeBeyondUnicode", ModuleKind::Dictionary, "{\\rtf1 \\u2000000 ?\\u-40000?}", "<p>&#65533;&#65533;</p>"},
    {"LoneLowSurrogate", ModuleKind::Dictionary, "{\\rtf1 \\u-8704?x}", "<p>&#65533;x</p>"},
    {"HighSurrogateWithoutItsPair", ModuleKind::Dictionary, "{\\rtf1 \\u-10179?x\\u-10179?}",
     "<p>&#65533;x&#65533;</p>"},
    {"LeadByteBeforeAnAsciiByte", ModuleKind::Dictionary, InFont(128, "\\'82 x"), "<p>&#65533; x</p>"},
    {"LeadByteAtTheEnd", ModuleKind::Dictionary, InFont(129, "a\\'c7"), "<p>a&#65533;</p>"},
    {"LeadByteBeforeAFormattingChange", ModuleKind::Dictionary, InFont(134, "\\'c4{\\b \\'e3}"),
     "<p>&#65533;<B>&#65533;</B></p>"},
    {"UndefinedByteOfASingleByteCodePage", ModuleKind::Dictionary, InFont(161, "\\'aa"), "<p>&#65533;</p>"},
};

class EntryTextFidelityTest : public ::testing::TestWithParam<FidelityCase> {};

TEST_P(EntryTextFidelityTest, ReachesTheOutput) {
    const FidelityCase& c = GetParam();
    TEntryConverter converter;
    test_support::RecordingLog log;
    bool hasItalics = false, hasFootnotes = false;
    EntryList entries;
    entries.Append("Entry").TakeText(std::string(c.input));
    converter.ConvertEntries(c.kind, entries, true, hasItalics, hasFootnotes, log);
    const Lines out = test_support::LinesOf(entries.At(0));
    EXPECT_EQ(c.kind == ModuleKind::Bible ? Joined(out) : BodyOf(out), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Forms, EntryTextFidelityTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FidelityCase>& info) { return info.param.name; });

// The Access reader writes a character outside Windows-1252 as a \u escape
// with the whole code point; the same character written by an RTF writer
// in any other form gives the same reference.
TEST(EntryTextFidelity, EveryRouteGivesTheSameReference) {
    const std::vector<std::pair<std::string, std::string>> routes = {
        {"\\u128512?", "\\u-10179?\\u-8704?"},  // beyond the basic plane
        {"\\u1488?", "\\u1488 ?"},
        {"\\u1488?", InFont(177, "\\'e0")},
        {"\\u38428?", "\\u-27108\\'3f"},
        {"\\u12354?", InFont(128, "\\'82\\'a0")},
    };
    TEntryConverter converter;
    test_support::RecordingLog log;
    bool hasItalics = false, hasFootnotes = false;
    auto convert = [&](const std::string& text) {
        EntryList entries;
        entries.Append("Entry").TakeText(std::string(text));
        converter.ConvertEntries(ModuleKind::Bible, entries, true, hasItalics, hasFootnotes, log);
        return Joined(test_support::LinesOf(entries.At(0)));
    };
    for (const auto& [access, other] : routes) EXPECT_EQ(convert(other), convert(access)) << other;
}

}  // namespace
}  // namespace tovra
