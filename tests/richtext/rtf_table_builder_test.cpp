// RTF tables into table items: the grid built from cell boundaries, merges,
// nested tables, content outside rows, and the derived table properties.
#include <gtest/gtest.h>

#include <string>

#include "richtext/rtf_table_builder.h"
#include "support/document_description.h"
#include "support/rtf_loading.h"

namespace tovra {
namespace {

using test_support::DescribeDoc;
using test_support::InDocument;
using test_support::LoadedDoc;

// Every table of the document, nested ones included, is well-formed.
void ExpectWellFormedTables(const TCustomRDData& doc) {
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (doc.GetItem(i).StyleNo != rdkTable) continue;
        const auto& table = static_cast<const TRDTableItemInfo&>(doc.GetItem(i));
        std::string problem;
        EXPECT_TRUE(table.CheckInvariants(&problem)) << problem;
        EXPECT_EQ(table.ParentData, &doc);
        for (int r = 0; r < table.RowCount(); ++r) {
            for (int c = 0; c < table.ColCount(); ++c) {
                if (const TRDTableCellData* cell = table.Cell(r, c)) {
                    EXPECT_GT(cell->ItemCount(), 0) << r << "," << c;
                    ExpectWellFormedTables(*cell);
                }
            }
        }
    }
}

const TRDTableItemInfo& TableAt(const TCustomRDData& doc, int index) {
    return static_cast<const TRDTableItemInfo&>(doc.GetItem(index));
}

struct TableCase {
    const char* name;
    const char* body;
    const char* items;
};

class TableGrid : public ::testing::TestWithParam<TableCase> {};

TEST_P(TableGrid, BuildsGrid) {
    const TableCase& c = GetParam();
    LoadedDoc d;
    EXPECT_EQ(d.Load(InDocument(c.body)), 0);
    EXPECT_EQ(DescribeDoc(d.doc), c.items);
    ExpectWellFormedTables(d.doc);
}

const TableCase kTableCases[] = {
    {"TwoRowsWithSameBoundaries",
     "\\trowd\\cellx1440\\cellx2880\\intbl a\\cell b\\cell\\row"
     "\\trowd\\cellx1440\\cellx2880\\intbl c\\cell d\\cell\\row\\pard e\\par",
     "T[S6P0 a | S6P0 b / S6P0 c | S6P0 d]P0 ; S6P0 e"},
    {"BoundariesOneTwipApartShareAColumn",
     "\\trowd\\cellx1440\\cellx2880\\intbl a\\cell b\\cell\\row"
     "\\trowd\\cellx1441\\cellx2880\\intbl c\\cell d\\cell\\row\\pard e\\par",
     "T[S6P0 a | S6P0 b / S6P0 c | S6P0 d]P0 ; S6P0 e"},
    {"BoundariesTwoTwipsApartSplitAColumn",
     "\\trowd\\cellx1440\\cellx2880\\intbl a\\cell b\\cell\\row"
     "\\trowd\\cellx1442\\cellx2880\\intbl c\\cell d\\cell\\row\\pard e\\par",
     "T[S6P0 a | S6P0 b {1x2} | - / S6P0 c {1x2} | - | S6P0 d]P0 ; S6P0 e"},
    {"LaterBoundaryAddsAColumnAtTheEnd",
     "\\trowd\\cellx1440\\intbl a\\cell\\row"
     "\\trowd\\cellx1440\\cellx2880\\intbl c\\cell d\\cell\\row",
     "T[S6P0 a | S0P0  / S6P0 c | S6P0 d]P0"},
    {"ShorterRowEndsInEmptiedCells",
     "\\trowd\\cellx1440\\cellx2880\\intbl a\\cell b\\cell\\row"
     "\\trowd\\cellx1440\\intbl c\\cell\\row",
     "T[S6P0 a | S6P0 b / S6P0 c | S0P0 ]P0"},
    {"RowStartingFurtherLeftAddsAColumnInFront",
     "\\trowd\\cellx1440\\intbl a\\cell\\row"
     "\\trowd\\trleft-720\\cellx1440\\intbl c\\cell\\row",
     "T[S0P0  | S6P0 a / S6P0 c {1x2} | -]P0"},
    {"VerticalMergeSpansTwoRows",
     "\\trowd\\clvmgf\\cellx1440\\cellx2880\\intbl a\\cell b\\cell\\row"
     "\\trowd\\clvmrg\\cellx1440\\cellx2880\\intbl\\cell d\\cell\\row\\pard e\\par",
     "T[S6P0 a {2x1} | S6P0 b / - | S6P0 d]P0 ; S6P0 e"},
    {"VerticalMergeUnderWiderCellTakesTheRow",
     "\\trowd\\clvmgf\\cellx2880\\intbl a\\cell\\row"
     "\\trowd\\cellx1440\\clvmrg\\cellx2880\\intbl b\\cell c\\cell\\row",
     "T[S6P0 a, S6P0 b, S6P0 c {2x2} | - / - | -]P0"},
    {"HorizontalMergeSpansTwoColumns",
     "\\trowd\\clmgf\\cellx1440\\clmrg\\cellx2880\\intbl a\\cell\\cell\\row\\pard e\\par",
     "T[S6P0 a {1x2} | -]P0 ; S6P0 e"},
    {"MergedCellContentIsKept",
     "\\trowd\\clmgf\\cellx1440\\clmrg\\cellx2880\\intbl a\\cell b\\cell\\row",
     "T[S6P0 a, S6P0 b {1x2} | -]P0"},
    {"TextAfterLastCellWithoutRowFollowsTable",
     "\\trowd\\cellx1440\\intbl a\\cell\\row\\intbl b\\cell\\pard c\\par",
     "T[S6P0 a]P0 ; S6P0 b ; S6P0 c"},
    {"TableWithoutRowEndGivesNoTable", "\\trowd\\cellx1440\\intbl a\\cell\\pard c\\par", "S6P0 a ; S6P0 c"},
    {"EveryUnfinishedCellIsKept", "\\trowd\\cellx1440\\cellx2880\\intbl a\\cell b\\cell\\pard c\\par",
     "S6P0 a ; S6P0 b ; S6P0 c"},
    {"CellBeyondTheRowDefinitionJoinsLastCell",
     "\\trowd\\cellx1440\\intbl a\\cell b\\cell\\row\\pard c\\par", "T[S6P0 a, S6P0 b]P0 ; S6P0 c"},
    {"RowWithoutCellDefinitionsKeepsContentAfterTable", "\\intbl a\\cell b\\cell\\row\\pard c\\par",
     "S6P0 a ; S6P0 b ; S6P0 c"},
    {"EmptyCellHoldsAnEmptyItem", "\\trowd\\cellx1440\\cellx2880\\intbl\\cell b\\cell\\row",
     "T[S6P0  | S6P0 b]P0"},
    {"ParagraphsInsideACell", "\\trowd\\cellx1440\\intbl a\\par b{\\b c}\\cell\\row",
     "T[S6P0 a, S6P0 b, +S7P0 c]P0"},
    {"CentredRowCentresTable", "\\trowd\\trqc\\cellx1440\\intbl a\\cell\\row", "T[S6P0 a]P1"},
    {"ItemAfterTableStartsParagraph", "\\trowd\\cellx1440\\intbl a\\cell\\row\\pard{\\b b}", "T[S6P0 a]P0 ; S7P0 b"},
    {"NestedTable",
     "\\trowd\\cellx3000\\pard\\intbl\\itap1 A\\par\\pard\\intbl\\itap2 x\\nestcell"
     "{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}{\\nonesttables\\par}"
     "\\pard\\intbl\\itap1 B\\cell\\row\\pard after\\par",
     "T[S6P0 A, T[S6P0 x]P0, S6P0 B]P0 ; S6P0 after"},
    {"RowEndOutsideTableIgnored", "a\\row b", "S6P0 ab"},
    {"TableOpenAtEndOfDocumentIsClosed", "\\trowd\\cellx1440\\intbl a\\cell\\row", "T[S6P0 a]P0"},
};

INSTANTIATE_TEST_SUITE_P(Load, TableGrid, ::testing::ValuesIn(kTableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TableProperties, BorderedTableAsWordWritesIt) {
    LoadedDoc d;
    const char* side = "\\brdrs\\brdrw10 ";
    std::string row = "\\trowd\\trgaph108\\trleft-108";
    for (const char* s : {"\\trbrdrt", "\\trbrdrl", "\\trbrdrb", "\\trbrdrr"}) row += std::string(s) + side;
    row += "\\trpaddl108\\trpaddr108\\trpaddfl3\\trpaddfr3 ";
    for (const char* x : {"\\cellx4320", "\\cellx8748"}) {
        for (const char* s : {"\\clbrdrt", "\\clbrdrl", "\\clbrdrb", "\\clbrdrr"}) row += std::string(s) + side;
        row += x;
    }
    ASSERT_EQ(d.Load(InDocument(row + "\\pard\\intbl a\\cell b\\cell\\row\\pard\\par")), 0);
    ASSERT_EQ(DescribeDoc(d.doc), "T[S6P0 a | S6P0 b]P0 ; S6P0 ");
    const TRDTableItemInfo& t = TableAt(d.doc, 0);
    EXPECT_EQ(t.Color, clNone);
    EXPECT_EQ(t.BorderStyle, rdtbColor);
    EXPECT_EQ(t.CellBorderStyle, rdtbColor);
    EXPECT_EQ(t.BorderColor, 0u);
    EXPECT_EQ(t.BorderLightColor, 0u);
    EXPECT_EQ(t.CellBorderColor, clWindowText);
    EXPECT_EQ(t.CellBorderLightColor, clWindowText);
    EXPECT_EQ(t.CellPadding, 4);  // 216 twips over 4 sides: 54 twips, 3.6 pixels
    EXPECT_EQ(t.CellBorderWidth, 1);
    // Row and cell borders of equal width without spacing: drawn once.
    EXPECT_EQ(t.BorderWidth, 0);
    EXPECT_EQ(t.BorderHSpacing, 0);
    EXPECT_EQ(t.BorderVSpacing, 0);
    EXPECT_EQ(t.CellHSpacing, -1);
    EXPECT_EQ(t.CellVSpacing, -1);
    EXPECT_EQ(t.BestWidth, 0);
    EXPECT_EQ(t.HeadingRowCount, 0);
    const TRDTableCellData& a = *t.Cell(0, 0);
    const TRDTableCellData& b = *t.Cell(0, 1);
    // 4428 twips are 295 pixels, less twice the padding.
    EXPECT_EQ(a.BestWidth, 287);
    EXPECT_EQ(b.BestWidth, 287);
    EXPECT_EQ(a.VisibleBorders, (TRDBooleanRect{true, true, true, true}));
    // The border b shares with a is drawn by a.
    EXPECT_EQ(b.VisibleBorders, (TRDBooleanRect{true, false, true, true}));
    EXPECT_EQ(a.BorderColor, 0u);
    EXPECT_EQ(a.BorderLightColor, 0u);
    EXPECT_EQ(a.VAlign, rdcTop);
    EXPECT_EQ(a.Color, clNone);
}

TEST(TableProperties, PercentWidths) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument("\\trowd\\trftsWidth2\\trwWidth5000\\cellx1440\\clftsWidth2\\clwWidth2500"
                                "\\cellx2880\\clwWidth1440\\cellx4320\\intbl a\\cell b\\cell c\\cell\\row")),
              0);
    const TRDTableItemInfo& t = TableAt(d.doc, 0);
    EXPECT_EQ(t.BestWidth, -100);
    // Before any cell gives a width, the boundaries give it; after that,
    // the cells' own widths count.
    EXPECT_EQ(t.Cell(0, 0)->BestWidth, 96);
    EXPECT_EQ(t.Cell(0, 1)->BestWidth, -50);
    EXPECT_EQ(t.Cell(0, 2)->BestWidth, 96);
}

