// The tables an RTF document declares (fonts, colours, style sheet, lists,
// overrides), numbering markers and fields, as the reader collects them.
#include "richtext/rtf_reader.h"

#include <gtest/gtest.h>

#include "support/rtf_recorder.h"

namespace tovra {
namespace {

TEST(RtfTablesTest, FontTableKeepsNamesAsWritten) {
    TRDRTFReader reader;
    ASSERT_EQ(reader.ReadStream(R"({\rtf1{\fonttbl{\f0\froman\fcharset0 Times New Roman;})"
                                R"({\f1\fswiss\fcharset300 Arial ;}{\f2\fbidi\fcharset177{\*\panose 0}Hebrew;}}x})"),
              rtf_st_Ok);
    const auto& fonts = reader.Fonts();
    ASSERT_EQ(fonts.size(), 3u);
    EXPECT_EQ(fonts[0].Name, "Times New Roman");
    EXPECT_EQ(fonts[0].Family, 1);
    EXPECT_EQ(fonts[0].Charset, 0);
    EXPECT_EQ(fonts[1].Name, "Arial ");  // the space before ";" stays
    EXPECT_EQ(fonts[1].Family, 2);
    EXPECT_EQ(fonts[1].Charset, 77);  // charsets above 255 become 77
    EXPECT_EQ(fonts[2].Number, 2);
    EXPECT_EQ(fonts[2].Name, "Hebrew");
    EXPECT_EQ(fonts[2].Charset, 177);
}

TEST(RtfTablesTest, ColourTableDropsItsTrailingEntryAtTheEnd) {
    TRDRTFReader reader;
    size_t colorsDuringText = 0;
    reader.OnNewText = [&](TRDRTFReader& r, std::string_view, TRDRTFPosition) { colorsDuringText = r.Colors().size(); };
    ASSERT_EQ(reader.ReadStream(R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue255;\red300;}x})"),
              rtf_st_Ok);
    EXPECT_EQ(colorsDuringText, 5u);
    const TRDRTFColorList expected = {kRtfDefaultColor, 0x0000FF, 0xFF8000, 300};
    EXPECT_EQ(reader.Colors(), expected);
}

TEST(RtfTablesTest, ColourDefinedAfterTheLastSemicolonStaysTheDefault) {
    TRDRTFReader reader;
    ASSERT_EQ(reader.ReadStream(R"({\rtf1{\colortbl\red1;\red2}x})"), rtf_st_Ok);
    const TRDRTFColorList expected = {1};
    EXPECT_EQ(reader.Colors(), expected);
}

TEST(RtfTablesTest, StyleSheetRecordsEntriesNotTheirFormatting) {
    TRDRTFReader reader;
    ASSERT_EQ(reader.ReadStream(R"({\rtf1\i{\stylesheet{\s0\snext0\fs40 Normal;})"
                                R"({\s1\sbasedon0\snext2\additive\b heading 1;})"
                                R"({\*\cs10\shidden Default Font;}{\ds3\sbasedon7 Section;}{\s2\snext1 After;}}x})"),
              rtf_st_Ok);
    const auto& sheet = reader.StyleSheet();
    ASSERT_EQ(sheet.size(), 5u);
    EXPECT_EQ(sheet[0].Name, "Normal");
    EXPECT_EQ(sheet[0].Number, 0);
    EXPECT_EQ(sheet[0].Kind, 1);
    EXPECT_EQ(sheet[0].Next, 0);
    EXPECT_EQ(sheet[0].CharProps.Size, 12);  // \fs40 inside the entry is ignored
    EXPECT_TRUE(sheet[0].CharProps.Style & rtf_fs_Italic);  // in force when the entry opened
    EXPECT_EQ(sheet[1].Name, "heading 1");
    EXPECT_EQ(sheet[1].BasedOn, 0);
    EXPECT_EQ(sheet[1].Next, -1);  // no entry numbered 2 yet
    EXPECT_TRUE(sheet[1].Additive);
    EXPECT_FALSE(sheet[1].CharProps.Style & rtf_fs_Bold);
    EXPECT_EQ(sheet[2].Kind, 0);
    EXPECT_EQ(sheet[2].Number, 10);
    EXPECT_TRUE(sheet[2].Hidden);
    EXPECT_EQ(sheet[3].Kind, 2);
    EXPECT_EQ(sheet[3].BasedOn, -1);
    EXPECT_EQ(sheet[4].Next, 1);
}

