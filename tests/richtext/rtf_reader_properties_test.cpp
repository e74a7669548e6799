// Formatting keywords as the consumer sees them: each case reads a document
// and looks at the reader's state when the run "X" is reported, or when the
// last row ends.
#include "richtext/rtf_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace tovra {
namespace {

struct Snapshot {
    TRDRTFCharProperties chars;
    TRDRTFParaProperties para;
    std::optional<TRDRTFRowProperties> row;  // at "X"
    std::optional<TRDRTFRowProperties> lastRow;  // at the last row end
    TRDRTFDocProperties doc;
    int32_t codePage = 0;
    int32_t defaultFont = 0;
    bool sawX = false;
};

std::optional<TRDRTFRowProperties> CopyRow(const TRDRTFReaderState& s) {
    if (!s.RowProps) return std::nullopt;
    TRDRTFRowProperties copy;
    copy.Assign(*s.RowProps);
    copy.WidthIsPercent = s.RowProps->WidthIsPercent;
    copy.Heading = s.RowProps->Heading;
    return copy;
}

Snapshot Probe(const std::string& body, TRDRTFHighlightConvert highlight) {
    Snapshot snap;
    TRDRTFReader reader;
    reader.ConvertHighlight = highlight;
    reader.OnNewText = [&](TRDRTFReader& r, std::string_view text, TRDRTFPosition) {
        if (text != "X" || snap.sawX) return;
        snap.sawX = true;
        snap.chars.Assign(r.State().CharProps);
        snap.para.Assign(r.State().ParaProps);
        snap.row = CopyRow(r.State());
        snap.doc = r.State().DocProps;
        snap.codePage = r.CodePage();
        snap.defaultFont = r.State().DefaultFont;
    };
    reader.OnTable = [&](TRDRTFReader& r, TRDRTFTableEventKind kind) {
        if (kind == rdf_tbl_RowEnd) snap.lastRow = CopyRow(r.State());
    };
    EXPECT_EQ(reader.ReadStream("{\\rtf1" + body + "}"), rtf_st_Ok);
    return snap;
}

struct PropertyCase {
    const char* name;
    std::string body;  // inside {\rtf1 ...}
    std::function<int64_t(const Snapshot&)> get;
    int64_t expected;
    TRDRTFHighlightConvert highlight = rtf_hl_FixedColors;
};

void PrintTo(const PropertyCase& c, std::ostream* os) { *os << c.name; }

class RtfPropertyTest : public testing::TestWithParam<PropertyCase> {};

TEST_P(RtfPropertyTest, StateHoldsTheValue) {
    const PropertyCase& c = GetParam();
    Snapshot snap = Probe(c.body, c.highlight);
    ASSERT_TRUE(snap.sawX || snap.lastRow) << "no probe run";
    EXPECT_EQ(c.get(snap), c.expected);
}

const std::string kFonts = R"({\fonttbl{\f0 Zero;}{\f1 One;}{\f3 Three;}})";
const std::string kColors = R"({\colortbl;\red255\green0\blue0;\red0\green128\blue255;\red1\green2\blue3;})";
const std::string kWhiteBlack = R"({\colortbl;\red255\green255\blue255;\red0\green0\blue0;})";

int64_t Size(const Snapshot& s) { return s.chars.Size; }
int64_t FontIndex(const Snapshot& s) { return s.chars.FontIndex; }
int64_t Color(const Snapshot& s) { return s.chars.Color; }
int64_t BackColor(const Snapshot& s) { return s.chars.BackColor; }
int64_t RowWidth(const Snapshot& s) { return s.lastRow ? s.lastRow->BestWidth : -1; }

const PropertyCase kPropertyCases[] = {
    // Sizes are half points rounded to the even neighbour.
    {"Fs21Gives10", R"(\fs21 X)", Size, 10},
    {"Fs23Gives12", R"(\fs23 X)", Size, 12},
    {"Fs24Gives12", R"(\fs24 X)", Size, 12},
    {"FsWithoutParameterGives12", R"(\fs30\fs X)", Size, 12},
    {"SizeEndsWithItsGroup", R"({\fs40 a}X)", Size, 12},

    // Fonts.
    {"PlainSelectsTheFirstFontNotTheDefault", R"(\deff1)" + kFonts + R"(\f1\plain X)", FontIndex, 0},
    {"MissingFontFallsBackToTheDefaultFont", R"(\deff1)" + kFonts + R"(\f7 X)", FontIndex, 1},
    {"MissingFontWithoutDefaultFontGivesIndexZero", R"(\deff9)" + kFonts + R"(\f3\f5 X)", FontIndex, 0},
    {"FontIsFoundByNumber", kFonts + R"(\f3 X)", FontIndex, 2},
    {"DefaultFontSurvivesItsGroup", kFonts + R"({\deff1}\f9 X)", FontIndex, 1},
    {"DeffCountsOnlyInText", R"({\fonttbl\deff3{\f0 A;}}X)", [](const Snapshot& s) { return s.defaultFont; }, 0},

    // Colours.
    {"CfZeroIsTheDefaultTextColour", kColors + R"(\cf1\cf0 X)", Color, kRtfDefaultColor},
    {"CfPicksTheTableEntry", kColors + R"(\cf2 X)", Color, 0xFF8000},
    {"CfOutsideTheTableChangesNothing", R"({\colortbl;\red255\green0\blue0;})" + std::string(R"(\cf1\cf3 X)"),
     Color, 0x0000FF},
    {"ChcbpatZeroIsNoBackground", kColors + R"(\chcbpat1\chcbpat0 X)", BackColor, kRtfNoColor},
    {"HighlightFixedColour", kColors + R"(\highlight3 X)", BackColor, 0xFFFF00},
    {"HighlightFromTheColourTable", kColors + R"(\highlight3 X)", BackColor, 0x030201, rtf_hl_ColorTable},
    {"HighlightZeroIsNoBackground", kColors + R"(\highlight2\highlight0 X)", BackColor, kRtfNoColor},
    {"HighlightIgnored", kColors + R"(\highlight3 X)", BackColor, kRtfNoColor, rtf_hl_Ignore},

    // Character style bits.
    {"UlnoneClearsUnderline", R"(\b\ul\ulnone X)", [](const Snapshot& s) { return s.chars.Style; }, rtf_fs_Bold},
    {"BoldZeroClears", R"(\b\i\b0 X)", [](const Snapshot& s) { return s.chars.Style; }, rtf_fs_Italic},
    {"SuperIgnoresItsParameter", R"(\super5 X)", [](const Snapshot& s) { return s.chars.VShift; }, 2},
    {"CapsSetsAllCapitals", R"(\caps X)", [](const Snapshot& s) { return s.chars.StyleEx; }, rtf_fsx_AllCaps},

    // Paragraphs.
    {"ParagraphFormattingEndsWithItsGroup", R"({\li720}X)", [](const Snapshot& s) { return s.para.LeftIndent; }, 0},
    {"PardResetsTheParagraph", R"(\li720\intbl\pard X)",
     [](const Snapshot& s) { return s.para.LeftIndent + s.para.InTable; }, 0},
    {"ItapZeroDoesNotEnterATable", R"(\itap0 X)", [](const Snapshot& s) { return s.para.InTable; }, 0},
    {"ItapEntersANestedTable", R"(\itap2 X)",
     [](const Snapshot& s) { return s.para.InTable * 10 + s.para.NestingLevel; }, 12},
    {"ShadingColour", kColors + R"(\cbpat2 X)", [](const Snapshot& s) { return s.para.ShadingColor; }, 0xFF8000},
    {"ListOverrideFoundByNumber",
     R"({\*\listoverridetable{\listoverride\listid5\ls3}{\listoverride\listid5\ls7}}\ls7 X)",
     [](const Snapshot& s) { return s.para.ListOverrideIndex; }, 1},
    {"UnknownListOverride", R"({\*\listoverridetable{\listoverride\listid5\ls3}}\ls9 X)",
     [](const Snapshot& s) { return s.para.ListOverrideIndex; }, -1},

    // Borders.
    {"FirstBorderStyleWins", R"(\brdrt\brdrs\brdrdb X)",
     [](const Snapshot& s) { return s.para.Border ? s.para.Border->Sides[rtf_side_Top]->Style : -1; }, 1},
    {"BorderWidthAndColour", kColors + R"(\brdrb\brdrw30\brdrcf2 X)",
     [](const Snapshot& s) { return s.para.Border->Sides[rtf_side_Bottom]->Width * 0x1000000LL +
                                    s.para.Border->Sides[rtf_side_Bottom]->Color; },
     30 * 0x1000000LL + 0xFF8000},
    {"BorderSpacingAlwaysGoesToTheParagraph", R"(\brdrl\trowd\trbrdrt\brsp40 X)",
     [](const Snapshot& s) { return s.para.Border->Sides[rtf_side_Left]->Spacing; }, 40},
    {"CellBorderKeywordsAddressTheCell", R"(\trowd\clbrdrr\brdrth\brdrw10 X)",
     [](const Snapshot& s) {
         const auto& side = s.row->Cells.back().Border.Sides[rtf_side_Right];
         return side ? side->Style * 100 + side->Width : -1;
     },
     210},
    {"BorderEndsWithItsGroup", R"({\brdrt\brdrs}X)", [](const Snapshot& s) { return s.para.Border.has_value(); }, 0},
    {"OuterBorderComesBackAfterAGroup", R"(\brdrt\brdrs\brdrw10{\brdrt\brdrw40\brdrb\brdrs}X)",
     [](const Snapshot& s) {
         return s.para.Border->Sides[rtf_side_Top]->Width * 10 + s.para.Border->Sides[rtf_side_Bottom].has_value();
     },
     100},

    // Old-style numbering markers, set when their pn group ends.
    {"MarkerEndsWithTheGroupAroundItsPnGroup", R"({{\*\pn\pnlvlbody{\pntxta .}}}X)",
     [](const Snapshot& s) { return s.para.Marker.has_value(); }, 0},
    {"OuterMarkerComesBackAfterAGroup", R"({\*\pn\pnlvlbody{\pntxta .}}{{\*\pn\pnlvlblt{\pntxta )}}}X)",
     [](const Snapshot& s) { return s.para.Marker ? s.para.Marker->Level * 1000 + s.para.Marker->TextAfter[0] : -1; },
     10 * 1000 + '.'},

    // Rows and cells.
    {"RowWidthThenPercent", R"(\trowd\trwWidth5000\trftsWidth2\cellx100\row)", RowWidth, -5000},
    {"RowPercentThenWidth", R"(\trowd\trftsWidth2\trwWidth5000\cellx100\row)", RowWidth, -5000},
    {"RowPercentTwiceStaysAPercentage", R"(\trowd\trwWidth5000\trftsWidth2\trftsWidth2\cellx100\row)", RowWidth,
     -5000},
    {"RowPercentSurvivesTrowd",
     R"(\trowd\trftsWidth2\cellx100\row\trowd\trwWidth5000\trftsWidth3\cellx100\row)", RowWidth, -5000},
    {"RowAutoWidthClearsTheWidth", R"(\trowd\trwWidth5000\trftsWidth1\cellx100\row)", RowWidth, 0},
    {"CellWidthThenPercent", R"(\trowd\clwWidth2500\clftsWidth2\cellx100\row)",
     [](const Snapshot& s) { return s.lastRow->Cells[0].BestWidth; }, -2500},
    {"ShadedWhiteCellOverBlackIsGrey", kWhiteBlack + R"(\trowd\clcbpat1\clshdng2500\clcfpat2\cellx100\row)",
     [](const Snapshot& s) { return s.lastRow->Cells[0].Color; }, 0xBFBFBF},
    {"CellDefaultColourIsNoColour", kColors + R"(\trowd\clcbpat0\cellx100\row)",
     [](const Snapshot& s) { return s.lastRow->Cells[0].Color; }, kRtfNoColor},
    {"TwoCellxMakeThreeCellsUntilTheRowEnds", R"(\trowd\cellx100\cellx200 X)",
     [](const Snapshot& s) { return static_cast<int64_t>(s.row->Cells.size()); }, 3},
    {"RowEndRemovesTheOpenCell", R"(\trowd\cellx100\cellx200\row)",
     [](const Snapshot& s) { return static_cast<int64_t>(s.lastRow->Cells.size()); }, 2},
    {"CellBoundaries", R"(\trowd\cellx100\cellx250\row)",
     [](const Snapshot& s) { return s.lastRow->Cells[0].RightBoundary * 1000 + s.lastRow->Cells[1].RightBoundary; },
     100250},
    {"HeadingSurvivesAGroupEndButGapDoesNot", R"(\trowd{\trhdr\trgaph50}X)",
     [](const Snapshot& s) { return s.row->Heading * 100 + s.row->Gap; }, 100},
    {"PaddingAndSpacingIndexes", R"(\trowd\trpaddl1\trpaddt2\trpaddr3\trpaddb4\trpaddft3\trspdb9 X)",
     [](const Snapshot& s) {
         const auto& r = *s.row;
         return r.Padding[0] * 1000 + r.Padding[1] * 100 + r.Padding[2] * 10 + r.Padding[3] +
                r.UsePadding[rtf_side_Top] * 10000 + r.Spacing[rtf_side_Bottom] * 100000;
     },
     911234},
    {"FixedSizesMarkTheRow", R"(\trowd\richdoccbw300\cellx100\row)",
     [](const Snapshot& s) { return s.lastRow->HasFixedSizes * 1000 + s.lastRow->Cells[0].BestWidth; }, 1300},
    {"MergeFlags", R"(\trowd\clvmgf\cellx100\clmrg\cellx200\row)",
     [](const Snapshot& s) { return s.lastRow->Cells[0].VMerge * 10 + s.lastRow->Cells[1].HMerge; }, 12},

    // Reader-level and document codes.
    {"AnsicpgSetsTheCodePage", R"(\ansi\ansicpg1251 X)", [](const Snapshot& s) { return s.codePage; }, 1251},
    {"DocumentRecord", R"(\paperw1000\margl5\landscape X)",
     [](const Snapshot& s) { return s.doc.PaperWidth * 100 + s.doc.MarginLeft * 10 + s.doc.Landscape; }, 100051},
};

INSTANTIATE_TEST_SUITE_P(Cases, RtfPropertyTest, testing::ValuesIn(kPropertyCases),
                         [](const testing::TestParamInfo<PropertyCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tovra
