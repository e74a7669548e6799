// RTF into the document: text runs, text and paragraph styles, merging,
// page breaks, fields and the status of a load.
#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "richtext/rtf_builder.h"
#include "support/document_description.h"
#include "support/rtf_loading.h"

namespace tovra {
namespace {

using test_support::DescribeDoc;
using test_support::DescribeFont;
using test_support::InDocument;
using test_support::LoadedDoc;

const char kGreenTable[] = "{\\colortbl ;\\red0\\green128\\blue0;}";

std::string WithColors(const std::string& body) {
    return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}") + kGreenTable + body + "}";
}

// ---- items and text styles ----

struct DocCase {
    const char* name;
    std::string rtf;
    const char* items;       // DescribeDoc of the document
    int textStyles;          // number of text styles after the load
    const char* lastStyle;   // DescribeFont of the last text style, "" to skip
};

class DocumentCase : public ::testing::TestWithParam<DocCase> {};

TEST_P(DocumentCase, GivesItemsAndStyles) {
    const DocCase& c = GetParam();
    LoadedDoc d;
    EXPECT_EQ(d.Load(c.rtf), 0);
    EXPECT_EQ(DescribeDoc(d.doc), c.items);
    EXPECT_EQ(d.style.TextStyles.Count(), c.textStyles);
    if (*c.lastStyle) {
        EXPECT_EQ(DescribeFont(d.style.TextStyles.Items(d.style.TextStyles.Count() - 1)), c.lastStyle);
    }
    // The six default styles are never changed by a load.
    TRDStyle fresh;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(DescribeFont(d.style.TextStyles.Items(i)), DescribeFont(fresh.TextStyles.Items(i))) << i;
        EXPECT_EQ(d.style.TextStyles.Items(i).StyleName, fresh.TextStyles.Items(i).StyleName) << i;
    }
    EXPECT_EQ(d.style.ParaStyles.Items(0).StyleName, "Paragraph Style");
    EXPECT_EQ(d.style.ParaStyles.Items(1).StyleName, "Centered");
}