TEST(RtfTablesTest, StylesAreNeverAppliedToText) {
    TRDRTFReader reader;
    test_support::RtfRecorder recorder;
    recorder.Attach(reader);
    ASSERT_EQ(reader.ReadStream(R"({\rtf1{\stylesheet{\s1\b Bold;}}\s1 x\cs1 y})"), rtf_st_Ok);
    EXPECT_EQ(recorder.log, "P:xy");
}

TEST(RtfTablesTest, ListTableAndOverrides) {
    TRDRTFReader reader;
    ASSERT_EQ(reader.ReadStream(
                  "{\\rtf1{\\fonttbl{\\f0 A;}{\\f2 Symbol;}}{\\colortbl;\\red255\\green0\\blue0;}"
                  "{\\*\\listtable{\\list\\listtemplateid1\\listsimple"
                  "{\\listlevel\\levelnfc23\\leveljc1\\levelstartat3\\levelfollow2\\levellegal\\levelnorestart"
                  "\\fi-360\\li720\\tx720\\f2\\fs18\\cf1\\b{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers\\'01;}}"
                  "{\\listlevel\\levelnfc4\\leveljc2{\\leveltext\\'03(\\'00);}}"
                  "{\\listname Bullets;}\\listid42}"
                  "{\\list\\listid43{\\listlevel\\levelnfc2\\leveljc5}}}"
                  "{\\*\\listoverridetable{\\listoverride\\listid43\\listoverridecount0\\ls1}"
                  "{\\listoverride\\listid42\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}"
                  "{\\listoverride\\listid99\\ls3}}x}"),
              rtf_st_Ok);
    const auto& lists = reader.ListTable();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].ListId, 42);
    EXPECT_TRUE(lists[0].Simple);
    EXPECT_EQ(lists[0].Name, "Bullets;");  // list names keep every character
    ASSERT_EQ(lists[0].Levels.size(), 2u);
    const TRDRTFListLevel97& bullet = lists[0].Levels[0];
    EXPECT_EQ(bullet.ListType, 5);
    EXPECT_EQ(bullet.Alignment, 2);
    EXPECT_EQ(bullet.Start, 3);
    EXPECT_EQ(bullet.Follow, 2);
    EXPECT_TRUE(bullet.Legal);
    EXPECT_TRUE(bullet.NoRestart);
    EXPECT_EQ(bullet.FirstIndent, -360);
    EXPECT_EQ(bullet.LeftIndent, 720);
    EXPECT_EQ(bullet.TabPosition, 720);
    EXPECT_EQ(bullet.FontIndex, 1);
    EXPECT_EQ(bullet.FontSize, 9);
    EXPECT_EQ(bullet.Color, 0x0000FFu);
    EXPECT_EQ(bullet.FontStyle, rtf_fs_Bold);
    // Cut to the length prefix: the closing ";" is dropped.
    EXPECT_EQ(bullet.LevelText, std::string("\x01?", 2));
    EXPECT_EQ(bullet.LevelTextW, std::u16string(u"\x01\xF0B7"));
    EXPECT_EQ(bullet.LevelNumbers, std::string("\x01;", 2));
    const TRDRTFListLevel97& roman = lists[0].Levels[1];
    EXPECT_EQ(roman.ListType, 1);
    EXPECT_EQ(roman.Alignment, 1);
    EXPECT_EQ(roman.LevelText, std::string("\x03(\x00)", 4));
    EXPECT_TRUE(roman.LevelTextW.empty());
    EXPECT_EQ(lists[1].Levels[0].ListType, 3);
    EXPECT_EQ(lists[1].Levels[0].Alignment, 0);  // an unknown leveljc changes nothing

    const auto& overrides = reader.ListOverrides();
    ASSERT_EQ(overrides.size(), 3u);
    EXPECT_EQ(overrides[0].ListIndex, 1);
    EXPECT_EQ(overrides[0].Number, 1);
    EXPECT_EQ(overrides[1].ListIndex, 0);
    EXPECT_EQ(overrides[1].Count, 1);
    ASSERT_EQ(overrides[1].Levels.size(), 1u);
    EXPECT_TRUE(overrides[1].Levels[0].StartOverridden);
    EXPECT_EQ(overrides[1].Levels[0].Start, 5);
    EXPECT_EQ(overrides[2].ListIndex, -1);
}

