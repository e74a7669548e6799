// Table cells and the grid operations of the table item.
#include "richtext/table.h"

#include <algorithm>

namespace tovra {

namespace {

const char kInvalidIndex[] = "Invalid row or column index";
const char kBadMerge[] = "Parameters for cell merging are not correct";

}  // namespace

// ---- cells ----

TRDTableCellData::TRDTableCellData(TRDTableItemInfo* table) : table_(table) { AddText({}, 0, 0); }

TRDTableCellData::~TRDTableCellData() { TRDTableCellData::Clear(); }

TRDStyle* TRDTableCellData::GetStyle() const {
    return table_ && table_->ParentData ? table_->ParentData->GetStyle() : nullptr;
}

TRDMarkerList* TRDTableCellData::GetMarkers() const {
    return table_ && table_->ParentData ? table_->ParentData->GetMarkers() : nullptr;
}

bool TRDTableCellData::HasContent() const {
    if (ItemCount() > 1) return true;
    if (ItemCount() == 0) return false;
    return !GetItem(0).IsText() || !GetItemText(0).empty();
}

// ---- table ----

TRDTableItemInfo::TRDTableItemInfo(int rows, int cols, TCustomRDData* document)
    : TCustomRDItemInfo(rdkTable, 0), ParentData(document) {
    ResetGrid(rows, cols);
}

TRDTableItemInfo::~TRDTableItemInfo() = default;

TRDTableRow TRDTableItemInfo::NewRow(int cols) {
    TRDTableRow row;
    row.Cells.reserve(static_cast<size_t>(std::max(cols, 0)));
    for (int c = 0; c < cols; ++c) row.Cells.push_back(NewCell());
    return row;
}

void TRDTableItemInfo::ResetGrid(int rows, int cols) {
    rows_.clear();
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    rows_.reserve(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) rows_.push_back(NewRow(cols));
}

TRDTableCellData* TRDTableItemInfo::Cell(int r, int c) const {
    if (r < 0 || r >= RowCount()) return nullptr;
    const auto& cells = rows_[static_cast<size_t>(r)].Cells;
    if (c < 0 || c >= static_cast<int>(cells.size())) return nullptr;
    return cells[static_cast<size_t>(c)].get();
}

TRDCellPlace TRDTableItemInfo::CoveringCell(int r, int c) const {
    if (r < 0 || r >= RowCount() || c < 0) return {};
    if (TRDTableCellData* cell = Cell(r, c)) return {cell, r, c};
    for (int row = r; row >= 0; --row) {
        const auto& cells = rows_[static_cast<size_t>(row)].Cells;
        int col = std::min(c, static_cast<int>(cells.size()) - 1);
        while (col >= 0 && !cells[static_cast<size_t>(col)]) --col;
        if (col < 0) continue;
        const TRDTableCellData* cell = cells[static_cast<size_t>(col)].get();
        if (col + cell->ColSpan > c && row + cell->RowSpan > r) {
            return {cells[static_cast<size_t>(col)].get(), row, col};
        }
    }
    return {};
}

void TRDTableItemInfo::InsertRowsAt(int index, int count) {
    if (index < 0 || index > RowCount() || count < 0) throw ERichDocError(kInvalidIndex);
    if (count == 0) return;
    const int cols = ColCount();
    std::vector<bool> covered(static_cast<size_t>(cols), false);
    if (index < RowCount()) {
        for (int c = cols - 1; c >= 0;) {
            const TRDCellPlace k = CoveringCell(index, c);
            if (!k.Cell) {
                --c;
                continue;
            }
            if (k.Row < index && k.Row + k.Cell->RowSpan > index) {
                k.Cell->RowSpan += count;
                for (int x = k.Col; x < std::min(k.Col + k.Cell->ColSpan, cols); ++x) covered[static_cast<size_t>(x)] = true;
            }
            c = k.Col - 1;
        }
    }
    std::vector<TRDTableRow> fresh;
    fresh.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TRDTableRow row = NewRow(cols);
        for (int c = 0; c < cols; ++c) {
            if (covered[static_cast<size_t>(c)]) row.Cells[static_cast<size_t>(c)].reset();
        }
        fresh.push_back(std::move(row));
    }
    rows_.insert(rows_.begin() + index, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
}

void TRDTableItemInfo::InsertColumnsAt(int index, int count) {
    if (index < 0 || index > ColCount() || count < 0) throw ERichDocError(kInvalidIndex);
    if (count == 0) return;
    std::vector<bool> covered(rows_.size(), false);
    if (index < ColCount()) {
        for (int r = RowCount() - 1; r >= 0;) {
            const TRDCellPlace k = CoveringCell(r, index);
            if (!k.Cell) {
                --r;
                continue;
            }
            if (k.Col < index && k.Col + k.Cell->ColSpan > index) {
                k.Cell->ColSpan += count;
                for (int y = k.Row; y < std::min(k.Row + k.Cell->RowSpan, RowCount()); ++y) covered[static_cast<size_t>(y)] = true;
            }
            r = k.Row - 1;
        }
    }
    for (size_t r = 0; r < rows_.size(); ++r) {
        auto& cells = rows_[r].Cells;
        const auto at = cells.begin() + std::min<size_t>(static_cast<size_t>(index), cells.size());
        std::vector<std::unique_ptr<TRDTableCellData>> fresh(static_cast<size_t>(count));
        if (!covered[r]) {
            for (auto& cell : fresh) cell = NewCell();
        }
        cells.insert(at, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    }
}

void TRDTableItemInfo::CopyCellProperties(TRDTableCellData& target, const TRDTableCellData& source) {
    target.Color = source.Color;
    target.BorderColor = source.BorderColor;
    target.BorderLightColor = source.BorderLightColor;
    target.VisibleBorders = source.VisibleBorders;
    target.VAlign = source.VAlign;
    target.BestWidth = source.BestWidth;
    target.BestHeight = source.BestHeight;
}

void TRDTableItemInfo::DeleteColumnsAt(int index, int count) {
    const int cols = ColCount();
    if (index < 0 || index >= cols || count < 1 || (index == 0 && count > cols)) {
        throw ERichDocError(kInvalidIndex);
    }
    count = std::min(count, cols - index);
    const int last = index + count - 1;
    // Cells that start inside the range and reach past it keep their part
    // right of the range as a new cell.
    for (int r = RowCount() - 1; r >= 0;) {
        const TRDCellPlace k = CoveringCell(r, last);
        if (!k.Cell) {
            --r;
            continue;
        }
        if (k.Col >= index && k.Col + k.Cell->ColSpan - 1 > last) {
            auto n = NewCell();
            CopyCellProperties(*n, *k.Cell);
            n->RowSpan = k.Cell->RowSpan;
            n->ColSpan = k.Col + k.Cell->ColSpan - (last + 1);
            n->BestWidth = n->ColSpan * k.Cell->BestWidth / k.Cell->ColSpan;
            k.Cell->ColSpan -= n->ColSpan;
            rows_[static_cast<size_t>(k.Row)].Cells[static_cast<size_t>(last + 1)] = std::move(n);
        }
        r = k.Row - 1;
    }
    // Cells that start left of the range and reach into it are shortened.
    for (int r = RowCount() - 1; r >= 0;) {
        const TRDCellPlace k = CoveringCell(r, index);
        if (!k.Cell) {
            --r;
            continue;
        }
        if (k.Col < index) {
            if (k.Col + k.Cell->ColSpan - 1 > last) {
                k.Cell->ColSpan -= count;
            } else if (k.Col + k.Cell->ColSpan > index) {
                k.Cell->ColSpan = index - k.Col;
            }
        }
        r = k.Row - 1;
    }
    for (TRDTableRow& row : rows_) {
        auto& cells = row.Cells;
        const size_t from = std::min<size_t>(static_cast<size_t>(index), cells.size());
        const size_t to = std::min<size_t>(static_cast<size_t>(last) + 1, cells.size());
        cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(from), cells.begin() + static_cast<std::ptrdiff_t>(to));
    }
}

// Pixel widths add up until the first percentage, which replaces them;
// later percentages add to it. Across rows a percentage wins over pixels,
// the larger percentage over a smaller one, and the wider pixel row over a
// narrower one.
TRDHTMLLength TRDTableItemInfo::MergedWidth(int row, int col, int rowSpan, int colSpan) const {
    TRDHTMLLength result = 0;
    for (int r = row; r < row + rowSpan; ++r) {
        TRDHTMLLength sum = 0;
        bool percent = false;
        for (int c = col; c < col + colSpan; ++c) {
            const TRDTableCellData* cell = Cell(r, c);
            if (!cell || cell->BestWidth == 0) continue;
            if (cell->BestWidth < 0) {
                if (!percent) sum = 0;
                percent = true;
                sum += cell->BestWidth;
            } else if (!percent) {
                sum += cell->BestWidth;
            }
        }
        if (r == row) {
            result = sum;
        } else if (sum < 0) {
            result = result >= 0 ? sum : std::min(result, sum);
        } else if (result >= 0) {
            result = std::max(result, sum);
        }
    }
    return result;
}

void TRDTableItemInfo::MergeCellRange(int row, int col, int rowSpan, int colSpan, bool recomputeWidth) {
    if (row < 0 || row >= RowCount() || col < 0) {
        rowSpan = std::min(rowSpan, 0);
        colSpan = std::min(colSpan, 0);
    } else {
        rowSpan = std::min(rowSpan, RowCount() - row);
        colSpan = std::min(colSpan, static_cast<int>(rows_[static_cast<size_t>(row)].Cells.size()) - col);
    }
    if (rowSpan <= 1 && colSpan <= 1) return;
    if (rowSpan <= 0 || colSpan <= 0) throw ERichDocError(kBadMerge);
    TRDTableCellData* m = Cell(row, col);
    if (!m || (m->RowSpan >= rowSpan && m->ColSpan >= colSpan)) return;
    bool othersInside = false;
    for (int r = row; r < row + rowSpan; ++r) {
        for (int c = col; c < col + colSpan; ++c) {
            const TRDCellPlace k = CoveringCell(r, c);
            if (!k.Cell) return;  // not well-formed here: leave it alone
            if (k.Row < row || k.Col < col || k.Row + k.Cell->RowSpan > row + rowSpan ||
                k.Col + k.Cell->ColSpan > col + colSpan) {
                return;
            }
            if (k.Cell != m) othersInside = true;
        }
    }
    if (!othersInside) return;
    if (recomputeWidth) m->BestWidth = MergedWidth(row, col, rowSpan, colSpan);
    std::string text;
    for (int r = row; r < row + rowSpan; ++r) {
        auto& cells = rows_[static_cast<size_t>(r)].Cells;
        for (int c = col; c < col + colSpan; ++c) {
            std::unique_ptr<TRDTableCellData>& k = cells[static_cast<size_t>(c)];
            if (!k || k.get() == m) continue;
            if (k->HasContent()) {
                while (k->ItemCount() > 0) {
                    std::unique_ptr<TCustomRDItemInfo> item = k->ExtractItem(0, text);
                    if (item->HasFlag(rdifJoinsPrevious)) item->ParaNo = -1;
                    m->AddItem(text, std::move(item));
                }
            }
            k.reset();
        }
    }
    m->RowSpan = rowSpan;
    m->ColSpan = colSpan;
}

bool TCustomRDData::CheckInvariants(std::string* problem) const {
    auto fail = [problem](std::string text) {
        if (problem) *problem = std::move(text);
        return false;
    };
    for (int i = 0; i < ItemCount(); ++i) {
        const TCustomRDItemInfo& item = GetItem(i);
        const std::string at = "item " + std::to_string(i);
        if (item.StyleNo == rdkListMarker || item.OccupiesWholeLine()) {
            if (!item.StartsParagraph()) return fail(at + " is a marker or table that does not start a paragraph");
        }
        if (i > 0 && GetItem(i - 1).OccupiesWholeLine() && item.HasFlag(rdifJoinsPrevious)) {
            return fail(at + " joins a table");
        }
        if (item.StyleNo == rdkTable) {
            const auto& table = static_cast<const TRDTableItemInfo&>(item);
            if (table.ParentData != this) return fail(at + " is a table that names another document");
            std::string inner;
            if (!table.CheckInvariants(&inner)) return fail(at + ": " + inner);
        }
    }
    return true;
}

bool TRDTableItemInfo::CheckInvariants(std::string* problem) const {
    auto fail = [problem](std::string text) {
        if (problem) *problem = std::move(text);
        return false;
    };
    const int rows = RowCount();
    const int cols = ColCount();
    std::vector<int> owner(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0);
    for (int r = 0; r < rows; ++r) {
        const auto& cells = rows_[static_cast<size_t>(r)].Cells;
        if (static_cast<int>(cells.size()) != cols) {
            return fail("row " + std::to_string(r) + " has " + std::to_string(cells.size()) + " positions, not " +
                        std::to_string(cols));
        }
        for (int c = 0; c < cols; ++c) {
            const TRDTableCellData* cell = cells[static_cast<size_t>(c)].get();
            if (!cell) continue;
            const std::string at = "cell (" + std::to_string(r) + ", " + std::to_string(c) + ")";
            if (cell->OwnerTable() != this) return fail(at + " belongs to another table");
            if (cell->RowSpan < 1 || cell->ColSpan < 1) return fail(at + " has a span below 1");
            if (r + cell->RowSpan > rows || c + cell->ColSpan > cols) return fail(at + " reaches outside the grid");
            std::string inner;
            if (!cell->CheckInvariants(&inner)) return fail(at + ", " + inner);
            for (int y = r; y < r + cell->RowSpan; ++y) {
                for (int x = c; x < c + cell->ColSpan; ++x) {
                    if ((y != r || x != c) && Cell(y, x)) {
                        return fail(at + " covers the cell at (" + std::to_string(y) + ", " + std::to_string(x) + ")");
                    }
                    ++owner[static_cast<size_t>(y) * static_cast<size_t>(cols) + static_cast<size_t>(x)];
                }
            }
        }
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int n = owner[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c)];
            if (n != 1) {
                return fail("position (" + std::to_string(r) + ", " + std::to_string(c) + ") lies in " +
                            std::to_string(n) + " cell rectangles");
            }
        }
    }
    return true;
}

}  // namespace tovra