const DocCase kDocCases[] = {
    {"PlainParagraphAddsArialTwelve", InDocument("\\pard abc\\par"), "S6P0 abc", 7,
     "Arial 12 color:FF000008 back:1FFFFFFF cs:0"},
    {"CenteredParagraphTakesCentered", InDocument("\\pard\\qc abc\\par"), "S6P1 abc", 7, ""},
    {"WrappedEntryWithoutFontTableIsStyleZero", "{\\rtf1 Hello {\\b bold} world}", "S0P0 Hello bold world", 6, ""},
    {"LineBreakContinuesParagraph", InDocument("abc\\line def"), "S6P0 abc ; /S6P0 def", 7, ""},
    {"EmptyParagraphBetween", InDocument("abc\\par\\par def"), "S6P0 abc ; S6P0  ; S6P0 def", 7, ""},
    {"BoldRunGetsItsOwnStyle", InDocument("a{\\b b}c"), "S6P0 a ; +S7P0 b ; +S6P0 c", 8,
     "Arial 12 b color:FF000008 back:1FFFFFFF cs:0"},
    {"UnchangedFormattingMerges", InDocument("a{\\i0 b}c"), "S6P0 abc", 7, ""},
    {"HiddenStartOfParagraphMergesWithEmptyRun", InDocument("first\\par {\\v hidden}visible"),
     "S6P0 first ; S6P0 visible", 7, ""},
    // The empty visible run before hidden text takes in the whole group that
    // continues it, and gives it its own style.
    {"EmptyRunGivesItsStyleToMergedGroup", InDocument("first\\par {\\v h}{\\b x}{\\b y}"), "S6P0 first ; S6P0 xy", 8,
     ""},
    {"SecondRunReusesAddedStyle", InDocument("{\\fs28 a}\\par{\\fs28 b}"), "S6P0 a ; S6P0 b", 7,
     "Arial 14 color:FF000008 back:1FFFFFFF cs:0"},
    {"TenPointArialIsNormalText", InDocument("\\fs20 abc"), "S0P0 abc", 6, ""},
    {"TextAfterFirstGroupIgnored", "{\\rtf1 abc}def\\par{\\rtf1 x}", "S0P0 abc", 6, ""},
    {"TabBecomesEightSpaces", InDocument("a\\tab b"), "S6P0 a        b", 7, ""},
    {"PageBreakStartsNextItem", InDocument("a\\page b"), "S6P0 a ; ^S6P0 b", 7, ""},
    {"RunsAfterPageBreakMergeWithEachOther", InDocument("a\\page b{\\i0 c}"), "S6P0 a ; ^S6P0 bc", 7, ""},
    {"RunsOfOneAddedStyleMerge", InDocument("{\\b a}{\\b b}c"), "S6P0 ab ; +S7P0 c", 8, ""},
    {"RunsInATableCellStayApart", InDocument("\\trowd\\cellx1440\\intbl a{\\i0 b}\\cell\\row c{\\i0 d}"),
     "T[S6P0 a, +S6P0 b]P0 ; S6P0 c ; S6P0 d", 7, ""},
    {"UnicodeEscapeBecomesItsAnsiCharacter", InDocument("\\u8220?x\\ldblquote y\\rdblquote"), "S6P0 \x93x\"y\"", 7,
     ""},
    {"SubscriptHalvesSize", InDocument("H{\\sub 2}O"), "S6P0 H ; +S7P0 2 ; +S6P0 O", 8,
     "Arial 6 color:FF000008 back:1FFFFFFF cs:0 v:-25"},
    {"SuperscriptHalfSizeRoundsToEven", InDocument("\\fs22 x{\\super 2}"), "S6P0 x ; +S7P0 2", 8,
     "Arial 6 color:FF000008 back:1FFFFFFF cs:0 v:45"},
    {"CapitalsAlwaysAddAStyle", InDocument("{\\caps a}{\\caps b}"), "S6P0 a ; +S7P0 b", 8,
     "Arial 12 color:FF000008 back:1FFFFFFF cs:0 caps"},
    {"FontCharsetKept", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 Times New Roman;}}abc}", "S6P0 abc", 7,
     "Times New Roman 12 color:FF000008 back:1FFFFFFF cs:204"},
    {"FontNameMatchesIgnoringCase", "{\\rtf1\\ansi{\\fonttbl{\\f0 ARIAL;}}\\fs20 abc}", "S0P0 abc", 6, ""},
    {"ColourAndBackground",
     WithColors("\\cf1\\chcbpat1 abc"), "S6P0 abc", 7, "Arial 12 color:8000 back:8000 cs:0"},
    {"HyperlinkInJumpOneFormatTakesStyleFour",
     WithColors("\\fs20 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt \\ul\\cf1 here}} now"),
     "S0P0 see  ; +S4P0 here ; +S0P0  now", 6, ""},
    {"HyperlinkInOtherFormatAddsJumpStyle",
     WithColors("see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt \\ul\\cf1 here}} now"),
     "S6P0 see  ; +S7P0 here ; +S6P0  now", 8, "Arial 12 u color:8000 back:1FFFFFFF cs:0 jump"},
    {"JumpFormattingOutsideLinkIsNoJump", WithColors("\\fs20\\ul\\cf1 x"), "S6P0 x", 7,
     "Arial 10 u color:8000 back:1FFFFFFF cs:0"},
    {"SymbolFieldIsRunInItsFont",
     "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}a{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt }}b}",
     "S6P0 a ; +S7P0 \xB7 ; +S6P0 b", 8, "Symbol 10 color:FF000008 back:1FFFFFFF cs:0"},
};

