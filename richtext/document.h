// The styled document: an ordered list of (text, item) pairs that the RTF
// builder fills and the HTML and text writers read.
//
// Text items are stored inside the item list itself; only list markers and
// tables are separate objects. `Clear` keeps the list's slots and their text
// buffers, so refilling the document for the next entry reuses them.
// References to items and texts stay valid until the list changes.
//
// Three documents exist: the base TCustomRDData, the control's document
// TRichDocRDData (which owns the marker list of the whole document, table
// cells included) and the table cell TRDTableCellData (table.h), which uses
// the style sheet and marker list of the document that holds its table.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/items.h"
#include "richtext/style_sheet.h"

namespace tovra {

class TRDTableItemInfo;

// The list markers of one document in document order (cells of a table in
// row-major order). Holds pointers; a marker leaves the list when its
// document frees it.
class TRDMarkerList {
public:
    TRDMarkerList() = default;
    TRDMarkerList(const TRDMarkerList&) = delete;
    TRDMarkerList& operator=(const TRDMarkerList&) = delete;
    ~TRDMarkerList() { Clear(); }

    int Count() const { return static_cast<int>(markers_.size()); }
    // Raises EListError for a position outside 0 … Count-1.
    TRDMarkerItemInfo* Items(int index) const;
    // Position of `marker`, or -1.
    int IndexOf(const TRDMarkerItemInfo* marker) const;
    void Insert(int position, TRDMarkerItemInfo* marker);
    void Remove(TRDMarkerItemInfo* marker);
    void Clear();
    // Computes the counters of the markers from `position` on that share the
    // list of the marker at `position`. `style` may be null (defaults apply).
    void NumberFrom(int position, const TRDStyle* style);

private:
    std::vector<TRDMarkerItemInfo*> markers_;
};

class TCustomRDData {
public:
    TCustomRDData() = default;
    TCustomRDData(const TCustomRDData&) = delete;
    TCustomRDData& operator=(const TCustomRDData&) = delete;
    virtual ~TCustomRDData();

    // The style sheet (null when the document has none).
    virtual TRDStyle* GetStyle() const = 0;
    // The marker list that holds this document's markers (null for a cell
    // whose table belongs to no document).
    virtual TRDMarkerList* GetMarkers() const = 0;
    // The table that holds this document, for a table cell; else null.
    virtual TRDTableItemInfo* OwnerTable() const { return nullptr; }

    // Frees every item and empties the item list; its markers leave the
    // marker list.
    virtual void Clear();

    // Appends a text item; tabs become SpacesInTab spaces (8 without a style
    // sheet). A paragraph number of -1 continues the current paragraph.
    void AddText(std::string_view text, int32_t styleNo, int32_t paraNo);
    // Appends an item under the paragraph rules: a ParaNo of -1 continues the
    // current paragraph (unless the last item occupies a whole line); an item
    // that starts a paragraph after a list marker gets an empty text item
    // inserted after the marker first. List markers and tables always start
    // a paragraph. The document takes ownership.
    void AddItem(std::string_view text, std::unique_ptr<TCustomRDItemInfo> item);
    // The same for a text item, copied into the list without allocating.
    void AddItem(std::string_view text, const TRDTextItemInfo& item);

    // Inserts at `index` (0 … ItemCount) as given: no paragraph rules and no
    // marker registration. Raises EListError for a bad index.
    void InsertItem(int index, std::string_view text, std::unique_ptr<TCustomRDItemInfo> item);
    void InsertItem(int index, std::string_view text, const TRDTextItemInfo& item);
    // Removes and frees one item (its marker leaves the marker list).
    void DeleteItem(int index) { DeleteItems(index, 1); }
    // Removes and frees items index … index+count-1 in one pass; raises
    // EListError unless the whole range exists.
    void DeleteItems(int index, int count);
    // Removes one item and hands it over, text included; a marker stays in
    // the marker list (it is moved, not freed).
    std::unique_ptr<TCustomRDItemInfo> ExtractItem(int index, std::string& text);

    int ItemCount() const { return count_; }
    // Item access; an index outside 0 … ItemCount-1 raises EListError.
    TCustomRDItemInfo& GetItem(int index);
    const TCustomRDItemInfo& GetItem(int index) const;
    std::string& ItemText(int index);
    const std::string& GetItemText(int index) const;
    int32_t GetItemStyle(int index) const { return GetItem(index).StyleNo; }
    int32_t GetItemPara(int index) const { return GetItem(index).ParaNo; }

    // True when the item list keeps the paragraph rules that the writers rely
    // on: list markers and tables start paragraphs, nothing joins a table,
    // tables belong to this document and their grids (and cells) are
    // well-formed. Otherwise `problem` (if given) describes the first fault.
    bool CheckInvariants(std::string* problem = nullptr) const;

    // Puts the list marker at `index` into the marker list and numbers from
    // it; nothing happens for other items or a marker already registered.
    void RegisterMarker(int index);
    // Numbers again from the list marker at `index`.
    void RenumberMarkers(int index);

private:
    struct Slot {
        std::string text;
        TRDTextItemInfo textItem;
        std::unique_ptr<TCustomRDItemInfo> owned;  // null for text items
        TCustomRDItemInfo& item() {
            if (owned) return *owned;
            return textItem;
        }
        const TCustomRDItemInfo& item() const {
            if (owned) return *owned;
            return textItem;
        }
    };

    // Paragraph rules of AddItem, steps before the append.
    void PrepareAppend(TCustomRDItemInfo& item);
    Slot& OpenSlot(int index);
    void CheckIndex(int index) const;
    void ReleaseItem(Slot& slot);
    void StoreOwned(Slot& slot, std::unique_ptr<TCustomRDItemInfo> item);
    void AppendExpandingTabs(std::string& out, std::string_view text, bool unicode) const;

    std::vector<Slot> slots_;
    int count_ = 0;

    friend class TRichDocRDData;
};

// The document of the rich-text control; owns the marker list.
class TRichDocRDData final : public TCustomRDData {
public:
    explicit TRichDocRDData(TRDStyle* style = nullptr) : style_(style) {}
    ~TRichDocRDData() override;

    TRDStyle* GetStyle() const override { return style_; }
    void SetStyle(TRDStyle* style) { style_ = style; }
    TRDMarkerList* GetMarkers() const override { return &markers_; }

    // Empties the marker list, then the item list.
    void Clear() override;

private:
    TRDStyle* style_;
    mutable TRDMarkerList markers_;
};

}  // namespace tovra