TEST(TableProperties, WidthInTwipsLessRowBorders) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument("\\trowd\\trwWidth2880\\trftsWidth3\\cellx1440\\intbl a\\cell\\row")), 0);
    EXPECT_EQ(TableAt(d.doc, 0).BestWidth, 192);
    ASSERT_EQ(d.Load(InDocument("\\trowd\\trwWidth2880\\trftsWidth3\\trbrdrl\\brdrs\\brdrw150\\cellx1440"
                                "\\intbl a\\cell\\row")),
              0);
    EXPECT_EQ(TableAt(d.doc, 0).BestWidth, 182);  // (2880 - 150) twips
    EXPECT_EQ(TableAt(d.doc, 0).BorderWidth, 10);
}

TEST(TableProperties, HeadingHeightAlignmentAndColour) {
    LoadedDoc d;
    ASSERT_EQ(d.Load("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green128\\blue0;}"
                     "\\trowd\\trhdr\\trrh300\\clvertalc\\clcbpat1\\cellx1440\\clvertalb\\cellx2880"
                     "\\intbl a\\cell b\\cell\\row\\trowd\\cellx1440\\cellx2880\\intbl c\\cell d\\cell\\row}"),
              0);
    const TRDTableItemInfo& t = TableAt(d.doc, 0);
    EXPECT_EQ(t.HeadingRowCount, 1);
    EXPECT_EQ(t.Cell(0, 0)->BestHeight, 20);
    EXPECT_EQ(t.Cell(1, 0)->BestHeight, 0);
    EXPECT_EQ(t.Cell(0, 0)->VAlign, rdcMiddle);
    EXPECT_EQ(t.Cell(0, 1)->VAlign, rdcBottom);
    EXPECT_EQ(t.Cell(1, 0)->VAlign, rdcTop);
    EXPECT_EQ(t.Cell(0, 0)->Color, 0x008000u);
    EXPECT_EQ(t.Cell(0, 1)->Color, clNone);
    // No cell border anywhere.
    EXPECT_EQ(t.Cell(0, 0)->VisibleBorders, (TRDBooleanRect{false, false, false, false}));
}