TEST(RtfTablesTest, NumberingGroupBecomesTheParagraphMarker) {
    TRDRTFReader reader;
    std::optional<TRDRTFMarkerProperties> atText;
    std::optional<TRDRTFMarkerProperties> afterPard;
    reader.OnNewText = [&](TRDRTFReader& r, std::string_view text, TRDRTFPosition) {
        if (text == "one") atText = r.State().ParaProps.Marker;
        if (text == "two") afterPard = r.State().ParaProps.Marker;
    };
    ASSERT_EQ(reader.ReadStream(R"({\rtf1{\fonttbl{\f0 A;}{\f1 B;}}{\colortbl;\red255\green0\blue0;})"
                                R"({\*\pn\pnlvlbody\pnucrm\pnf1\pnfs20\pncf1\pnb\pnstart4\pnindent360\pnhang)"
                                R"({\pntxtb (}{\pntxta )}}one\par\pard two})"),
              rtf_st_Ok);
    ASSERT_TRUE(atText);
    EXPECT_EQ(atText->Level, 10);
    EXPECT_EQ(atText->ListType, 4);
    EXPECT_EQ(atText->FontIndex, 1);
    EXPECT_EQ(atText->FontSize, 10);
    EXPECT_EQ(atText->Color, 0x0000FFu);
    EXPECT_EQ(atText->ExplicitFlags, rtf_mef_Font | rtf_mef_Size | rtf_mef_Color);
    EXPECT_EQ(atText->FontStyle, rtf_fs_Bold);
    EXPECT_EQ(atText->Start, 4);
    EXPECT_EQ(atText->Indent, 360);
    EXPECT_TRUE(atText->Hanging);
    EXPECT_EQ(atText->TextBefore, "(");
    EXPECT_EQ(atText->TextAfter, ")");
    EXPECT_FALSE(afterPard);
}

TEST(RtfTablesTest, SectionDefaultsFillAMarkerPartially) {
    TRDRTFReader reader;
    std::optional<TRDRTFMarkerProperties> marker;
    reader.OnNewText = [&](TRDRTFReader& r, std::string_view, TRDRTFPosition) { marker = r.State().ParaProps.Marker; };
    // The section defaults are part of the state and end with their group,
    // so the marker is defined inside the group that set them.
    ASSERT_EQ(reader.ReadStream(R"({\rtf1{\colortbl;\red255\green0\blue0;})"
                                R"({\pnseclvl3\pnlcltr\pnstart2\pncf1\pnqc{\*\pn\pnlvl3\pnindent100}{\fldrslt x}}})"),
              rtf_st_Ok);
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->Level, 3);
    EXPECT_EQ(marker->ListType, 1);
    EXPECT_EQ(marker->Start, 2);
    EXPECT_EQ(marker->Alignment, 2);
    EXPECT_EQ(marker->Indent, 100);
    EXPECT_EQ(marker->ExplicitFlags, rtf_mef_Color);
    EXPECT_EQ(marker->Color, kRtfDefaultColor);  // explicit in the default: not copied
}

TEST(RtfTablesTest, MarkerUpdatesTakeTheRunFormattingExceptExplicitValues) {
    TRDRTFReader reader;
    std::string log;
    reader.OnNewText = [&](TRDRTFReader&, std::string_view text, TRDRTFPosition) { log += "[" + std::string(text) + "]"; };
    reader.OnUpdateMarker = [&](TRDRTFReader& r) {
        const auto& m = *r.State().ParaProps.Marker;
        log += "<" + std::to_string(m.FontIndex) + "," + std::to_string(m.FontSize) + "," +
               std::to_string(m.FontStyle) + "," + std::to_string(m.Color) + ">";
    };
    ASSERT_EQ(reader.ReadStream(R"({\rtf1{\fonttbl{\f0 A;}{\f1 B;}}{\colortbl;\red255\green0\blue0;})"
                                R"({\*\pn\pnlvlblt\pnf1}\b\ul\fs30\cf1 x\par})"),
              rtf_st_Ok);
    // Before and after the paragraph break (not at the end: the state
    // outside the document has no marker); underline is not taken.
    EXPECT_EQ(log, "<1,15,1,255>[x]<1,15,1,255>");
}

TEST(RtfTablesTest, MarkerUpdatesNeedAMarker) {
    TRDRTFReader reader;
    int updates = 0;
    reader.OnUpdateMarker = [&](TRDRTFReader&) { ++updates; };
    ASSERT_EQ(reader.ReadStream(R"({\rtf1 a\par\intbl b\cell\row})"), rtf_st_Ok);
    EXPECT_EQ(updates, 0);
}

struct FieldRun {
    std::string text;
    int32_t size;
    std::string fontOverride;
    std::string instruction;
};