INSTANTIATE_TEST_SUITE_P(Load, DocumentCase, ::testing::ValuesIn(kDocCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A builder reused for load after load gives every document what a fresh
// one gives, whatever styles the loads before it found, added or remembered.
TEST(DocumentReuse, LoadAfterLoadEqualsAFreshLoad) {
    std::string manySizes;
    for (int size = 10; size < 130; size += 2) manySizes += "{\\fs" + std::to_string(size) + " x}";
    const std::string documents[] = {
        WithColors("{\\b a}, b {\\i c} {\\cf1 d}. e {\\cf1 f} g {\\b h}{\\ul i}{\\strike j} k {\\cf1 l}"),
        WithColors("{\\cf1 a} b {\\i c}{\\b d} e{\\cf1 f}"),
        InDocument("{\\b a}{\\i b}{\\ul c}{\\b d}{\\i e}{\\ul f}"),
        InDocument(manySizes + "{\\fs20 y}" + manySizes),
        WithColors("plain {\\cf1 green} plain"),
    };
    LoadedDoc reused;
    for (int round = 0; round < 2; ++round) {
        for (const std::string& rtf : documents) {
            LoadedDoc fresh;
            ASSERT_EQ(fresh.Load(rtf), 0);
            ASSERT_EQ(reused.Load(rtf), 0);
            EXPECT_EQ(DescribeDoc(reused.doc), DescribeDoc(fresh.doc)) << rtf;
            ASSERT_EQ(reused.style.TextStyles.Count(), fresh.style.TextStyles.Count()) << rtf;
            for (int i = 0; i < fresh.style.TextStyles.Count(); ++i) {
                EXPECT_EQ(DescribeFont(reused.style.TextStyles.Items(i)), DescribeFont(fresh.style.TextStyles.Items(i)))
                    << rtf << " style " << i;
            }
        }
    }
}

// ---- paragraph styles ----

std::string DescribePara(const TParaInfo& p) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "al:%d fi:%d li:%d ri:%d sb:%d sa:%d ls:%d bg:%X", p.Alignment, p.FirstIndent,
                  p.LeftIndent, p.RightIndent, p.SpaceBefore, p.SpaceAfter, p.LineSpacing, p.Background.Color);
    std::string out = buf;
    if (p.Border.Style != rdbNone) {
        std::snprintf(buf, sizeof buf, " border:%d w%d i%d c%X %d%d%d%d", p.Border.Style, p.Border.Width,
                      p.Border.InternalWidth, p.Border.Color, p.Border.VisibleBorders.Left,
                      p.Border.VisibleBorders.Top, p.Border.VisibleBorders.Right, p.Border.VisibleBorders.Bottom);
        out += buf;
    }
    return out;
}

struct ParaCase {
    const char* name;
    std::string rtf;
    const char* items;
    int paraStyles;
    const char* lastStyle;  // DescribePara of the last paragraph style
};

class ParagraphCase : public ::testing::TestWithParam<ParaCase> {};

TEST_P(ParagraphCase, ChoosesOrAddsStyle) {
    const ParaCase& c = GetParam();
    LoadedDoc d;
    EXPECT_EQ(d.Load(c.rtf), 0);
    EXPECT_EQ(DescribeDoc(d.doc), c.items);
    EXPECT_EQ(d.style.ParaStyles.Count(), c.paraStyles);
    const TParaInfo& last = d.style.ParaStyles.Items(d.style.ParaStyles.Count() - 1);
    EXPECT_EQ(DescribePara(last), c.lastStyle);
    if (d.style.ParaStyles.Count() > 2) {
        EXPECT_EQ(last.StyleName, "Paragraph Style");
        EXPECT_FALSE(last.Standard);
    }
}