TEST(TableProperties, RowSpacing) {
    LoadedDoc d;
    const std::string row =
        "\\trowd\\trspdl20\\trspdfl3\\trspdr20\\trspdfr3\\trspdt40\\trspdft3\\trspdb40\\trspdfb3\\cellx1440";
    ASSERT_EQ(d.Load(InDocument(row + "\\intbl a\\cell\\row" + row + "\\intbl b\\cell\\row")), 0);
    const TRDTableItemInfo& t = TableAt(d.doc, 0);
    EXPECT_EQ(t.CellVSpacing, 5);    // 80 twips between the two rows
    EXPECT_EQ(t.BorderVSpacing, 5);  // 40 above the first, 40 below the last
    EXPECT_EQ(t.CellHSpacing, 3);    // 40 twips per row
    EXPECT_EQ(t.BorderHSpacing, 3);
    EXPECT_EQ(t.BorderWidth, 0);
    EXPECT_EQ(t.CellPadding, 0);
}

TEST(TableProperties, CellsOfRightAlignedRowAndDefaultParagraphStyle) {
    LoadedDoc d;
    // Paragraph style 0 with indents makes the default paragraph style of
    // tables a copy without them.
    d.doc.Clear();
    d.style.ResetTextStyles();
    d.style.ResetParaStyles();
    d.style.ParaStyles.Items(0).LeftIndent = 5;
    ASSERT_EQ(test_support::LoadRtfChecked(d.doc, d.props,
                                           InDocument("\\trowd\\trqr\\cellx1440\\cellx2880\\intbl\\cell\\cell\\row")),
              0);
    const TRDTableItemInfo& t = TableAt(d.doc, 0);
    ASSERT_EQ(d.style.ParaStyles.Count(), 4);
    EXPECT_EQ(t.ParaNo, 3);
    EXPECT_EQ(d.style.ParaStyles.Items(3).Alignment, rdaRight);
    EXPECT_EQ(d.style.ParaStyles.Items(3).LeftIndent, 0);
}

