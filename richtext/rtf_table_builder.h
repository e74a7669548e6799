// Tables of an RTF stream into table items of the styled document.
//
// The RTF reader reports tables as events between text runs (table start,
// cell end, row end, table end) and describes each row only when the row
// ends. TRDRTFTableBuilder collects the items of each cell in a one-row
// template table while the row is read; at the row end it places the cells
// into the table item, matching the cell boundaries of successive rows to
// common columns (boundaries within 1 twip are the same column), and at the
// table end it derives the table's borders, spacing, padding and width and
// hands the table to its host for insertion. Nested tables are built the
// same way, one level per open table.
//
// No content is lost on odd input: cells read after the last row end, and
// content of cells that the row does not define (more cells than
// boundaries, cells without width, rows without cell definitions) are kept,
// in the nearest cell of the row or as paragraphs after the table; merged
// cells hand their content to the cell that covers them.
//
// The builder never inserts runs itself: its host (the document builder)
// owns the paragraph rules, the styles and the marker handling.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "richtext/rtf_reader.h"
#include "richtext/table.h"

namespace tovra {

// round(num / den) to the nearest integer, ties to the even one; den > 0.
// The result is limited to the 32-bit range.
int32_t RoundRatio(int64_t num, int64_t den);

// Twips to screen pixels: scale(x) = x * (pixels per inch) / 1440, rounded
// to the nearest integer with ties to the even one, computed exactly.
class TRDTwipScale {
public:
    explicit TRDTwipScale(int pixelsPerInch = 96) : ppi_(pixelsPerInch > 0 ? pixelsPerInch : 96) {}
    int PixelsPerInch() const { return ppi_; }
    // scale(twips). (Zero, the commonest length, scales to zero without a
    // division.)
    int32_t operator()(int64_t twips) const { return twips == 0 ? 0 : Ratio(twips, 1); }
    // scale(num / den): the exact quotient scaled and then rounded once
    // (averages of twips). den > 0.
    int32_t Ratio(int64_t num, int64_t den) const;

private:
    int ppi_;
};

// What the table builder needs from the document builder.
class TRDRTFTableHost {
public:
    // Adds an empty text run that starts a paragraph to the current cell, in
    // the formatting in force (the content of a cell that ended empty).
    virtual void AddEmptyCellRun(const TRDRTFReader& reader) = 0;
    // Inserts a finished table into the current document (the target, or the
    // template cell of the enclosing table) as a new paragraph.
    virtual void InsertTable(std::unique_ptr<TRDTableItemInfo> table) = 0;
    // Inserts an item taken out of an unfinished table into the current
    // document as a new paragraph, without a list marker of its own.
    virtual void MoveOutItem(std::string_view text, std::unique_ptr<TCustomRDItemInfo> item) = 0;
    // The default paragraph style for an alignment (cells and table items).
    virtual int32_t DefaultParaNo(uint8_t alignment) = 0;
    // The document that receives items when no table is open.
    virtual TCustomRDData& Target() = 0;
    virtual const TRDTwipScale& Scale() const = 0;

protected:
    ~TRDRTFTableHost() = default;
};

class TRDRTFTableBuilder {
public:
    // Limits that keep hostile tables small: boundaries beyond
    // kMaxTableColumns columns join the nearest existing one, and rows that
    // would take a table past kMaxTableCells positions are not placed (their
    // content follows the table as paragraphs). Word writes at most 63
    // cells per row.
    static constexpr int kMaxTableColumns = 256;
    static constexpr int64_t kMaxTableCells = 200000;

    explicit TRDRTFTableBuilder(TRDRTFTableHost& host);
    ~TRDRTFTableBuilder();
    TRDRTFTableBuilder(const TRDRTFTableBuilder&) = delete;
    TRDRTFTableBuilder& operator=(const TRDRTFTableBuilder&) = delete;

    // Forgets every open table (start of a load).
    void Reset();
    // The reader's OnTable event. Cell and row ends outside any table are
    // ignored.
    void HandleEvent(const TRDRTFReader& reader, TRDRTFTableEventKind kind);
    // Ends every table still open as a table end would (after reading that
    // stopped early), so that the content read so far is kept.
    void CloseAll(const TRDRTFReader& reader);

    // The template cell that receives items, or null when no table is open.
    TRDTableCellData* CurrentCell() const;
    // An item was added to the current cell.
    void NoteContentAdded();
    int OpenTables() const { return static_cast<int>(tables_.size()); }

private:
    struct TTableInfo;
    struct RowCell;  // one cell record of the row being placed

    void TableStart();
    void CellEnd(const TRDRTFReader& reader);
    void RowEnd(const TRDRTFReader& reader);
    void TableEnd(const TRDRTFReader& reader);

    void PlaceRow(TTableInfo& info, const TRDRTFRowProperties& row);
    void AddRowSums(TTableInfo& info, const TRDRTFRowProperties& row, bool firstRow);
    int LocateBoundary(TTableInfo& info, int32_t twips, int currentRow);
    void SetCellProperties(TTableInfo& info, TRDTableCellData& cell, const TRDRTFCellProperties& record,
                           int32_t leftTwips, int32_t rightTwips, int32_t rowHeight);
    void FinishTable(TTableInfo& info);
    // Moves every item of `from` to the end of `to` (raw, flags kept); when
    // `asParagraph` the first moved item starts a paragraph.
    void MoveItems(TCustomRDData& from, TCustomRDData& to, bool asParagraph);
    // Moves every item of `from` into the overflow list of `info`.
    void MoveToOverflow(TCustomRDData& from, TTableInfo& info);

    TRDRTFTableHost& host_;
    std::vector<std::unique_ptr<TTableInfo>> tables_;
    std::vector<std::unique_ptr<TTableInfo>> spare_;  // reused between tables
    int row_ = 0;
    int column_ = 0;
    std::vector<RowCell> rowCells_;  // reused while placing rows
    std::vector<std::pair<std::string, std::unique_ptr<TCustomRDItemInfo>>> moving_;  // reused
};

}  // namespace tovra
