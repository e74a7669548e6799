// The table item: a grid of cells, each cell a document of its own, and the
// operations that build and reshape the grid.
//
// The grid is a list of rows; each row holds one position per column, and a
// position holds a cell or is empty where a neighbouring cell spans over it.
// A cell at (r, c) with RowSpan h and ColSpan w covers rows r … r+h-1 and
// columns c … c+w-1. Every operation leaves the grid well-formed: all rows
// have the same number of positions, every cell's rectangle lies inside the
// grid, and every empty position lies in exactly one rectangle
// (CheckInvariants tells).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "richtext/document.h"

namespace tovra {

// Errors of the table operations.
class ERichDocError : public Error {
public:
    explicit ERichDocError(const std::string& message) : Error(message) {}
};

enum TRDCellVAlign : uint8_t { rdcTop, rdcMiddle, rdcBottom, rdcVDefault };
enum TRDTableBorderStyle : uint8_t { rdtbRaised, rdtbLowered, rdtbColor, rdtbRaisedColor, rdtbLoweredColor };

// Positive: pixels; negative: percent; 0: not given.
using TRDHTMLLength = int32_t;

// A table cell. A new cell holds one empty text item (style 0, paragraph 0).
class TRDTableCellData final : public TCustomRDData {
public:
    explicit TRDTableCellData(TRDTableItemInfo* table);
    ~TRDTableCellData() override;

    TRDStyle* GetStyle() const override;
    TRDMarkerList* GetMarkers() const override;
    TRDTableItemInfo* OwnerTable() const override { return table_; }

    // True unless the cell holds nothing but at most one empty text item.
    bool HasContent() const;

    int32_t ColSpan = 1;
    int32_t RowSpan = 1;
    TColor Color = clNone;
    TColor BorderColor = clNone;
    TColor BorderLightColor = clNone;
    TRDHTMLLength BestWidth = 0;
    int32_t BestHeight = 0;
    TRDCellVAlign VAlign = rdcVDefault;
    TRDBooleanRect VisibleBorders;

private:
    TRDTableItemInfo* table_;
};

struct TRDTableRow {
    TRDCellVAlign VAlign = rdcTop;
    std::vector<std::unique_ptr<TRDTableCellData>> Cells;  // null: covered position
};

using TRDTableRows = std::vector<TRDTableRow>;

// A cell with its own position, as CoveringCell finds it.
struct TRDCellPlace {
    TRDTableCellData* Cell = nullptr;
    int Row = -1;
    int Col = -1;
};

class TRDTableItemInfo final : public TCustomRDItemInfo {
public:
    // A grid of `rows` × `cols` new cells; `document` is the document the
    // table will belong to (its style sheet serves the cells).
    TRDTableItemInfo(int rows, int cols, TCustomRDData* document);
    ~TRDTableItemInfo() override;

    bool OccupiesWholeLine() const override { return true; }
    void AttachToDocument(TCustomRDData* document) override { ParentData = document; }

    // The document that holds the table.
    TCustomRDData* ParentData;

    // Table properties.
    TRDHTMLLength BestWidth = 0;
    TColor Color = clWindow;
    int32_t BorderWidth = 0;
    TColor BorderColor = clWindowText;
    TColor BorderLightColor = clBtnHighlight;
    TRDTableBorderStyle BorderStyle = rdtbRaised;
    int32_t BorderVSpacing = 2;
    int32_t BorderHSpacing = 2;
    int32_t CellBorderWidth = 0;
    TColor CellBorderColor = clWindowText;
    TColor CellBorderLightColor = clBtnHighlight;
    TRDTableBorderStyle CellBorderStyle = rdtbLowered;
    int32_t CellPadding = 1;
    int32_t CellVSpacing = 2;
    int32_t CellHSpacing = 2;
    int32_t HRuleWidth = 0;
    int32_t VRuleWidth = 0;
    TColor HRuleColor = clWindowText;
    TColor VRuleColor = clWindowText;
    int32_t HeadingRowCount = 0;
    std::string TextRowSeparator = "\r\n";
    std::string TextColSeparator = "\r\n";

    const TRDTableRows& Rows() const { return rows_; }
    // Raises EListError for a row that does not exist.
    TRDTableRow& Row(int r) {
        if (r < 0 || r >= RowCount()) throw EListError(r);
        return rows_[static_cast<size_t>(r)];
    }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The number of positions of row 0 (0 without rows).
    int ColCount() const { return rows_.empty() ? 0 : static_cast<int>(rows_[0].Cells.size()); }

    // The cell at (r, c), or null for an empty or absent position.
    TRDTableCellData* Cell(int r, int c) const;
    // The cell whose rectangle holds (r, c); Cell is null when none does.
    TRDCellPlace CoveringCell(int r, int c) const;

    // Frees every row and cell and builds a grid of new cells again.
    void ResetGrid(int rows, int cols);
    // Inserts `count` rows of new cells at `index` (0 … RowCount); cells
    // spanning across the index grow. Raises "Invalid row or column index".
    void InsertRowsAt(int index, int count);
    // Inserts `count` new cells at `index` (0 … ColCount) in every row;
    // cells spanning across the index grow.
    void InsertColumnsAt(int index, int count);
    // Removes columns index … index+count-1 (cut to the existing ones);
    // spanning cells are split or shortened.
    void DeleteColumnsAt(int index, int count);
    // Merges the rectangle into the cell at (row, col): the other cells'
    // contents are appended to it. Does nothing when the rectangle cuts
    // through a cell outside it. Raises "Parameters for cell merging are not
    // correct" for a span of 0 or less (with the other above 1).
    void MergeCellRange(int row, int col, int rowSpan, int colSpan, bool recomputeWidth);
    // Gives `target` the colours, borders, alignment and sizes of `source`.
    static void CopyCellProperties(TRDTableCellData& target, const TRDTableCellData& source);

    // True when the grid is well-formed; otherwise `problem` (if given)
    // describes the first fault found.
    bool CheckInvariants(std::string* problem = nullptr) const;

private:
    std::unique_ptr<TRDTableCellData> NewCell() { return std::make_unique<TRDTableCellData>(this); }
    TRDTableRow NewRow(int cols);
    TRDHTMLLength MergedWidth(int row, int col, int rowSpan, int colSpan) const;

    TRDTableRows rows_;
};

}  // namespace tovra