TEST(TableProperties, BuilderStaysUsableAfterManyTables) {
    LoadedDoc d;
    std::string body;
    for (int i = 0; i < 200; ++i) {
        body += "\\trowd\\cellx" + std::to_string(1000 + i) + "\\cellx5000\\intbl x\\cell y\\cell\\row\\pard p\\par";
    }
    ASSERT_EQ(d.Load(InDocument(body)), 0);
    EXPECT_EQ(d.doc.ItemCount(), 400);
    ExpectWellFormedTables(d.doc);
}

// The number of text characters in a document, tables included.
size_t TextLength(const TCustomRDData& doc) {
    size_t n = 0;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        const TCustomRDItemInfo& item = doc.GetItem(i);
        if (item.IsText()) n += doc.GetItemText(i).size();
        if (item.StyleNo != rdkTable) continue;
        const auto& t = static_cast<const TRDTableItemInfo&>(item);
        for (int r = 0; r < t.RowCount(); ++r) {
            for (int c = 0; c < t.ColCount(); ++c) {
                if (const TRDTableCellData* cell = t.Cell(r, c)) n += TextLength(*cell);
            }
        }
    }
    return n;
}

TEST(TableLimits, ColumnsAreCappedAndNoContentIsLost) {
    // Five rows of 64 cells whose boundaries never line up: 320 boundaries.
    std::string body;
    constexpr int kRows = 5;
    constexpr int kCells = 64;
    for (int r = 0; r < kRows; ++r) {
        body += "\\trowd";
        for (int j = 0; j < kCells; ++j) body += "\\cellx" + std::to_string((j + 1) * 100 + r * 20);
        body += "\\intbl";
        for (int j = 0; j < kCells; ++j) body += " x\\cell";
        body += "\\row";
    }
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument(body)), 0);
    ASSERT_EQ(d.doc.ItemCount(), 1);
    const TRDTableItemInfo& t = TableAt(d.doc, 0);
    EXPECT_EQ(t.RowCount(), kRows);
    EXPECT_EQ(t.ColCount(), TRDRTFTableBuilder::kMaxTableColumns);
    ExpectWellFormedTables(d.doc);
    EXPECT_EQ(TextLength(d.doc), static_cast<size_t>(kRows * kCells));
}

TEST(TwipScale, RoundsToNearestEven) {
    const TRDTwipScale scale(96);
    EXPECT_EQ(scale(1440), 96);
    EXPECT_EQ(scale(7), 0);    // 0.47
    EXPECT_EQ(scale(8), 1);    // 0.53
    EXPECT_EQ(scale(-8), -1);
    EXPECT_EQ(scale.Ratio(15, 2), 0);   // 0.5 -> 0
    EXPECT_EQ(scale.Ratio(45, 2), 2);   // 1.5 -> 2
    EXPECT_EQ(scale.Ratio(-45, 2), -2);
    EXPECT_EQ(RoundRatio(5, 2), 2);
    EXPECT_EQ(RoundRatio(7, 2), 4);
    EXPECT_EQ(RoundRatio(-5000, 50), -100);
    EXPECT_EQ(TRDTwipScale(120)(1440), 120);
}

}  // namespace
}  // namespace tovra