const ParaCase kParaCases[] = {
    {"PlainParagraphIsStyleZero", InDocument("\\pard\\sl240\\slmult1 a\\par"), "S6P0 a", 2,
     "al:2 fi:0 li:0 ri:0 sb:0 sa:0 ls:100 bg:1FFFFFFF"},
    {"IndentsAndSpacingScaledToPixels", InDocument("\\li720\\fi-360\\ri100\\sb240\\sa120 a\\par"), "S6P2 a", 3,
     "al:0 fi:-24 li:48 ri:7 sb:16 sa:8 ls:100 bg:1FFFFFFF"},
    {"JustifiedAndRight", InDocument("\\qj a\\par\\qr b\\par"), "S6P2 a ; S6P3 b", 4,
     "al:1 fi:0 li:0 ri:0 sb:0 sa:0 ls:100 bg:1FFFFFFF"},
    {"LineSpacingInPercent", InDocument("\\sl360\\slmult1 a\\par"), "S6P2 a", 3,
     "al:0 fi:0 li:0 ri:0 sb:0 sa:0 ls:150 bg:1FFFFFFF"},
    {"NegativeLineSpacingKeepsSign", InDocument("\\sl-360\\slmult1 a\\par"), "S6P2 a", 3,
     "al:0 fi:0 li:0 ri:0 sb:0 sa:0 ls:-150 bg:1FFFFFFF"},
    {"ExactLineSpacingMatchesAnyStyle", InDocument("\\sl360\\slmult0 a\\par"), "S6P0 a", 2,
     "al:2 fi:0 li:0 ri:0 sb:0 sa:0 ls:100 bg:1FFFFFFF"},
    {"SpacingsBelowHundredShareAStyle", InDocument("\\sl200\\slmult1 a\\par\\sl180 b\\par"), "S6P2 a ; S6P2 b", 3,
     "al:0 fi:0 li:0 ri:0 sb:0 sa:0 ls:83 bg:1FFFFFFF"},
    {"ShadingIsBackground", WithColors("\\cbpat1 a\\par"), "S6P2 a", 3,
     "al:0 fi:0 li:0 ri:0 sb:0 sa:0 ls:100 bg:8000"},
    {"BorderAddsItsWidthToIndents", InDocument("\\brdrb\\brdrs\\brdrw15 a\\par"), "S6P2 a", 3,
     "al:0 fi:0 li:1 ri:1 sb:1 sa:1 ls:100 bg:1FFFFFFF border:1 w1 i0 c0 0001"},
    {"EachBorderedParagraphAddsAStyle", InDocument("\\brdrb\\brdrs\\brdrw15 a\\par b\\par"), "S6P2 a ; S6P3 b", 4,
     "al:0 fi:0 li:1 ri:1 sb:1 sa:1 ls:100 bg:1FFFFFFF border:1 w1 i0 c0 0001"},
    {"BorderColourFromColourTable", WithColors("\\brdrt\\brdrs\\brdrw30\\brdrcf1 a\\par"), "S6P2 a", 3,
     "al:0 fi:0 li:2 ri:2 sb:2 sa:2 ls:100 bg:1FFFFFFF border:1 w2 i0 c8000 0100"},
    {"ContinuingRunKeepsParagraphOfPrevious", InDocument("\\qc a{\\b b}\\par c"), "S6P1 a ; +S7P1 b ; S6P1 c", 2,
     "al:2 fi:0 li:0 ri:0 sb:0 sa:0 ls:100 bg:1FFFFFFF"},
};

INSTANTIATE_TEST_SUITE_P(Load, ParagraphCase, ::testing::ValuesIn(kParaCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- border kinds ----

struct BorderCase {
    const char* name;
    const char* keywords;   // paragraph border keywords
    const char* border;     // " border:<kind> w<width> i<inner> c<colour> LTRB"
    int total;              // added to the indents and spacings
};

class BorderKind : public ::testing::TestWithParam<BorderCase> {};

TEST_P(BorderKind, MeasuresBorder) {
    const BorderCase& c = GetParam();
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument(std::string(c.keywords) + " a\\par")), 0);
    ASSERT_EQ(d.style.ParaStyles.Count(), 3);
    const TParaInfo& p = d.style.ParaStyles.Items(2);
    const std::string text = DescribePara(p);
    EXPECT_EQ(text.substr(text.find(" border")), c.border);
    EXPECT_EQ(p.SpaceBefore, c.total);
    EXPECT_EQ(p.SpaceAfter, c.total);
    EXPECT_EQ(p.LeftIndent, c.total);
    EXPECT_EQ(p.RightIndent, c.total);
}