std::vector<FieldRun> ReadFields(const std::string& input, uint8_t& status) {
    std::vector<FieldRun> runs;
    TRDRTFReader reader;
    reader.OnNewText = [&](TRDRTFReader& r, std::string_view text, TRDRTFPosition) {
        runs.push_back({std::string(text), r.State().CharProps.Size, r.State().CharProps.FontNameOverride,
                        r.State().FieldInstruction});
    };
    status = reader.ReadStream(input);
    return runs;
}

TEST(RtfTablesTest, SymbolFieldReportsItsCharacterInItsFontAndSize) {
    uint8_t status = 0;
    auto runs = ReadFields(R"({\rtf1 a{\field{\*\fldinst SYMBOL 183 \\f "Symbol" \\s 10}{\fldrslt x}}b})", status);
    ASSERT_EQ(status, rtf_st_Ok);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].text, "a");
    EXPECT_EQ(runs[1].text, "\xB7");
    EXPECT_EQ(runs[1].size, 10);
    EXPECT_EQ(runs[1].fontOverride, "Symbol");
    EXPECT_EQ(runs[2].text, "x");  // the result is read too
    EXPECT_EQ(runs[2].size, 12);
    EXPECT_EQ(runs[2].fontOverride, "");
    EXPECT_EQ(runs[3].text, "b");
}

TEST(RtfTablesTest, IncompleteSymbolFieldsReportNothing) {
    for (const char* input : {R"({\rtf1{\field{\*\fldinst SYMBOL 183 \\f "Symbol"}}})",
                              R"({\rtf1{\field{\*\fldinst SYMBOL 183 \\s 10}}})",
                              R"({\rtf1{\field{\*\fldinst SYMBOL 183 \\f Symbol \\s 10}}})"}) {
        uint8_t status = 0;
        EXPECT_TRUE(ReadFields(input, status).empty()) << input;
        EXPECT_EQ(status, rtf_st_Ok) << input;
    }
}

TEST(RtfTablesTest, InvalidSymbolNumbersEndReading) {
    for (const char* input : {R"({\rtf1{\field{\*\fldinst SYMBOL abc \\f "S" \\s 10}}})",
                              R"({\rtf1{\field{\*\fldinst SYMBOL 65 \\f "S" \\s ten}}})"}) {
        uint8_t status = 0;
        ReadFields(input, status);
        EXPECT_EQ(status, rtf_st_Exception) << input;
    }
}

TEST(RtfTablesTest, HyperlinkInstructionIsVisibleWhileTheResultIsRead) {
    uint8_t status = 0;
    auto runs = ReadFields(R"({\rtf1 {\field{\*\fldinst {HYPERLINK "http://x/"}}{\fldrslt link}} after})", status);
    ASSERT_EQ(status, rtf_st_Ok);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, "link");
    EXPECT_EQ(runs[0].instruction, R"(HYPERLINK "http://x/")");
    EXPECT_EQ(runs[1].text, " after");
    EXPECT_EQ(runs[1].instruction, "");
}

TEST(RtfTablesTest, FldinstOutsideAFieldIsText) {
    uint8_t status = 0;
    auto runs = ReadFields(R"({\rtf1 {\fldinst HYPERLINK x}})", status);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "HYPERLINK x");
}

TEST(RtfTablesTest, UnicodeInTablesIsConvertedToTheCodePage) {
    TRDRTFReader reader;
    ASSERT_EQ(reader.ReadStream(R"({\rtf1\ansicpg1251{\fonttbl{\f0 \u1040?\u1041?;}{\f1\uc0 \u1042 x;}}y})"),
              rtf_st_Ok);
    ASSERT_EQ(reader.Fonts().size(), 2u);
    EXPECT_EQ(reader.Fonts()[0].Name, "\xC0\xC1");
    EXPECT_EQ(reader.Fonts()[1].Name, "x");  // with \uc0 the escape is dropped
}

TEST(RtfTablesTest, CodePageConversions) {
    TRDRTFReader reader;
    EXPECT_EQ(reader.AnsiToWide("", 1252), u"");
    EXPECT_EQ(reader.AnsiToWide("\x93x\x94", 0), u"\u201Cx\u201D");
    EXPECT_EQ(reader.AnsiToWide("\xC0", 1251), u"\u0410");
    EXPECT_EQ(reader.AnsiToWide("\xE0", 1255), u"\u05D0");
    EXPECT_EQ(reader.AnsiToWide("\xA4\x40", 950), u"\u4E00");
    EXPECT_EQ(reader.AnsiToWide("\xE9", 12345), u"\u00E9");  // unknown code page: the ANSI one
    EXPECT_EQ(reader.WideToAnsi(u"\u201C\u03BB"), "\x93?");  // code page 0 is Windows-1252
}

}  // namespace
}  // namespace tovra
