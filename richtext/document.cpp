// Item list, paragraph rules of appending, and marker registration.
#include "richtext/document.h"

#include <algorithm>
#include <cstring>

#include "platform/error.h"
#include "richtext/table.h"

namespace tovra {

TCustomRDData::~TCustomRDData() = default;

void TCustomRDData::CheckIndex(int index) const {
    if (index < 0 || index >= count_) throw EListError(index);
}

TCustomRDItemInfo& TCustomRDData::GetItem(int index) {
    CheckIndex(index);
    return slots_[static_cast<size_t>(index)].item();
}

const TCustomRDItemInfo& TCustomRDData::GetItem(int index) const {
    CheckIndex(index);
    return slots_[static_cast<size_t>(index)].item();
}

std::string& TCustomRDData::ItemText(int index) {
    CheckIndex(index);
    return slots_[static_cast<size_t>(index)].text;
}

const std::string& TCustomRDData::GetItemText(int index) const {
    CheckIndex(index);
    return slots_[static_cast<size_t>(index)].text;
}

void TCustomRDData::ReleaseItem(Slot& slot) {
    if (slot.owned) {
        if (slot.owned->StyleNo == rdkListMarker) {
            if (TRDMarkerList* markers = GetMarkers()) markers->Remove(static_cast<TRDMarkerItemInfo*>(slot.owned.get()));
        }
        slot.owned.reset();
    }
    slot.text.clear();
}

void TCustomRDData::Clear() {
    for (int i = 0; i < count_; ++i) ReleaseItem(slots_[static_cast<size_t>(i)]);
    count_ = 0;
}

// Makes room at `index` (0 … count_) and returns the slot there, reusing a
// spare slot (and its text buffer) when one is left from an earlier fill.
TCustomRDData::Slot& TCustomRDData::OpenSlot(int index) {
    if (static_cast<size_t>(count_) == slots_.size()) slots_.emplace_back();
    ++count_;
    if (index != count_ - 1) {
        std::rotate(slots_.begin() + index, slots_.begin() + (count_ - 1), slots_.begin() + count_);
    }
    return slots_[static_cast<size_t>(index)];
}

void TCustomRDData::StoreOwned(Slot& slot, std::unique_ptr<TCustomRDItemInfo> item) {
    if (auto* text = dynamic_cast<TRDTextItemInfo*>(item.get())) {
        slot.textItem = *text;
        slot.owned.reset();
    } else {
        item->AttachToDocument(this);
        slot.owned = std::move(item);
    }
}

void TCustomRDData::InsertItem(int index, std::string_view text, std::unique_ptr<TCustomRDItemInfo> item) {
    if (index < 0 || index > count_) throw EListError(index);
    if (!item) return;
    Slot& slot = OpenSlot(index);
    slot.text.assign(text.data(), text.size());
    StoreOwned(slot, std::move(item));
}

void TCustomRDData::InsertItem(int index, std::string_view text, const TRDTextItemInfo& item) {
    if (index < 0 || index > count_) throw EListError(index);
    Slot& slot = OpenSlot(index);
    slot.text.assign(text.data(), text.size());
    slot.textItem = item;
}

void TCustomRDData::DeleteItems(int index, int count) {
    if (count <= 0) return;
    CheckIndex(index);
    if (count > count_ - index) throw EListError(index + count - 1);
    for (int i = index; i < index + count; ++i) ReleaseItem(slots_[static_cast<size_t>(i)]);
    std::rotate(slots_.begin() + index, slots_.begin() + index + count, slots_.begin() + count_);
    count_ -= count;
}

std::unique_ptr<TCustomRDItemInfo> TCustomRDData::ExtractItem(int index, std::string& text) {
    CheckIndex(index);
    Slot& slot = slots_[static_cast<size_t>(index)];
    text.swap(slot.text);
    slot.text.clear();
    std::unique_ptr<TCustomRDItemInfo> item =
        slot.owned ? std::move(slot.owned) : std::make_unique<TRDTextItemInfo>(slot.textItem);
    std::rotate(slots_.begin() + index, slots_.begin() + index + 1, slots_.begin() + count_);
    --count_;
    return item;
}

void TCustomRDData::PrepareAppend(TCustomRDItemInfo& item) {
    // Markers and tables always start a paragraph: the writers rely on it.
    const bool mayJoin = item.StyleNo != rdkListMarker && !item.OccupiesWholeLine();
    if (item.ParaNo == -1 && !mayJoin) item.ParaNo = 0;
    if (item.ParaNo == -1 && count_ > 0) {
        const TCustomRDItemInfo& last = slots_[static_cast<size_t>(count_ - 1)].item();
        if (!last.OccupiesWholeLine()) {
            item.SetFlag(rdifJoinsPrevious);
            item.ParaNo = last.ParaNo;
            return;
        }
    }
    if (count_ > 0 && slots_[static_cast<size_t>(count_ - 1)].item().StyleNo == rdkListMarker) {
        AddText({}, 0, -1);
    }
    item.ClearFlag(rdifJoinsPrevious);
    if (item.HasFlag(rdifLineBreak) && item.OccupiesWholeLine()) item.ClearFlag(rdifLineBreak);
    if (item.ParaNo == -1) item.ParaNo = 0;
}

void TCustomRDData::AddItem(std::string_view text, std::unique_ptr<TCustomRDItemInfo> item) {
    if (!item) return;
    PrepareAppend(*item);
    Slot& slot = OpenSlot(count_);
    slot.text.assign(text.data(), text.size());
    StoreOwned(slot, std::move(item));
}

void TCustomRDData::AddItem(std::string_view text, const TRDTextItemInfo& item) {
    TRDTextItemInfo copy = item;
    PrepareAppend(copy);
    Slot& slot = OpenSlot(count_);
    slot.text.assign(text.data(), text.size());
    slot.textItem = copy;
}

void TCustomRDData::AppendExpandingTabs(std::string& out, std::string_view text, bool unicode) const {
    if (text.empty()) return;
    const TRDStyle* style = GetStyle();
    const size_t spaces = style ? static_cast<size_t>(std::max<int16_t>(style->SpacesInTab, 0)) : 8;
    if (!unicode) {
        const char* p = text.data();
        const char* const end = p + text.size();
        while (const void* tab = std::memchr(p, '\t', static_cast<size_t>(end - p))) {
            const char* t = static_cast<const char*>(tab);
            out.append(p, static_cast<size_t>(t - p));
            out.append(spaces, ' ');
            p = t + 1;
        }
        out.append(p, static_cast<size_t>(end - p));
        return;
    }
    // UTF-16LE: a tab is the code unit 0x0009, a space 0x0020.
    size_t i = 0;
    for (; i + 1 < text.size(); i += 2) {
        if (text[i] == '\t' && text[i + 1] == '\0') {
            for (size_t k = 0; k < spaces; ++k) out.append(" \0", 2);
        } else {
            out.append(text.data() + i, 2);
        }
    }
    out.append(text.data() + i, text.size() - i);  // an odd last byte stays
}

void TCustomRDData::AddText(std::string_view text, int32_t styleNo, int32_t paraNo) {
    TRDTextItemInfo item(styleNo, paraNo);
    const TRDStyle* style = GetStyle();
    const bool unicode = style && style->TextStyles.Items(styleNo).Unicode;
    if (unicode) item.SetFlag(rdifUnicode);
    PrepareAppend(item);
    Slot& slot = OpenSlot(count_);
    slot.textItem = item;
    slot.text.clear();
    AppendExpandingTabs(slot.text, text, unicode);
}

// ---- markers ----

namespace {

TRDMarkerItemInfo* LastMarkerInTable(const TRDTableItemInfo& table);

// The nearest registered list marker at or before item `from` of `doc`
// (markers never registered are passed over), looking into
// tables from their last cell to their first.
TRDMarkerItemInfo* LastMarkerUpTo(const TCustomRDData& doc, int from) {
    for (int i = from; i >= 0; --i) {
        const TCustomRDItemInfo& item = doc.GetItem(i);
        if (item.StyleNo == rdkListMarker && static_cast<const TRDMarkerItemInfo&>(item).InMarkerList()) {
            return const_cast<TRDMarkerItemInfo*>(static_cast<const TRDMarkerItemInfo*>(&item));
        }
        if (item.StyleNo == rdkTable) {
            if (TRDMarkerItemInfo* m = LastMarkerInTable(static_cast<const TRDTableItemInfo&>(item))) return m;
        }
    }
    return nullptr;
}

TRDMarkerItemInfo* LastMarkerInTable(const TRDTableItemInfo& table) {
    for (int r = table.RowCount() - 1; r >= 0; --r) {
        const auto& cells = table.Rows()[static_cast<size_t>(r)].Cells;
        for (int c = static_cast<int>(cells.size()) - 1; c >= 0; --c) {
            const TRDTableCellData* cell = cells[static_cast<size_t>(c)].get();
            if (!cell) continue;
            if (TRDMarkerItemInfo* m = LastMarkerUpTo(*cell, cell->ItemCount() - 1)) return m;
        }
    }
    return nullptr;
}

// The nearest registered list marker before item `index` of `doc` in
// document order: back through the document; from the start of a cell, back
// through the cells before it in its table (row-major order) and then on
// before the table in the table's document. A table that is not yet part of
// its document (still being built) counts as that document's last item.
TRDMarkerItemInfo* PrecedingMarker(const TCustomRDData* doc, int index) {
    int from = index - 1;
    while (doc) {
        if (TRDMarkerItemInfo* m = LastMarkerUpTo(*doc, from)) return m;
        const TRDTableItemInfo* table = doc->OwnerTable();
        if (!table) return nullptr;
        const TRDTableCellData* cell = static_cast<const TRDTableCellData*>(doc);
        bool passed = false;
        for (int r = table->RowCount() - 1; r >= 0; --r) {
            const auto& cells = table->Rows()[static_cast<size_t>(r)].Cells;
            for (int c = static_cast<int>(cells.size()) - 1; c >= 0; --c) {
                const TRDTableCellData* other = cells[static_cast<size_t>(c)].get();
                if (!other) continue;
                if (other == cell) {
                    passed = true;
                    continue;
                }
                if (!passed) continue;
                if (TRDMarkerItemInfo* m = LastMarkerUpTo(*other, other->ItemCount() - 1)) return m;
            }
        }
        const TCustomRDData* parent = table->ParentData;
        if (!parent) return nullptr;
        int at = parent->ItemCount();
        for (int i = parent->ItemCount() - 1; i >= 0; --i) {
            if (&parent->GetItem(i) == table) {
                at = i;
                break;
            }
        }
        doc = parent;
        from = at - 1;
    }
    return nullptr;
}

}  // namespace

void TCustomRDData::RegisterMarker(int index) {
    CheckIndex(index);
    TCustomRDItemInfo& item = GetItem(index);
    if (item.StyleNo != rdkListMarker) return;
    TRDMarkerList* markers = GetMarkers();
    auto* marker = static_cast<TRDMarkerItemInfo*>(&item);
    if (!markers || marker->InMarkerList()) return;
    const TRDMarkerItemInfo* before = PrecedingMarker(this, index);
    const int position = before ? markers->IndexOf(before) + 1 : 0;
    markers->Insert(position, marker);
    markers->NumberFrom(position, GetStyle());
}

void TCustomRDData::RenumberMarkers(int index) {
    CheckIndex(index);
    TCustomRDItemInfo& item = GetItem(index);
    if (item.StyleNo != rdkListMarker) return;
    TRDMarkerList* markers = GetMarkers();
    if (!markers) return;
    const int position = markers->IndexOf(static_cast<TRDMarkerItemInfo*>(&item));
    if (position >= 0) markers->NumberFrom(position, GetStyle());
}

TRichDocRDData::~TRichDocRDData() { TRichDocRDData::Clear(); }

void TRichDocRDData::Clear() {
    markers_.Clear();
    TCustomRDData::Clear();
}

}  // namespace tovra