// At 96 pixels per inch a twip is 1/15 pixel. Kinds: 1 single, 2 double,
// 3 triple, 4 thick inside, 5 thick outside.
const BorderCase kBorderCases[] = {
    {"ThickIsDoubleWidthSingle", "\\brdrb\\brdrth\\brdrw15", " border:1 w2 i0 c0 0001", 2},
    {"Double", "\\brdrb\\brdrdb\\brdrw30", " border:2 w2 i3 c0 0001", 7},
    {"WavyDoubleIsDouble", "\\brdrb\\brdrwavydb\\brdrw30", " border:2 w2 i3 c0 0001", 7},
    {"HairlineIsOnePixel", "\\brdrb\\brdrhair\\brdrw100", " border:1 w1 i0 c0 0001", 1},
    {"Triple", "\\brdrb\\brdrtriple\\brdrw15", " border:3 w1 i1 c0 0001", 5},
    {"ThinThickSmallOnTopIsThickOutside", "\\brdrt\\brdrtnthsg\\brdrw60", " border:5 w2 i3 c0 0100", 9},
    {"ThinThickSmallOnBottomIsThickInside", "\\brdrb\\brdrtnthsg\\brdrw60", " border:4 w2 i3 c0 0001", 9},
    {"ThinThickSmallHalfPixelRoundsToEvenZero", "\\brdrb\\brdrtnthsg\\brdrw15", " border:4 w0 i0 c0 0001", 0},
    {"ThinThickSmallOneAndHalfRoundsToTwo", "\\brdrb\\brdrtnthsg\\brdrw45", " border:4 w2 i3 c0 0001", 9},
    {"ThinThickMedium", "\\brdrl\\brdrtnthmg\\brdrw60", " border:5 w2 i5 c0 1000", 11},
    {"ThinThickLarge", "\\brdrr\\brdrtnthlg\\brdrw60", " border:4 w1 i5 c0 0010", 8},
    {"ThickThinSmallMeasuredAsMedium", "\\brdrt\\brdrthtnsg\\brdrw60", " border:4 w2 i5 c0 0100", 11},
    {"ThickThinMediumOnRightIsThickOutside", "\\brdrr\\brdrthtnmg\\brdrw60", " border:5 w2 i5 c0 0010", 11},
    {"ThickThinLargeOnLeftIsThickInside", "\\brdrl\\brdrthtnlg\\brdrw60", " border:4 w1 i5 c0 1000", 8},
    {"ThinThickThinSmall", "\\brdrb\\brdrtnthtnsg\\brdrw90", " border:3 w2 i3 c0 0001", 12},
    {"ThinThickThinMedium", "\\brdrb\\brdrtnthtnmg\\brdrw60", " border:3 w2 i5 c0 0001", 16},
    {"ThinThickThinLarge", "\\brdrb\\brdrtnthtnlg\\brdrw60", " border:3 w1 i4 c0 0001", 11},
    {"DottedIsSingle", "\\brdrb\\brdrdot\\brdrw30", " border:1 w2 i0 c0 0001", 2},
    {"TopSideDecidesBeforeLeft", "\\brdrl\\brdrdb\\brdrw30\\brdrt\\brdrs\\brdrw15", " border:1 w1 i0 c0 1100", 1},
    {"LeftSideDecidesBeforeBottom", "\\brdrb\\brdrdb\\brdrw30\\brdrl\\brdrs\\brdrw15", " border:1 w1 i0 c0 1001", 1},
};

