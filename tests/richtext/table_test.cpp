#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "richtext/rich_doc.h"
#include "richtext/table.h"

namespace tovra {
namespace {

// Fails the test when the grid is not well-formed.
void ExpectWellFormed(const TRDTableItemInfo& t) {
    std::string problem;
    EXPECT_TRUE(t.CheckInvariants(&problem)) << problem;
}

// The grid as text: one line per row, "x" for a cell with its spans as
// "x<colspan>x<rowspan>" when not 1×1, "." for an empty position.
std::string Shape(const TRDTableItemInfo& t) {
    std::string s;
    for (int r = 0; r < t.RowCount(); ++r) {
        for (const auto& cell : t.Rows()[static_cast<size_t>(r)].Cells) {
            if (!cell) {
                s += '.';
            } else if (cell->ColSpan == 1 && cell->RowSpan == 1) {
                s += 'x';
            } else {
                s += "x" + std::to_string(cell->ColSpan) + "x" + std::to_string(cell->RowSpan);
            }
            s += ' ';
        }
        s += '|';
    }
    return s;
}

class TableTest : public ::testing::Test {
protected:
    TRichDoc doc;
    TRichDocRDData& data = doc.RDData();

    std::unique_ptr<TRDTableItemInfo> Make(int rows, int cols) {
        auto t = std::make_unique<TRDTableItemInfo>(rows, cols, &data);
        ExpectWellFormed(*t);
        return t;
    }
    static void SetText(TRDTableCellData& cell, const char* text) {
        cell.Clear();
        cell.AddText(text, 0, 0);
    }
};

TEST_F(TableTest, CreationGivesNewCellsAndInitialProperties) {
    auto t = Make(2, 3);
    EXPECT_EQ(t->RowCount(), 2);
    EXPECT_EQ(t->ColCount(), 3);
    EXPECT_EQ(t->StyleNo, rdkTable);
    EXPECT_TRUE(t->OccupiesWholeLine());
    const TRDTableCellData& cell = *t->Cell(1, 2);
    ASSERT_EQ(cell.ItemCount(), 1);
    EXPECT_EQ(cell.GetItemStyle(0), 0);
    EXPECT_EQ(cell.GetItemPara(0), 0);
    EXPECT_EQ(cell.GetItemText(0), "");
    EXPECT_FALSE(cell.HasContent());
    EXPECT_EQ(cell.VAlign, rdcVDefault);
    EXPECT_EQ(cell.Color, clNone);
    EXPECT_EQ(t->Rows()[0].VAlign, rdcTop);
    EXPECT_EQ(t->Color, clWindow);
    EXPECT_EQ(t->BorderLightColor, clBtnHighlight);
    EXPECT_EQ(t->BorderStyle, rdtbRaised);
    EXPECT_EQ(t->CellBorderStyle, rdtbLowered);
    EXPECT_EQ(t->CellPadding, 1);
    EXPECT_EQ(t->TextRowSeparator, "\r\n");
    EXPECT_EQ(t->Cell(2, 0), nullptr);
    EXPECT_EQ(t->Cell(0, 3), nullptr);
    EXPECT_EQ(t->Cell(-1, 0), nullptr);
}

TEST_F(TableTest, EmptyTableTakesARowWithoutPositions) {
    auto t = Make(0, 0);
    EXPECT_EQ(t->ColCount(), 0);
    t->InsertRowsAt(0, 1);
    ExpectWellFormed(*t);
    EXPECT_EQ(t->RowCount(), 1);
    EXPECT_EQ(t->ColCount(), 0);
    t->InsertColumnsAt(0, 2);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x x |");
}

TEST_F(TableTest, ResetGridBuildsAnew) {
    auto t = Make(2, 2);
    t->MergeCellRange(0, 0, 2, 2, false);
    t->ResetGrid(1, 3);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x x x |");
}

TEST_F(TableTest, InsertColumnsAtTheEndAppendsACellToEveryRow) {
    auto t = Make(2, 2);
    t->InsertColumnsAt(2, 1);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x x x |x x x |");
}

TEST_F(TableTest, InsertingInsideSpansWidensTheSpanningCells) {
    auto t = Make(3, 3);
    t->MergeCellRange(0, 0, 2, 2, false);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x2x2 . x |. . x |x x x |");
    t->InsertColumnsAt(1, 2);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x4x2 . . . x |. . . . x |x x x x x |");
    t->InsertRowsAt(1, 1);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x4x3 . . . x |. . . . x |. . . . x |x x x x x |");
    // At the rectangle's edges nothing grows.
    t->InsertRowsAt(0, 1);
    t->InsertColumnsAt(0, 1);
    ExpectWellFormed(*t);
    EXPECT_EQ(t->Cell(1, 1)->ColSpan, 4);
    EXPECT_EQ(t->Cell(1, 1)->RowSpan, 3);
}

TEST_F(TableTest, BadIndicesRaiseAndChangeNothing) {
    auto t = Make(2, 2);
    struct Case {
        const char* what;
        void (*op)(TRDTableItemInfo&);
    };
    const Case cases[] = {
        {"rows below 0", [](TRDTableItemInfo& x) { x.InsertRowsAt(-1, 1); }},
        {"rows past the end", [](TRDTableItemInfo& x) { x.InsertRowsAt(3, 1); }},
        {"columns below 0", [](TRDTableItemInfo& x) { x.InsertColumnsAt(-1, 1); }},
        {"columns past the end", [](TRDTableItemInfo& x) { x.InsertColumnsAt(3, 1); }},
        {"delete at column count", [](TRDTableItemInfo& x) { x.DeleteColumnsAt(2, 1); }},
        {"delete below 0", [](TRDTableItemInfo& x) { x.DeleteColumnsAt(-1, 1); }},
        {"delete count 0", [](TRDTableItemInfo& x) { x.DeleteColumnsAt(0, 0); }},
        {"delete more than all from 0", [](TRDTableItemInfo& x) { x.DeleteColumnsAt(0, 3); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.op(*t);
            ADD_FAILURE() << "no error";
        } catch (const ERichDocError& e) {
            EXPECT_STREQ(e.what(), "Invalid row or column index");
        }
        EXPECT_EQ(Shape(*t), "x x |x x |");
    }
}

TEST_F(TableTest, MergeAppendsTheOtherCellsContent) {
    auto t = Make(1, 2);
    SetText(*t->Cell(0, 1), "b");
    t->MergeCellRange(0, 0, 1, 2, false);
    ExpectWellFormed(*t);
    const TRDTableCellData& m = *t->Cell(0, 0);
    EXPECT_EQ(m.ColSpan, 2);
    EXPECT_EQ(t->Cell(0, 1), nullptr);
    ASSERT_EQ(m.ItemCount(), 2);
    EXPECT_EQ(m.GetItemText(0), "");
    EXPECT_EQ(m.GetItemText(1), "b");
    EXPECT_TRUE(m.GetItem(1).StartsParagraph());
}

TEST_F(TableTest, MergeKeepsJoinedItemsInTheirParagraphAndSkipsEmptyCells) {
    auto t = Make(2, 2);
    SetText(*t->Cell(0, 0), "a");
    t->Cell(1, 0)->AddText("c", 2, -1);  // the empty item, then "c" joined to it
    t->MergeCellRange(0, 0, 2, 2, false);
    ExpectWellFormed(*t);
    const TRDTableCellData& m = *t->Cell(0, 0);
    EXPECT_EQ(Shape(*t), "x2x2 . |. . |");
    ASSERT_EQ(m.ItemCount(), 3);  // a, the empty item starting a paragraph, c joined to it
    EXPECT_EQ(m.GetItemText(0), "a");
    EXPECT_EQ(m.GetItemText(1), "");
    EXPECT_TRUE(m.GetItem(1).StartsParagraph());
    EXPECT_EQ(m.GetItemText(2), "c");
    EXPECT_TRUE(m.GetItem(2).HasFlag(rdifJoinsPrevious));
}

TEST_F(TableTest, MergesThatCannotHappenChangeNothing) {
    auto t = Make(3, 3);
    t->MergeCellRange(1, 1, 2, 2, false);
    const std::string before = Shape(*t);
    t->MergeCellRange(0, 0, 2, 2, false);  // cuts through the merged cell
    t->MergeCellRange(1, 0, 1, 2, false);  // ditto, from the left
    t->MergeCellRange(1, 2, 1, 1, false);  // spans of 1
    t->MergeCellRange(2, 2, 1, 1, false);  // an empty position
    t->MergeCellRange(1, 1, 2, 2, false);  // already that large
    t->MergeCellRange(1, 1, 5, 5, false);  // cut to the grid: the same
    t->MergeCellRange(9, 9, 2, 2, false);  // outside the grid
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), before);
}

TEST_F(TableTest, MergeWithANonPositiveSpanRaises) {
    auto t = Make(2, 2);
    for (auto [rs, cs] : {std::pair{0, 2}, std::pair{2, 0}, std::pair{-1, 2}}) {
        try {
            t->MergeCellRange(0, 0, rs, cs, false);
            ADD_FAILURE() << rs << " " << cs;
        } catch (const ERichDocError& e) {
            EXPECT_STREQ(e.what(), "Parameters for cell merging are not correct");
        }
    }
    // A span cut to 0 by the grid's edge, with the other above 1.
    EXPECT_THROW(t->MergeCellRange(0, 2, 2, 3, false), ERichDocError);
    EXPECT_NO_THROW(t->MergeCellRange(0, 0, 0, 1, false));
    EXPECT_EQ(Shape(*t), "x x |x x |");
}

struct WidthCase {
    const char* name;
    int rows, cols;
    std::vector<int> widths;  // row-major
    int expected;
};

class MergedWidthTest : public TableTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(MergedWidthTest, Recomputed) {
    const WidthCase& c = GetParam();
    auto t = Make(c.rows, c.cols);
    for (int r = 0; r < c.rows; ++r) {
        for (int k = 0; k < c.cols; ++k) t->Cell(r, k)->BestWidth = c.widths[static_cast<size_t>(r * c.cols + k)];
    }
    t->MergeCellRange(0, 0, c.rows, c.cols, true);
    ExpectWellFormed(*t);
    EXPECT_EQ(t->Cell(0, 0)->BestWidth, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, MergedWidthTest,
    ::testing::Values(WidthCase{"PixelsAdd", 1, 2, {100, 50}, 150},
                      WidthCase{"PercentDiscardsPixels", 1, 2, {-50, 100}, -50},
                      WidthCase{"PercentAfterPixelsReplacesThem", 1, 3, {100, -20, -30}, -50},
                      WidthCase{"ZerosIgnored", 1, 3, {0, 40, 0}, 40},
                      WidthCase{"WiderPixelRowWins", 2, 1, {100, 120}, 120},
                      WidthCase{"PercentRowBeatsPixels", 2, 1, {300, -10}, -10},
                      WidthCase{"LargerPercentWins", 2, 1, {-10, -40}, -40},
                      WidthCase{"PixelsNeverReplaceAPercent", 2, 1, {-10, 500}, -10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableTest, WidthKeptWithoutRecomputing) {
    auto t = Make(1, 2);
    t->Cell(0, 0)->BestWidth = 70;
    t->Cell(0, 1)->BestWidth = 30;
    t->MergeCellRange(0, 0, 1, 2, false);
    EXPECT_EQ(t->Cell(0, 0)->BestWidth, 70);
}

TEST_F(TableTest, DeletingPastTheEndCutsTheCountAndShortensSpans) {
    auto t = Make(2, 3);
    t->MergeCellRange(0, 0, 1, 3, false);
    t->DeleteColumnsAt(1, 5);
    ExpectWellFormed(*t);
    EXPECT_EQ(t->ColCount(), 1);
    EXPECT_EQ(t->Cell(0, 0)->ColSpan, 1);
    EXPECT_EQ(Shape(*t), "x |x |");
}

TEST_F(TableTest, DeletingTheStartOfASpanningCellSplitsIt) {
    auto t = Make(3, 4);
    // A cell over rows 0-1, columns 0-3 with 120 pixels; deleting columns
    // 0-1 leaves its right half as a new cell with half the width.
    t->Cell(0, 0)->BestWidth = 120;
    t->Cell(0, 0)->Color = clGreen;
    SetText(*t->Cell(0, 0), "gone");
    t->MergeCellRange(0, 0, 2, 4, false);
    t->DeleteColumnsAt(0, 2);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x2x2 . |. . |x x |");
    const TRDTableCellData& n = *t->Cell(0, 0);
    EXPECT_EQ(n.BestWidth, 60);
    EXPECT_EQ(n.Color, clGreen);
    EXPECT_FALSE(n.HasContent());
}

TEST_F(TableTest, DeletingTheMiddleOfASpanningCellShortensIt) {
    auto t = Make(2, 5);
    t->MergeCellRange(0, 0, 1, 5, false);
    t->MergeCellRange(1, 1, 1, 2, false);
    t->DeleteColumnsAt(1, 2);
    ExpectWellFormed(*t);
    EXPECT_EQ(Shape(*t), "x3x1 . . |x x x |");
    EXPECT_EQ(t->Cell(1, 1)->ColSpan, 1);  // split: the part at column 3 stays
}

TEST_F(TableTest, DeletingEveryColumnFromZero) {
    auto t = Make(2, 2);
    t->DeleteColumnsAt(0, 2);
    ExpectWellFormed(*t);
    EXPECT_EQ(t->RowCount(), 2);
    EXPECT_EQ(t->ColCount(), 0);
}

TEST_F(TableTest, CoveringCellFindsTheSpanningCell) {
    auto t = Make(3, 3);
    t->MergeCellRange(1, 1, 2, 2, false);
    const TRDCellPlace p = t->CoveringCell(2, 2);
    EXPECT_EQ(p.Cell, t->Cell(1, 1));
    EXPECT_EQ(p.Row, 1);
    EXPECT_EQ(p.Col, 1);
    const TRDCellPlace q = t->CoveringCell(2, 0);
    EXPECT_EQ(q.Cell, t->Cell(2, 0));
    EXPECT_EQ(t->CoveringCell(3, 0).Cell, nullptr);
}

TEST_F(TableTest, CopyCellPropertiesLeavesSpansAndContent) {
    auto t = Make(1, 2);
    TRDTableCellData& a = *t->Cell(0, 0);
    TRDTableCellData& b = *t->Cell(0, 1);
    a.Color = clRed;
    a.BorderColor = clBlue;
    a.BorderLightColor = clNavy;
    a.VisibleBorders.Top = false;
    a.VAlign = rdcBottom;
    a.BestWidth = -30;
    a.BestHeight = 12;
    a.ColSpan = 2;
    SetText(a, "a");
    TRDTableItemInfo::CopyCellProperties(b, a);
    EXPECT_EQ(b.Color, clRed);
    EXPECT_EQ(b.BorderColor, clBlue);
    EXPECT_EQ(b.BorderLightColor, clNavy);
    EXPECT_FALSE(b.VisibleBorders.Top);
    EXPECT_EQ(b.VAlign, rdcBottom);
    EXPECT_EQ(b.BestWidth, -30);
    EXPECT_EQ(b.BestHeight, 12);
    EXPECT_EQ(b.ColSpan, 1);
    EXPECT_FALSE(b.HasContent());
    a.ColSpan = 1;
}

TEST_F(TableTest, CheckInvariantsReportsABrokenGrid) {
    auto t = Make(2, 2);
    t->Cell(0, 0)->ColSpan = 2;  // covers a cell
    std::string problem;
    EXPECT_FALSE(t->CheckInvariants(&problem));
    EXPECT_NE(problem, "");
    t->Cell(0, 0)->ColSpan = 3;  // reaches outside
    EXPECT_FALSE(t->CheckInvariants());
    t->Cell(0, 0)->ColSpan = 1;
    EXPECT_TRUE(t->CheckInvariants());
}

// Random sequences of operations keep the grid well-formed.
TEST_F(TableTest, RandomOperationsKeepTheGridWellFormed) {
    uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(n));
    };
    for (int round = 0; round < 40; ++round) {
        auto t = Make(1 + next(4), 1 + next(4));
        for (int step = 0; step < 30; ++step) {
            const int rows = t->RowCount();
            const int cols = t->ColCount();
            try {
                switch (next(4)) {
                case 0: t->InsertRowsAt(next(rows + 1), 1 + next(2)); break;
                case 1: t->InsertColumnsAt(next(cols + 1), 1 + next(2)); break;
                case 2:
                    if (cols > 1) t->DeleteColumnsAt(next(cols), 1 + next(cols));
                    break;
                default:
                    if (rows > 0 && cols > 0) {
                        t->MergeCellRange(next(rows), next(cols), 1 + next(3), 1 + next(3), next(2) == 1);
                    }
                }
            } catch (const ERichDocError&) {
            }
            std::string problem;
            ASSERT_TRUE(t->CheckInvariants(&problem)) << "round " << round << " step " << step << ": " << problem;
            if (t->RowCount() > 12 || t->ColCount() > 12) break;
        }
    }
}

}  // namespace
}  // namespace tovra
