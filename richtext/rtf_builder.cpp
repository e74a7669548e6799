// The document builder: the RTF reader's events into document items and
// style-sheet entries. Styles are matched in rtf_style_matching.cpp, lists
// mapped in rtf_list_mapping.cpp.
#include "richtext/rtf_builder.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "platform/screen.h"
#include "richtext/rtf_builder_internal.h"

namespace tovra {

TRDRTFDocumentBuilder::TRDRTFDocumentBuilder(const TRDRTFReaderProperties& settings)
    : settings_(settings), tables_(*this) {
    reader_.OnNewText = [this](TRDRTFReader& r, std::string_view text, TRDRTFPosition position) {
        OnText(r, text, position, false);
    };
    reader_.OnUpdateMarker = [this](TRDRTFReader& r) { MarkerUpdate(r); };
    reader_.OnTable = [this](TRDRTFReader& r, TRDRTFTableEventKind kind) { OnTable(r, kind); };
    reader_.OnRequiredPageBreak = [this](TRDRTFReader&) { pageBreakPending_ = true; };
    levelListStyles_.fill(-1);
}

uint8_t TRDRTFDocumentBuilder::Fill(std::string_view rtf, TCustomRDData& target) {
    TRDStyle* style = target.GetStyle();
    if (!style) return kRtfLoadNoSettings;
    target_ = &target;
    style_ = style;
    scale_ = TRDTwipScale(ScreenPixelsPerInch());
    pageBreakPending_ = false;
    lastRun_ = LastRun{};
    defaultParaCache_.fill(-1);
    textIndex_.Reset();
    recentTextStyles_.Reset();
    paraIndex_.Reset();
    pendingMarker_ = nullptr;
    levelListStyles_.fill(-1);
    listMapBuilt_ = false;
    tables_.Reset();

    switch (settings_.ConvertHighlight) {
    case rtfhlIgnore: reader_.ConvertHighlight = rtf_hl_Ignore; break;
    case rtfhlFixedColors: reader_.ConvertHighlight = rtf_hl_FixedColors; break;
    case rtfhlColorTable: reader_.ConvertHighlight = rtf_hl_ColorTable; break;
    }
    reader_.DefCodePage = static_cast<int32_t>(style->DefCodePage);
    reader_.UnmappableChar = settings_.UnmappableChar;

    uint8_t status = rtf_st_Exception;
    try {
        status = reader_.ReadStream(rtf);
        // Reading that stopped early leaves tables open; their content is
        // kept as if the tables had ended there.
        if (tables_.OpenTables() > 0) tables_.CloseAll(reader_);
        MarkerUpdate(reader_);
    } catch (...) {
        status = rtf_st_Exception;
    }
    tables_.Reset();
    pendingMarker_ = nullptr;
    target_ = nullptr;
    style_ = nullptr;
    return status;
}

TCustomRDData& TRDRTFDocumentBuilder::Current() const {
    if (TRDTableCellData* cell = tables_.CurrentCell()) return *cell;
    return *target_;
}

int32_t TRDRTFDocumentBuilder::ParaNoOfLast() const {
    const TCustomRDData& doc = Current();
    return doc.ItemCount() > 0 ? doc.GetItem(doc.ItemCount() - 1).ParaNo : 0;
}

void TRDRTFDocumentBuilder::OnText(const TRDRTFReader& reader, std::string_view text, TRDRTFPosition position,
                                   bool keepHidden) {
    if (settings_.SkipHiddenText && reader.State().CharProps.Hidden && !keepHidden) return;
    if (position == rtf_ts_NewLine && settings_.LineBreaksAsParagraphs) position = rtf_ts_NewPara;
    const int32_t styleNo = TextStyleFor(reader);
    const int32_t paraNo = position == rtf_ts_NewPara ? ParaStyleFor(reader) : ParaNoOfLast();

    TRDTextItemInfo item(styleNo, paraNo);
    // The run as it is stored: tabs expanded to spaces, and in UTF-16LE for
    // a Unicode style. A run that needs neither is stored from the reader's
    // text itself.
    std::string_view run = text;
    const bool unicode = style_->TextStyles.Items(styleNo).Unicode;
    if (unicode || text.find('\t') != std::string_view::npos) {
        text_.clear();
        const size_t spaces = static_cast<size_t>(std::max<int16_t>(style_->SpacesInTab, 0));
        for (size_t at = 0; at < text.size();) {
            const size_t tab = text.find('\t', at);
            if (tab == std::string_view::npos) {
                text_.append(text.substr(at));
                break;
            }
            text_.append(text.substr(at, tab - at));
            text_.append(spaces, ' ');
            at = tab + 1;
        }
        if (unicode) {
            // Text of a Unicode style is stored as UTF-16LE; the reader's
            // runs are in the ANSI code page whatever the font.
            const std::u16string wide = CodePageToUtf16(text_, kAnsiCodePage);
            text_.clear();
            for (char16_t u : wide) AppendLe16(text_, u);
            item.SetFlag(rdifUnicode);
        }
        run = text_;
    }

    if (AppendToLastRun(run, item, position)) return;
    InsertRunItem(run, item, nullptr, position, false, false);
    if (!run.empty() && item.IsText() && !tables_.CurrentCell()) {
        lastRun_ = LastRun{target_->ItemCount() - 1, styleNo};
    }
}

// A run that continues the paragraph in the style of the run before it is
// one the final merge joins to that run whatever follows: both texts are
// non-empty, so neither the emptiness rules nor a later run can change the
// decision. Appending it at once saves inserting and deleting an item per
// run; the result is the same document. Only runs of the target document
// qualify (the text of table cells is never merged), and only while the
// run recorded in lastRun_ is still the target's last item.
bool TRDRTFDocumentBuilder::AppendToLastRun(std::string_view text, const TRDTextItemInfo& item,
                                            TRDRTFPosition position) {
    // A page break starts a paragraph of its own.
    if (position != rtf_ts_ContinuePara || pageBreakPending_ || text.empty() || !item.IsText()) return false;
    if (lastRun_.index < 0 || lastRun_.index != target_->ItemCount() - 1 || lastRun_.styleNo != item.StyleNo)
        return false;
    if (tables_.CurrentCell()) return false;
    const TRDProtectOptions protection = style_->TextStyles.Items(item.StyleNo).Protection;
    if (protection.Has(rdprModifyProtect) || protection.Has(rdprConcateProtect)) return false;
    target_->ItemText(lastRun_.index).append(text);
    return true;
}
void TRDRTFDocumentBuilder::InsertRunItem(std::string_view text, TCustomRDItemInfo& item,
                                          std::unique_ptr<TCustomRDItemInfo> owned, TRDRTFPosition position,
                                          bool movingOut, bool numberedMarker) {
    lastRun_ = LastRun{};
    if (position == rtf_ts_ContinuePara) {
        item.SetFlag(rdifJoinsPrevious);
    } else if (position == rtf_ts_NewLine) {
        if (settings_.LineBreaksAsParagraphs) {
            position = rtf_ts_NewPara;
        } else {
            item.SetFlag(rdifLineBreak);
        }
    }
    if (position == rtf_ts_NewPara && item.StyleNo != rdkListMarker && !item.OccupiesWholeLine() && !movingOut) {
        if (InsertParagraphMarker(item.ParaNo)) item.SetFlag(rdifJoinsPrevious);
    }
    if (pageBreakPending_) {
        item.SetFlag(rdifPageBreak);
        pageBreakPending_ = false;
    }

    TRDTableCellData* cell = tables_.CurrentCell();
    TCustomRDData& doc = cell ? static_cast<TCustomRDData&>(*cell) : *target_;
    const int index = doc.ItemCount();
    // The first item of a document, and an item after a table, start a
    // paragraph whatever the reader said.
    if (index == 0 || doc.GetItem(index - 1).OccupiesWholeLine()) {
        item.ClearFlag(rdifJoinsPrevious);
        item.ClearFlag(rdifLineBreak);
    }
    TRDMarkerItemInfo* marker = item.StyleNo == rdkListMarker ? static_cast<TRDMarkerItemInfo*>(&item) : nullptr;
    TRDTableItemInfo* table = item.StyleNo == rdkTable ? static_cast<TRDTableItemInfo*>(&item) : nullptr;
    if (owned) {
        doc.InsertItem(index, text, std::move(owned));
    } else {
        doc.InsertItem(index, text, static_cast<const TRDTextItemInfo&>(item));
    }
    // `item` may be gone now (an owned text item is copied into the list).
    if (cell) {
        // Markers in tables are registered when the outermost table is
        // placed in the target, so that they enter the marker list in
        // document order.
        tables_.NoteContentAdded();
    } else {
        if (marker) target_->RegisterMarker(index);
        if (table) RegisterTableMarkers(*table);
    }
    if (marker && numberedMarker) pendingMarker_ = marker;
}

void TRDRTFDocumentBuilder::RegisterTableMarkers(TRDTableItemInfo& table) {
    for (int r = 0; r < table.RowCount(); ++r) {
        for (int c = 0; c < table.ColCount(); ++c) {
            TRDTableCellData* cell = table.Cell(r, c);
            if (!cell) continue;
            for (int i = 0; i < cell->ItemCount(); ++i) {
                TCustomRDItemInfo& item = cell->GetItem(i);
                if (item.StyleNo == rdkListMarker) {
                    cell->RegisterMarker(i);
                } else if (item.StyleNo == rdkTable) {
                    RegisterTableMarkers(static_cast<TRDTableItemInfo&>(item));
                }
            }
        }
    }
}

void TRDRTFDocumentBuilder::InsertTable(std::unique_ptr<TRDTableItemInfo> table) {
    TRDTableItemInfo& item = *table;
    InsertRunItem({}, item, std::move(table), rtf_ts_NewPara, false, false);
}

void TRDRTFDocumentBuilder::MoveOutItem(std::string_view text, std::unique_ptr<TCustomRDItemInfo> item) {
    item->ClearFlag(rdifJoinsPrevious);
    item->ClearFlag(rdifLineBreak);
    TCustomRDItemInfo& ref = *item;
    InsertRunItem(text, ref, std::move(item), rtf_ts_NewPara, true, false);
}

void TRDRTFDocumentBuilder::OnTable(const TRDRTFReader& reader, TRDRTFTableEventKind kind) {
    // A marker still waiting here lost its numbering (the reader updates
    // markers before table events only while the paragraph has one);
    // settle it before the table's cells are moved or freed.
    MarkerUpdate(reader);
    tables_.HandleEvent(reader, kind);
}

// ---- merging ----

void TRDRTFDocumentBuilder::MergeTextItems(TCustomRDData& doc, int from) {
    const int n = doc.ItemCount();
    from = std::max(from, 0);
    if (n - from < 2) return;
    const TRDStyle* style = doc.GetStyle();
    auto unicodeOf = [style](int32_t styleNo) { return style && style->TextStyles.Items(styleNo).Unicode; };
    auto protectedOf = [style](int32_t styleNo) {
        if (!style) return false;
        const TRDProtectOptions p = style->TextStyles.Items(styleNo).Protection;
        return p.Has(rdprModifyProtect) || p.Has(rdprConcateProtect);
    };

    // Decide from the last item back to the first, as merging walks: item i
    // joins item i-1 together with everything that already joined item i,
    // so "empty" means the whole group's text.
    mergeFlags_.assign(static_cast<size_t>(n), 0);
    bool groupEmpty = doc.GetItemText(n - 1).empty();
    int first = n;
    int64_t shiftCost = 0;
    for (int i = n - 1; i > from; --i) {
        const TCustomRDItemInfo& a = doc.GetItem(i - 1);
        const TCustomRDItemInfo& b = doc.GetItem(i);
        const bool aEmpty = doc.GetItemText(i - 1).empty();
        bool merge = false;
        if (a.IsText() && b.IsText() && b.HasFlag(rdifJoinsPrevious)) {
            merge = aEmpty || groupEmpty ||
                    (a.StyleNo == b.StyleNo && unicodeOf(a.StyleNo) == unicodeOf(b.StyleNo) && !protectedOf(a.StyleNo));
        }
        if (merge) {
            mergeFlags_[static_cast<size_t>(i)] = 1;
            first = i - 1;
            shiftCost += n - i;
            groupEmpty = groupEmpty && aEmpty;
        } else {
            groupEmpty = aEmpty;
        }
    }
    if (first == n) return;

    if (shiftCost <= 8 * int64_t{n} + 1024) {
        // Few merges: join each group in place, from the last group back.
        for (int end = n - 1; end > first;) {
            if (!mergeFlags_[static_cast<size_t>(end)]) {
                --end;
                continue;
            }
            int start = end;
            while (start > first && mergeFlags_[static_cast<size_t>(start)]) --start;
            std::string& text = doc.ItemText(start);
            for (int k = start + 1; k <= end; ++k) text += doc.GetItemText(k);
            for (int k = end; k > start; --k) doc.DeleteItem(k);
            end = start - 1;
        }
        return;
    }
    // Many merges: take the tail out once and put it back merged, so that
    // the work stays linear in the number of items.
    tail_.clear();
    for (int i = n - 1; i >= first; --i) {
        std::string text;
        std::unique_ptr<TCustomRDItemInfo> item = doc.ExtractItem(i, text);
        tail_.emplace_back(std::move(text), std::move(item));
    }
    std::reverse(tail_.begin(), tail_.end());
    for (size_t k = 0; k < tail_.size();) {
        size_t end = k + 1;
        while (end < tail_.size() && mergeFlags_[static_cast<size_t>(first) + end]) {
            tail_[k].first += tail_[end].first;
            ++end;
        }
        doc.InsertItem(doc.ItemCount(), tail_[k].first, std::move(tail_[k].second));
        k = end;
    }
    tail_.clear();
}

// ---- settings and entry points ----

TRDRTFReaderProperties::TRDRTFReaderProperties() = default;
TRDRTFReaderProperties::~TRDRTFReaderProperties() = default;

void TRDRTFReaderProperties::SetTextStyleNo(int32_t value) {
    if (value < 0) throw Error("Value must not be negative");
    textStyleNo_ = value;
}

void TRDRTFReaderProperties::SetParaStyleNo(int32_t value) {
    if (value < 0) throw Error("Value must not be negative");
    paraStyleNo_ = value;
}

void TRDRTFReaderProperties::UseConversionSettings() {
    TextStyleMode = rdrsAddIfNeeded;
    ParaStyleMode = rdrsAddIfNeeded;
    IgnorePictures = true;
}

TRDRTFDocumentBuilder& TRDRTFReaderProperties::Builder() {
    if (!builder_) builder_ = std::make_unique<TRDRTFDocumentBuilder>(*this);
    return *builder_;
}

uint8_t TRDRTFReaderProperties::FillFromRtf(std::string_view rtf, TCustomRDData& target) {
    try {
        return Builder().Fill(rtf, target);
    } catch (...) {
        return rtf_st_Exception;
    }
}

uint8_t LoadRtfStatus(TCustomRDData& doc, TRDRTFReaderProperties* settings, std::string_view rtf) {
    if (!settings) return kRtfLoadNoSettings;
    const int from = std::max(doc.ItemCount() - 1, 0);
    const uint8_t status = settings->FillFromRtf(rtf, doc);
    try {
        settings->Builder().MergeTextItems(doc, from);
    } catch (...) {
        return status == 0 ? static_cast<uint8_t>(rtf_st_Exception) : status;
    }
    return status;
}

bool LoadRtf(TCustomRDData& doc, TRDRTFReaderProperties* settings, std::string_view rtf) {
    return LoadRtfStatus(doc, settings, rtf) == 0;
}

}  // namespace tovra