INSTANTIATE_TEST_SUITE_P(Load, BorderKind, ::testing::ValuesIn(kBorderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- statuses ----

struct StatusCase {
    const char* name;
    std::string rtf;
    int status;
    const char* items;  // what the document keeps
};

class LoadStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(LoadStatus, ReportsReaderStatusAndKeepsItems) {
    const StatusCase& c = GetParam();
    LoadedDoc d;
    EXPECT_EQ(d.Load(c.rtf), c.status);
    EXPECT_EQ(DescribeDoc(d.doc), c.items);
    d.doc.Clear();
    d.style.ResetTextStyles();
    d.style.ResetParaStyles();
    EXPECT_EQ(LoadRtf(d.doc, &d.props, c.rtf), c.status == 0);
}

const StatusCase kStatusCases[] = {
    {"Success", InDocument("abc"), 0, "S6P0 abc"},
    {"PlainTextWithoutBraces", "plain text", 0, "S0P0 plain text"},
    {"UnclosedGroupReportsNothingPending", "{\\rtf1 abc", 3, ""},
    {"CloseWithoutOpen", "abc}", 1, ""},
    {"EndInsideControlWord", "{\\rtf1 \\b", 9, ""},
    {"BadHexKeepsEarlierParagraphs", InDocument("abc\\par def\\'zz"), 4, "S6P0 abc"},
    // Reading stops inside a table: what the table holds so far is kept.
    {"ErrorInsideTableKeepsTableAndCells", InDocument("\\trowd\\cellx1440\\intbl a\\cell\\row\\intbl b\\cell c\\'zz"), 4,
     "T[S6P0 a]P0 ; S6P0 b"},
    {"UnclosedGroupKeepsFinishedParagraphs", "{\\rtf1 abc\\par {\\b def\\par gh", 3,
     "S0P0 abc ; S0P0 def"},
};

INSTANTIATE_TEST_SUITE_P(Load, LoadStatus, ::testing::ValuesIn(kStatusCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoadRtfSettings, MissingSettingsOrStyleSheetIsStatusSix) {
    TRDStyle style;
    TRichDocRDData doc(&style);
    EXPECT_EQ(LoadRtfStatus(doc, nullptr, "{\\rtf1 a}"), kRtfLoadNoSettings);
    EXPECT_FALSE(LoadRtf(doc, nullptr, "{\\rtf1 a}"));
    TRichDocRDData bare;
    TRDRTFReaderProperties props;
    props.UseConversionSettings();
    EXPECT_EQ(LoadRtfStatus(bare, &props, "{\\rtf1 a}"), kRtfLoadNoSettings);
    EXPECT_EQ(bare.ItemCount(), 0);
}

TEST(LoadRtfSettings, DefaultsAndConversionSettings) {
    TRDRTFReaderProperties p;
    EXPECT_EQ(p.UnicodeMode, rdruNoUnicode);
    EXPECT_EQ(p.TextStyleMode, rdrsUseClosest);
    EXPECT_EQ(p.ParaStyleMode, rdrsUseClosest);
    EXPECT_FALSE(p.IgnorePictures);
    EXPECT_FALSE(p.UseHypertextStyles);
    EXPECT_TRUE(p.SkipHiddenText);
    EXPECT_FALSE(p.AutoHideTableGridLines);
    EXPECT_FALSE(p.LineBreaksAsParagraphs);
    EXPECT_EQ(p.ConvertHighlight, rtfhlColorTable);
    EXPECT_EQ(p.TextStyleNo(), 0);
    EXPECT_EQ(p.ParaStyleNo(), 0);
    p.UseConversionSettings();
    EXPECT_EQ(p.TextStyleMode, rdrsAddIfNeeded);
    EXPECT_EQ(p.ParaStyleMode, rdrsAddIfNeeded);
    EXPECT_TRUE(p.IgnorePictures);
    EXPECT_EQ(p.UnicodeMode, rdruNoUnicode);
}

TEST(LoadRtfSettings, NegativeStyleNumberIsRefused) {
    TRDRTFReaderProperties p;
    for (auto set : {&TRDRTFReaderProperties::SetTextStyleNo, &TRDRTFReaderProperties::SetParaStyleNo}) {
        try {
            (p.*set)(-1);
            FAIL() << "no exception";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Value must not be negative");
        }
    }
    EXPECT_EQ(p.TextStyleNo(), 0);
    p.SetTextStyleNo(3);
    p.SetParaStyleNo(1);
    EXPECT_EQ(p.TextStyleNo(), 3);
    EXPECT_EQ(p.ParaStyleNo(), 1);
}

TEST(LoadRtfSettings, SpecifiedStylesAreUsedAsGiven) {
    LoadedDoc d;
    d.props.TextStyleMode = rdrsUseSpecified;
    d.props.ParaStyleMode = rdrsUseSpecified;
    d.props.SetTextStyleNo(3);
    d.props.SetParaStyleNo(1);
    ASSERT_EQ(d.Load(InDocument("\\li720 a{\\b b}\\par c")), 0);
    EXPECT_EQ(DescribeDoc(d.doc), "S3P1 ab ; S3P1 c");
    EXPECT_EQ(d.style.TextStyles.Count(), 6);
    EXPECT_EQ(d.style.ParaStyles.Count(), 2);
}

TEST(LoadRtfSettings, LineBreaksAsParagraphs) {
    LoadedDoc d;
    d.props.LineBreaksAsParagraphs = true;
    ASSERT_EQ(d.Load(InDocument("\\qc abc\\line def")), 0);
    EXPECT_EQ(DescribeDoc(d.doc), "S6P1 abc ; S6P1 def");
}

TEST(LoadRtfSettings, HiddenTextKeptWhenNotSkipped) {
    LoadedDoc d;
    d.props.SkipHiddenText = false;
    ASSERT_EQ(d.Load(InDocument("a{\\v h}b")), 0);
    EXPECT_EQ(DescribeDoc(d.doc), "S6P0 ahb");
}

TEST(LoadRtfSettings, HighlightReadFromColourTable) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(WithColors("\\highlight1 a")), 0);
    EXPECT_EQ(d.style.TextStyles.Items(6).BackColor, 0x008000u);
    d.props.ConvertHighlight = rtfhlFixedColors;  // 1 is black in the fixed table
    ASSERT_EQ(d.Load(WithColors("\\highlight1 a")), 0);
    EXPECT_EQ(d.style.TextStyles.Items(6).BackColor, 0u);
    d.props.ConvertHighlight = rtfhlIgnore;
    ASSERT_EQ(d.Load(WithColors("\\highlight1 a")), 0);
    EXPECT_EQ(d.style.TextStyles.Items(6).BackColor, clNone);
}

// ---- loads one after another ----

TEST(LoadRtfSequence, EachLoadStartsFromTheResetStyles) {
    LoadedDoc d;
    // A first entry with everything that leaves working state behind: a
    // table left open, a pending field, a page break at the end.
    ASSERT_EQ(d.Load(InDocument("\\trowd\\cellx1000\\intbl a\\cell{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt "
                                "y")),
              3);
    ASSERT_EQ(d.Load(InDocument("x\\page")), 0);
    ASSERT_EQ(d.Load(InDocument("a{\\b b}")), 0);
    EXPECT_EQ(DescribeDoc(d.doc), "S6P0 a ; +S7P0 b");
    EXPECT_EQ(d.style.TextStyles.Count(), 8);
    EXPECT_FALSE(d.style.TextStyles.Items(7).Jump);
}

TEST(LoadRtfSequence, ManyStylesAreFoundAgain) {
    // Enough different formats that the search for equal styles changes
    // from a plain walk to the hashed one: styles are reused all the same,
    // the default charset still matches any charset and the first equal
    // style still wins.
    std::string body = "{\\f1\\fs20 n}";
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 1; i <= 120; ++i) body += "{\\fs" + std::to_string(2 * i + 40) + " x}\\li" + std::to_string(15 * i) +
                                              " p\\par\\pard\\sl" + std::to_string(100 + i) + " q\\par\\pard ";
    }
    body += "{\\f1\\fs20 n}";
    LoadedDoc d;
    ASSERT_EQ(d.Load("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 arial;}}" + body + "}"), 0);
    EXPECT_EQ(d.style.TextStyles.Count(), 6 + 120 + 1);  // the sizes, and 12 points for p and q
    const int items = d.doc.ItemCount();
    ASSERT_EQ(items, 2 + 2 * 120 * 3);
    EXPECT_EQ(d.doc.GetItem(0).StyleNo, 0);
    EXPECT_EQ(d.doc.GetItem(items - 1).StyleNo, 0);
    for (int i = 0; i < 120 * 3; ++i) {
        EXPECT_EQ(d.doc.GetItem(1 + i).StyleNo, d.doc.GetItem(1 + 120 * 3 + i).StyleNo) << i;
        EXPECT_EQ(d.doc.GetItem(1 + i).ParaNo, d.doc.GetItem(1 + 120 * 3 + i).ParaNo) << i;
    }
    // Line spacings below 100 percent share the style of the first of them.
    EXPECT_EQ(d.doc.GetItem(3).ParaNo, d.doc.GetItem(6).ParaNo);
}

TEST(LoadRtfSequence, ManyMergesStayCorrect) {
    // Thousands of runs that merge pairwise: the merge must give the same
    // groups however many there are.
    std::string body;
    std::string expected;
    constexpr int kRepeats = 3000;
    for (int i = 0; i < kRepeats; ++i) {
        body += "a{\\b b}{\\b c}";
        if (i) expected += " ; +";
        expected += "S6P0 a ; +S7P0 bc";
    }
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument(body)), 0);
    EXPECT_EQ(d.doc.ItemCount(), 2 * kRepeats);
    EXPECT_EQ(DescribeDoc(d.doc), expected);

    std::string same;
    for (int i = 0; i < kRepeats; ++i) same += "x{\\i0 y}";
    ASSERT_EQ(d.Load(InDocument(same)), 0);
    ASSERT_EQ(d.doc.ItemCount(), 1);
    EXPECT_EQ(d.doc.GetItemText(0).size(), 2u * kRepeats);
}

}  // namespace
}  // namespace tovra
