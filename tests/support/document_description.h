// Compact descriptions of a document's items, tables and text styles, for
// exact comparisons.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "richtext/document.h"
#include "richtext/style_sheet.h"
#include "richtext/table.h"

namespace tovra::test_support {

inline std::string DescribeDoc(const TCustomRDData& doc, const char* separator = " ; ");

inline std::string Flags(const TCustomRDItemInfo& item) {
    std::string f;
    if (item.HasFlag(rdifPageBreak)) f += '^';
    if (item.HasFlag(rdifJoinsPrevious)) f += '+';
    if (item.HasFlag(rdifLineBreak)) f += '/';
    return f;
}

// A table as rows separated by " / " and cells by " | "; each cell is its
// items (DescribeDoc with ", "), a span other than 1x1 as {rows x cols},
// and a covered position as "-".
inline std::string DescribeTable(const TRDTableItemInfo& table) {
    std::string out = "T[";
    for (int r = 0; r < table.RowCount(); ++r) {
        if (r) out += " / ";
        for (int c = 0; c < table.ColCount(); ++c) {
            if (c) out += " | ";
            const TRDTableCellData* cell = table.Cell(r, c);
            if (!cell) {
                out += '-';
                continue;
            }
            out += DescribeDoc(*cell, ", ");
            if (cell->RowSpan != 1 || cell->ColSpan != 1) {
                out += " {" + std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan) + "}";
            }
        }
    }
    return out + "]";
}

// Items as Flags + "S<style>P<para> text" for text, "M<list>.<level>#<counter>"
// for list markers and DescribeTable for tables.
inline std::string DescribeDoc(const TCustomRDData& doc, const char* separator) {
    std::string out;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (i) out += separator;
        const TCustomRDItemInfo& item = doc.GetItem(i);
        out += Flags(item);
        if (item.StyleNo >= 0) {
            out += "S" + std::to_string(item.StyleNo) + "P" + std::to_string(item.ParaNo) + " " + doc.GetItemText(i);
        } else if (item.StyleNo == rdkListMarker) {
            const auto& m = static_cast<const TRDMarkerItemInfo&>(item);
            out += "M" + std::to_string(m.ListNo) + "." + std::to_string(m.Level) + "#" + std::to_string(m.Counter) +
                   "P" + std::to_string(item.ParaNo);
        } else if (item.StyleNo == rdkTable) {
            out += DescribeTable(static_cast<const TRDTableItemInfo&>(item)) + "P" + std::to_string(item.ParaNo);
        } else {
            out += "?" + std::to_string(item.StyleNo);
        }
    }
    return out;
}

// A text style as "Name size [b][i][u][s] color:%X back:%X cs:%d [jump] [caps] v:%d".
inline std::string DescribeFont(const TFontInfo& f) {
    char colors[64];
    std::snprintf(colors, sizeof colors, " color:%X back:%X", f.Color, f.BackColor);
    std::string out = f.FontName + " " + std::to_string(f.Size);
    if (f.Style.Has(fsBold)) out += " b";
    if (f.Style.Has(fsItalic)) out += " i";
    if (f.Style.Has(fsUnderline)) out += " u";
    if (f.Style.Has(fsStrikeOut)) out += " s";
    out += colors;
    out += " cs:" + std::to_string(f.Charset);
    if (f.Jump) out += " jump";
    if (f.StyleEx.Has(rdfsAllCaps)) out += " caps";
    if (f.VShift != 0) out += " v:" + std::to_string(f.VShift);
    return out;
}

}  // namespace tovra::test_support
