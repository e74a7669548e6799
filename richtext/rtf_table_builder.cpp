// Table events of the RTF reader into table items.
#include "richtext/rtf_table_builder.h"

#include <algorithm>
#include <limits>

namespace tovra {

int32_t RoundRatio(int64_t num, int64_t den) {
    if (den <= 0) return 0;
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) {  // floor division
        r += den;
        --q;
    }
    const __int128 twice = static_cast<__int128>(r) * 2;
    if (twice > den || (twice == den && (q & 1) != 0)) ++q;
    return static_cast<int32_t>(
        std::clamp<int64_t>(q, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t TRDTwipScale::Ratio(int64_t num, int64_t den) const {
    // Sums of twips times the resolution stay far inside 64 bits; limit
    // anyway so that hostile sums cannot overflow.
    constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 1024;
    num = std::clamp(num, -kLimit, kLimit);
    if (den <= 0 || den > kLimit / 1440) return 0;
    return RoundRatio(num * ppi_, den * 1440);
}

// ---- working state ----

struct TRDRTFTableBuilder::TTableInfo {
    std::unique_ptr<TRDTableItemInfo> Table;
    std::unique_ptr<TRDTableItemInfo> RowTemplate;
    std::vector<int32_t> Boundaries;  // column boundaries in twips, ascending
    int SavedRow = 0;
    int SavedColumn = 0;
    int LastRow = -1;
    bool RowDone = true;
    bool UniformCellBorderColors = true;
    bool WidthsGiven = false;
    bool FixedSizes = false;
    bool HasHSpacing = false;
    bool HasVSpacing = false;
    int32_t TableWidth = 0;
    uint8_t LastAlignment = 0;
    int UsedEnd = -1;  // boundary index up to which cells cover columns, -1 none yet
    int64_t VSpacingSum = 0;
    int64_t HSpacingSum = 0;
    int64_t TopSpacing = 0;
    int64_t BottomSpacing = 0;  // the last placed row's used bottom spacing
    int64_t PaddingSum = 0;
    int64_t PaddingCount = 0;
    int64_t RowBorderSum = 0;
    int64_t RowBorderCount = 0;
    int64_t CellBorderSum = 0;
    int64_t CellBorderCount = 0;
    // Content of a row that found no cell of its own, placed after the table.
    std::vector<std::pair<std::string, std::unique_ptr<TCustomRDItemInfo>>> Overflow;

    void Restart() {
        Table.reset();
        Boundaries.clear();
        SavedRow = SavedColumn = 0;
        LastRow = -1;
        RowDone = true;
        UniformCellBorderColors = true;
        WidthsGiven = FixedSizes = HasHSpacing = HasVSpacing = false;
        TableWidth = 0;
        LastAlignment = 0;
        UsedEnd = -1;
        VSpacingSum = HSpacingSum = TopSpacing = BottomSpacing = 0;
        PaddingSum = PaddingCount = RowBorderSum = RowBorderCount = CellBorderSum = CellBorderCount = 0;
        Overflow.clear();
    }
};

struct TRDRTFTableBuilder::RowCell {
    int start = 0;  // first boundary index (= first column)
    int end = 0;    // last boundary index (columns start … end-1)
    int32_t leftTwips = 0;
    int32_t rightTwips = 0;
    bool remaining = false;  // holds a cell of its own after the merges
    int owner = -1;          // column of the cell that holds it
};

TRDRTFTableBuilder::TRDRTFTableBuilder(TRDRTFTableHost& host) : host_(host) {}
TRDRTFTableBuilder::~TRDRTFTableBuilder() = default;

void TRDRTFTableBuilder::Reset() {
    tables_.clear();
    row_ = 0;
    column_ = 0;
    moving_.clear();
}

TRDTableCellData* TRDRTFTableBuilder::CurrentCell() const {
    if (tables_.empty()) return nullptr;
    return tables_.back()->RowTemplate->Cell(0, column_);
}

void TRDRTFTableBuilder::NoteContentAdded() {
    if (!tables_.empty()) tables_.back()->RowDone = false;
}

void TRDRTFTableBuilder::HandleEvent(const TRDRTFReader& reader, TRDRTFTableEventKind kind) {
    switch (kind) {
    case rdf_tbl_TableStart: TableStart(); break;
    case rdf_tbl_CellEnd: CellEnd(reader); break;
    case rdf_tbl_RowEnd: RowEnd(reader); break;
    case rdf_tbl_TableEnd: TableEnd(reader); break;
    }
}

void TRDRTFTableBuilder::CloseAll(const TRDRTFReader& reader) {
    while (!tables_.empty()) TableEnd(reader);
}

void TRDRTFTableBuilder::TableStart() {
    TCustomRDData* enclosing = CurrentCell();
    if (!enclosing) enclosing = &host_.Target();
    std::unique_ptr<TTableInfo> info;
    if (spare_.empty()) {
        info = std::make_unique<TTableInfo>();
    } else {
        info = std::move(spare_.back());
        spare_.pop_back();
        info->Restart();
    }
    info->Table = std::make_unique<TRDTableItemInfo>(0, 0, enclosing);
    TRDTableItemInfo& t = *info->Table;
    t.Color = clNone;
    t.BorderStyle = rdtbRaisedColor;
    t.CellBorderStyle = rdtbLoweredColor;
    t.BorderColor = clWindowText;
    t.BorderLightColor = clWindowText;
    t.CellBorderColor = clWindowText;
    t.CellBorderLightColor = clWindowText;
    if (info->RowTemplate) {
        info->RowTemplate->ParentData = enclosing;
        info->RowTemplate->ResetGrid(1, 1);
    } else {
        info->RowTemplate = std::make_unique<TRDTableItemInfo>(1, 1, enclosing);
    }
    info->SavedRow = row_;
    info->SavedColumn = column_;
    row_ = 0;
    column_ = 0;
    tables_.push_back(std::move(info));
    CurrentCell()->Clear();
}

void TRDRTFTableBuilder::CellEnd(const TRDRTFReader& reader) {
    if (tables_.empty()) return;
    // Every cell holds at least one item.
    if (CurrentCell()->ItemCount() == 0) host_.AddEmptyCellRun(reader);
    ++column_;
    TRDTableItemInfo& tpl = *tables_.back()->RowTemplate;
    if (tpl.ColCount() <= column_) tpl.InsertColumnsAt(tpl.ColCount(), 1);
    CurrentCell()->Clear();
}

void TRDRTFTableBuilder::RowEnd(const TRDRTFReader& reader) {
    if (tables_.empty()) return;
    TTableInfo& info = *tables_.back();
    const TRDRTFRowProperties* row = reader.State().RowProps.get();
    if (row) {
        PlaceRow(info, *row);
    } else {
        // A row end with no row definition: a row without cells.
        TRDRTFRowProperties none;
        none.Cells.clear();
        none.LastCellOpen = false;
        PlaceRow(info, none);
    }
    info.RowDone = true;
    ++row_;
    column_ = 0;
    info.RowTemplate->ResetGrid(1, 1);
    CurrentCell()->Clear();
}

void TRDRTFTableBuilder::MoveItems(TCustomRDData& from, TCustomRDData& to, bool asParagraph) {
    moving_.clear();
    for (int i = from.ItemCount() - 1; i >= 0; --i) {
        std::string text;
        std::unique_ptr<TCustomRDItemInfo> item = from.ExtractItem(i, text);
        moving_.emplace_back(std::move(text), std::move(item));
    }
    bool first = true;
    for (auto it = moving_.rbegin(); it != moving_.rend(); ++it) {
        if (first && (asParagraph || to.ItemCount() == 0)) {
            it->second->ClearFlag(rdifJoinsPrevious);
            it->second->ClearFlag(rdifLineBreak);
        }
        first = false;
        to.InsertItem(to.ItemCount(), it->first, std::move(it->second));
    }
    moving_.clear();
}

void TRDRTFTableBuilder::MoveToOverflow(TCustomRDData& from, TTableInfo& info) {
    const size_t at = info.Overflow.size();
    for (int i = from.ItemCount() - 1; i >= 0; --i) {
        std::string text;
        std::unique_ptr<TCustomRDItemInfo> item = from.ExtractItem(i, text);
        info.Overflow.emplace_back(std::move(text), std::move(item));
    }
    std::reverse(info.Overflow.begin() + static_cast<std::ptrdiff_t>(at), info.Overflow.end());
}

// Finds the boundary within 1 twip of `twips`, or adds it and the column it
// makes: a boundary between two others splits a column, and the cells of
// the rows above that ended at the split column are widened over both
// parts; one before the first or after the last adds a column there.
int TRDRTFTableBuilder::LocateBoundary(TTableInfo& info, int32_t twips, int currentRow) {
    std::vector<int32_t>& b = info.Boundaries;
    const int64_t x = twips;
    auto it = std::lower_bound(b.begin(), b.end(), x - 1, [](int32_t v, int64_t key) { return v < key; });
    if (it != b.end() && *it <= x + 1) return static_cast<int>(it - b.begin());
    const int p = static_cast<int>(it - b.begin());
    const int s = static_cast<int>(b.size());
    TRDTableItemInfo& t = *info.Table;
    if (s > kMaxTableColumns ||
        (s > 0 && static_cast<int64_t>(std::max(t.RowCount(), 1)) * (t.ColCount() + 1) > kMaxTableCells)) {
        // No room for another column: the nearest boundary stands in.
        if (p == s) return s - 1;
        if (p == 0) return 0;
        return x - b[static_cast<size_t>(p - 1)] <= b[static_cast<size_t>(p)] - x ? p - 1 : p;
    }
    b.insert(it, twips);
    if (info.UsedEnd >= 0 && p <= info.UsedEnd) ++info.UsedEnd;
    if (s == 0) return p;
    if (p == 0) {
        t.InsertColumnsAt(0, 1);
    } else if (p == s) {
        t.InsertColumnsAt(t.ColCount(), 1);
    } else {
        t.InsertColumnsAt(p, 1);
        // Column p-1 was split; cells that ended there cover both parts.
        for (int r = 0; r < currentRow; ++r) {
            const TRDCellPlace k = t.CoveringCell(r, p - 1);
            if (!k.Cell || k.Row != r || k.Col + k.Cell->ColSpan - 1 != p - 1) continue;
            t.MergeCellRange(r, k.Col, k.Cell->RowSpan, k.Cell->ColSpan + 1, false);
        }
    }
    return p;
}

void TRDRTFTableBuilder::AddRowSums(TTableInfo& info, const TRDRTFRowProperties& row, bool firstRow) {
    enum { L = 0, T = 1, R = 2, B = 3 };
    if (row.UseSpacing[T]) {
        if (firstRow) {
            info.TopSpacing = row.Spacing[T];
        } else {
            info.VSpacingSum += row.Spacing[T];
        }
    }
    info.VSpacingSum += info.BottomSpacing;
    info.BottomSpacing = row.UseSpacing[B] ? row.Spacing[B] : 0;
    for (int side : {L, R}) {
        if (row.UseSpacing[side]) {
            info.HSpacingSum += row.Spacing[side];
        } else if (row.UsePadding[side]) {
            info.HSpacingSum += int64_t{row.Gap} - row.Padding[side];
        }
    }
    for (int side = 0; side < 4; ++side) {
        if (row.UsePadding[side]) info.PaddingSum += row.Padding[side];
        ++info.PaddingCount;
        if (row.Border.HasSide(side)) {
            info.RowBorderSum += row.Border.Sides[static_cast<size_t>(side)]->Width;
            ++info.RowBorderCount;
        }
    }
    if (row.UseSpacing[L] || row.UseSpacing[R]) info.HasHSpacing = true;
    if (row.UseSpacing[T] || row.UseSpacing[B]) info.HasVSpacing = true;
}

void TRDRTFTableBuilder::PlaceRow(TTableInfo& info, const TRDRTFRowProperties& row) {
    TRDTableItemInfo& t = *info.Table;
    TRDTableItemInfo& tpl = *info.RowTemplate;
    const int cur = t.RowCount();
    if (static_cast<int64_t>(cur + 1) * std::max(t.ColCount(), 1) > kMaxTableCells) {
        // The table is full: the row's content follows it.
        for (int k = 0; k < tpl.ColCount(); ++k) {
            TRDTableCellData* cell = tpl.Cell(0, k);
            if (cell && cell->HasContent()) MoveToOverflow(*cell, info);
        }
        return;
    }
    t.InsertRowsAt(cur, 1);
    info.LastRow = cur;
    info.LastAlignment = row.Alignment;
    if (row.Heading) t.HeadingRowCount = t.RowCount();
    AddRowSums(info, row, cur == 0);

    if (row.HasFixedSizes) {
        info.TableWidth = row.BestWidth;
        info.FixedSizes = true;
    } else if ((row.BestWidth > 0 && row.BestWidth > info.TableWidth) ||
               (info.TableWidth <= 0 && row.BestWidth < info.TableWidth)) {
        info.TableWidth = row.BestWidth;
    }

    const TRDRTFParaBorder& rb = row.Border;
    for (int side : {rtf_side_Left, rtf_side_Top}) {
        if (rb.HasSide(side)) {
            t.BorderLightColor = rb.Sides[static_cast<size_t>(side)]->Color;
            break;
        }
    }
    for (int side : {rtf_side_Right, rtf_side_Bottom}) {
        if (rb.HasSide(side)) {
            t.BorderColor = rb.Sides[static_cast<size_t>(side)]->Color;
            break;
        }
    }

    // Columns. A cell runs from the previous cell's right boundary (or the
    // row's left edge) to its own; a right boundary left of that start
    // gives a cell without columns, so that cells never overlap.
    rowCells_.clear();
    const int leftIndex = LocateBoundary(info, row.Left, cur);
    int prevIndex = leftIndex;
    int32_t prevRight = row.Left;
    for (const TRDRTFCellProperties& record : row.Cells) {
        const int32_t right = std::max(record.RightBoundary, prevRight);
        int index = prevIndex;
        if (right > prevRight) index = std::max(LocateBoundary(info, right, cur), prevIndex);
        RowCell rc;
        rc.start = prevIndex;
        rc.end = index;
        rc.leftTwips = prevRight;
        rc.rightTwips = right;
        rowCells_.push_back(rc);
        prevIndex = index;
        prevRight = right;
    }
    const int rowEnd = prevIndex;
    info.UsedEnd = std::max(info.UsedEnd, rowEnd);

    for (const RowCell& rc : rowCells_) {
        if (rc.end - rc.start > 1) t.MergeCellRange(cur, rc.start, 1, rc.end - rc.start, false);
    }
    // Positions of the row outside its cells hold emptied cells.
    for (int c = 0; c < t.ColCount(); ++c) {
        if (c >= leftIndex && c < rowEnd) continue;
        if (TRDTableCellData* cell = t.Cell(cur, c)) cell->Clear();
    }

    // Content: each cell receives the items of the template cell with its
    // index.
    const int templateCells = tpl.ColCount();
    for (size_t k = 0; k < rowCells_.size(); ++k) {
        RowCell& rc = rowCells_[k];
        if (rc.end <= rc.start) continue;
        TRDTableCellData* dest = t.Cell(cur, rc.start);
        dest->Clear();
        if (static_cast<int>(k) < templateCells) MoveItems(*tpl.Cell(0, static_cast<int>(k)), *dest, false);
        rc.remaining = true;
        rc.owner = rc.start;
    }
    // Content read for a cell the row does not define (more cells than
    // boundaries, or a cell without width) is kept: it joins the nearest
    // cell before it, else the first one after it, else it follows the
    // table.
    for (int k = 0; k < templateCells; ++k) {
        if (static_cast<size_t>(k) < rowCells_.size() && rowCells_[static_cast<size_t>(k)].remaining) continue;
        TRDTableCellData* source = tpl.Cell(0, k);
        if (!source || !source->HasContent()) continue;
        int target = -1;
        for (int j = std::min(k, static_cast<int>(rowCells_.size())) - 1; j >= 0 && target < 0; --j) {
            if (rowCells_[static_cast<size_t>(j)].remaining) target = j;
        }
        for (size_t j = static_cast<size_t>(k) + 1; j < rowCells_.size() && target < 0; ++j) {
            if (rowCells_[j].remaining) target = static_cast<int>(j);
        }
        if (target >= 0) {
            MoveItems(*source, *t.Cell(cur, rowCells_[static_cast<size_t>(target)].start), true);
        } else {
            MoveToOverflow(*source, info);
        }
    }

    // Horizontal merges: a cell with HMerge 2 joins the cell to its left.
    for (size_t k = 0; k < rowCells_.size(); ++k) {
        RowCell& rc = rowCells_[k];
        if (!rc.remaining || row.Cells[k].HMerge != 2) continue;
        int owner = -1;
        for (size_t j = k; j-- > 0 && owner < 0;) owner = rowCells_[j].owner;
        if (owner < 0) continue;
        t.MergeCellRange(cur, owner, 1, rc.end - owner, false);
        if (!t.Cell(cur, rc.start)) {
            rc.remaining = false;
            rc.owner = owner;
        }
    }
    // Vertical merges: a cell with VMerge 2 joins the cell above it.
    if (cur > 0) {
        for (size_t k = 0; k < rowCells_.size(); ++k) {
            RowCell& rc = rowCells_[k];
            if (!rc.remaining || row.Cells[k].VMerge != 2) continue;
            const TRDCellPlace above = t.CoveringCell(cur - 1, rc.start);
            if (!above.Cell) continue;
            const TRDTableCellData* self = t.Cell(cur, rc.start);
            if (!self) {  // taken in by an earlier merge of this row
                rc.remaining = false;
                continue;
            }
            const int selfEnd = rc.start + self->ColSpan;
            const int colSpan = std::max(above.Cell->ColSpan, selfEnd - above.Col);
            t.MergeCellRange(above.Row, above.Col, cur - above.Row + 1, colSpan, false);
            if (!t.Cell(cur, rc.start)) rc.remaining = false;
        }
    }

    for (size_t k = 0; k < rowCells_.size(); ++k) {
        const RowCell& rc = rowCells_[k];
        TRDTableCellData* cell = rc.remaining ? t.Cell(cur, rc.start) : nullptr;
        if (cell) SetCellProperties(info, *cell, row.Cells[k], rc.leftTwips, rc.rightTwips, row.Height);
    }
}

void TRDRTFTableBuilder::SetCellProperties(TTableInfo& info, TRDTableCellData& cell,
                                           const TRDRTFCellProperties& record, int32_t leftTwips,
                                           int32_t rightTwips, int32_t rowHeight) {
    const TRDTwipScale& scale = host_.Scale();
    cell.Color = record.Color;
    if (info.FixedSizes) {
        cell.BestHeight = record.BestHeight;
    } else if (rowHeight > 0) {
        cell.BestHeight = scale(rowHeight);
    }
    const TRDRTFParaBorder& b = record.Border;
    cell.VisibleBorders.Left = b.HasSide(rtf_side_Left);
    cell.VisibleBorders.Top = b.HasSide(rtf_side_Top);
    cell.VisibleBorders.Right = b.HasSide(rtf_side_Right);
    cell.VisibleBorders.Bottom = b.HasSide(rtf_side_Bottom);
    auto colorOf = [&b](int first, int second) {
        if (b.HasSide(first)) return b.Sides[static_cast<size_t>(first)]->Color;
        if (b.HasSide(second)) return b.Sides[static_cast<size_t>(second)]->Color;
        return clNone;
    };
    cell.BorderColor = colorOf(rtf_side_Left, rtf_side_Top);
    cell.BorderLightColor = colorOf(rtf_side_Right, rtf_side_Bottom);

    if (info.FixedSizes) {
        cell.BestWidth = record.BestWidth;
    } else {
        if (record.BestWidth != 0) info.WidthsGiven = true;
        if (!info.WidthsGiven) {
            cell.BestWidth = scale(int64_t{rightTwips} - leftTwips);
        } else if (record.BestWidth < 0) {
            cell.BestWidth = RoundRatio(record.BestWidth, 50);  // fiftieths of a percent
        } else {
            cell.BestWidth = scale(record.BestWidth);
        }
    }
    switch (record.VAlign) {
    case 1: cell.VAlign = rdcBottom; break;
    case 2: cell.VAlign = rdcMiddle; break;
    default: cell.VAlign = rdcTop; break;
    }

    bool haveColor = false;
    TColor firstColor = 0;
    for (int side = 0; side < 4; ++side) {
        if (!b.HasSide(side)) continue;
        const TRDRTFBorderSide& s = *b.Sides[static_cast<size_t>(side)];
        info.CellBorderSum += s.Width;
        ++info.CellBorderCount;
        if (!haveColor) {
            firstColor = s.Color;
            haveColor = true;
        } else if (s.Color != firstColor) {
            info.UniformCellBorderColors = false;
        }
    }
}

void TRDRTFTableBuilder::TableEnd(const TRDRTFReader& /*reader*/) {
    if (tables_.empty()) return;
    std::unique_ptr<TTableInfo> info = std::move(tables_.back());
    tables_.pop_back();
    row_ = info->SavedRow;
    column_ = info->SavedColumn;
    FinishTable(*info);

    // Content after the last row end, and content no cell took, follows
    // the table as paragraphs.
    for (auto& [text, item] : info->Overflow) host_.MoveOutItem(text, std::move(item));
    info->Overflow.clear();
    if (!info->RowDone) {
        TRDTableItemInfo& tpl = *info->RowTemplate;
        for (int k = 0; k < tpl.ColCount(); ++k) {
            TRDTableCellData* cell = tpl.Cell(0, k);
            if (!cell || cell->ItemCount() == 0) continue;
            MoveToOverflow(*cell, *info);
        }
        for (auto& [text, item] : info->Overflow) host_.MoveOutItem(text, std::move(item));
        info->Overflow.clear();
    }
    info->RowTemplate->ResetGrid(1, 1);
    info->Table.reset();
    spare_.push_back(std::move(info));
}

void TRDRTFTableBuilder::FinishTable(TTableInfo& info) {
    TRDTableItemInfo& t = *info.Table;
    const TRDTwipScale& scale = host_.Scale();

    const int used = std::max(info.UsedEnd, 0);
    if (t.RowCount() > 0 && t.ColCount() > used) t.DeleteColumnsAt(used, t.ColCount() - used);

    if (info.UniformCellBorderColors) t.CellBorderStyle = rdtbColor;
    if (t.BorderColor == t.BorderLightColor) t.BorderStyle = rdtbColor;
    t.CellPadding = info.PaddingCount > 0 ? scale.Ratio(info.PaddingSum, info.PaddingCount) : 0;

    for (int r = 0; r < t.RowCount(); ++r) {
        for (int c = 0; c < t.ColCount(); ++c) {
            TRDTableCellData* cell = t.Cell(r, c);
            if (!cell) continue;
            if (!info.FixedSizes && cell->BestWidth > 2 * int64_t{t.CellPadding}) cell->BestWidth -= 2 * t.CellPadding;
            if (cell->ItemCount() == 0) cell->InsertItem(0, {}, TRDTextItemInfo(0, host_.DefaultParaNo(0)));
        }
    }
    const bool noSpacing = !info.HasHSpacing && !info.HasVSpacing;
    if (noSpacing) {
        // Borders two cells share are drawn once.
        for (int r = 0; r < t.RowCount(); ++r) {
            for (int c = 0; c < t.ColCount(); ++c) {
                TRDTableCellData* cell = t.Cell(r, c);
                if (!cell) continue;
                if (c > 0) {
                    const TRDTableCellData* left = t.CoveringCell(r, c - 1).Cell;
                    if (left && left->VisibleBorders.Right) cell->VisibleBorders.Left = false;
                }
                if (r > 0) {
                    const TRDTableCellData* above = t.CoveringCell(r - 1, c).Cell;
                    if (above && above->VisibleBorders.Bottom) cell->VisibleBorders.Top = false;
                }
            }
        }
    }

    if (info.HasVSpacing) {
        if (t.RowCount() > 1) t.CellVSpacing = scale.Ratio(info.VSpacingSum, t.RowCount() - 1);
        t.BorderVSpacing = scale(info.TopSpacing + info.BottomSpacing);
    } else {
        t.CellVSpacing = -1;
        t.BorderVSpacing = -1;
    }
    t.CellHSpacing = info.HasHSpacing && t.RowCount() > 0 ? scale.Ratio(info.HSpacingSum, t.RowCount()) : -1;
    t.BorderHSpacing = t.CellHSpacing;

    if (info.FixedSizes) {
        t.BestWidth = info.TableWidth;
    } else if (info.TableWidth > 0) {
        // The row borders are drawn inside the given width.
        t.BestWidth = info.RowBorderCount > 0
                          ? scale.Ratio(int64_t{info.TableWidth} * info.RowBorderCount - info.RowBorderSum,
                                        info.RowBorderCount)
                          : scale(info.TableWidth);
    } else if (info.TableWidth < 0) {
        t.BestWidth = RoundRatio(info.TableWidth, 50);
    } else {
        t.BestWidth = 0;
    }

    if (info.CellBorderCount > 0) t.CellBorderWidth = scale.Ratio(info.CellBorderSum, info.CellBorderCount);
    if (info.RowBorderCount > 0) t.BorderWidth = scale.Ratio(info.RowBorderSum, info.RowBorderCount);
    if (noSpacing && t.CellBorderWidth == t.BorderWidth) {
        t.BorderWidth = 0;
        t.BorderHSpacing = 0;
        t.BorderVSpacing = 0;
    }

    t.ParaNo = host_.DefaultParaNo(info.LastAlignment);
    if (t.RowCount() >= 1 && t.ColCount() >= 1) {
        host_.InsertTable(std::move(info.Table));
    } else {
        info.Table.reset();
    }
}

}  // namespace tovra
