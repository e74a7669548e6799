// List mapping of the document builder: the lists and list overrides of the
// RTF header and the old-style paragraph numbering onto list styles of the
// style sheet, and the list markers of paragraphs.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ansi_char_tables.h"
#include "richtext/rtf_builder_internal.h"

namespace tovra {

using namespace rtf_builder_detail;

namespace {

// The list type of an RTF list level or numbering marker.
TRDListType ListTypeOf(uint8_t rtfType) {
    switch (rtfType) {
    case 1: return rdlstLowerAlpha;
    case 2: return rdlstUpperAlpha;
    case 3: return rdlstLowerRoman;
    case 4: return rdlstUpperRoman;
    case 5: return rdlstBullet;
    default: return rdlstDecimal;
    }
}

TRDMarkerAlignment MarkerAlignmentOf(uint8_t rtfAlignment) {
    switch (rtfAlignment) {
    case 1: return rdmaRight;
    case 2: return rdmaCenter;
    default: return rdmaLeft;
    }
}

// The marker format of an RTF level text (without its length prefix): a
// byte n below 10 is the placeholder of level n, written "%n:s"; level 0
// is written "%s" (`zeroAsIndex` false) or "%0:s" (true).
std::string FormatOfLevelText(std::string_view levelText, bool zeroAsIndex) {
    std::string out;
    for (size_t i = 1; i < levelText.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(levelText[i]);
        if (c < 10) {
            if (c == 0 && !zeroAsIndex) {
                out += "%s";
            } else {
                out += '%';
                out += static_cast<char>('0' + c);
                out += ":s";
            }
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool SameMarkerFont(const TRDMarkerFont& a, const TRDMarkerFont& b) {
    return a.Style == b.Style && a.Color == b.Color && a.Size == b.Size && EqualsIgnoringAnsiCase(a.Name, b.Name);
}

}  // namespace

bool TRDRTFDocumentBuilder::InsertParagraphMarker(int32_t paraNo) {
    if (!AddStyles(settings_.ParaStyleMode)) return false;
    const TRDRTFParaProperties& pp = reader_.State().ParaProps;
    if (!pp.Marker) levelListStyles_.fill(-1);
    if (pp.Marker && pp.Marker->Level > 0) {
        // Old-style numbering (pn): the list style is chosen at the next
        // marker update, when the marker's font is known.
        const int32_t level = pp.Marker->Level;
        const bool reset = level > 11 || levelListStyles_[static_cast<size_t>(level - 1)] < 0;
        auto marker = std::make_unique<TRDMarkerItemInfo>(-1, -1, pp.Marker->Start, reset);
        marker->ParaNo = paraNo;
        TRDMarkerItemInfo& ref = *marker;
        InsertRunItem({}, ref, std::move(marker), rtf_ts_NewPara, false, true);
        return true;
    }
    const TRDRTFListOverrideTable97& overrides = reader_.ListOverrides();
    if (pp.ListOverrideIndex < 0 || static_cast<size_t>(pp.ListOverrideIndex) >= overrides.size()) return false;
    if (!listMapBuilt_) BuildListMap(reader_);
    const TRDRTFListOverride97& ov = overrides[static_cast<size_t>(pp.ListOverrideIndex)];
    const int32_t level = pp.ListLevel;
    int32_t startFrom = 1;
    bool reset = false;
    if (level >= 0 && static_cast<size_t>(level) < ov.Levels.size()) {
        startFrom = ov.Levels[static_cast<size_t>(level)].Start;
        reset = ov.Levels[static_cast<size_t>(level)].StartOverridden;
    }
    int32_t listNo = -1;
    if (ov.ListIndex >= 0 && static_cast<size_t>(ov.ListIndex) < listMap_.size()) {
        listNo = listMap_[static_cast<size_t>(ov.ListIndex)];
        // A marker names only a list style that has levels.
        if (listNo >= 0 && style_->ListStyles.Items(listNo).Levels.Count() == 0) listNo = -1;
    }
    auto marker = std::make_unique<TRDMarkerItemInfo>(listNo, level, startFrom, reset);
    marker->ParaNo = paraNo;
    TRDMarkerItemInfo& ref = *marker;
    InsertRunItem({}, ref, std::move(marker), rtf_ts_NewPara, false, false);
    return true;
}

void TRDRTFDocumentBuilder::WantedLevelOf(const TRDRTFReader& reader, const TRDRTFListLevel97& source,
                                          WantedLevel& out) const {
    TRDListLevel& v = out.level;
    v = TRDListLevel();
    v.ListType = ListTypeOf(source.ListType);
    v.StartFrom = source.Start;
    v.MarkerAlignment = MarkerAlignmentOf(source.Alignment);
    v.LeftIndent = scale_(source.LeftIndent);
    v.MarkerIndent = Clamp32(int64_t{v.LeftIndent} + scale_(source.FirstIndent));
    v.FirstIndent = Clamp32(int64_t{scale_(source.TabPosition)} - v.LeftIndent);
    if (source.NoRestart) v.Options.Exclude(rdloLevelReset);
    if (source.Legal) v.Options.Include(rdloLegalStyleNumbering);
    v.Font.Style = FontStylesOf(source.FontStyle);
    v.Font.Color = source.Color;
    v.Font.Size = source.FontSize;
    const TRDRTFFontList& fonts = reader.Fonts();
    const TRDRTFFont* font = source.FontIndex >= 0 && static_cast<size_t>(source.FontIndex) < fonts.size()
                                 ? &fonts[static_cast<size_t>(source.FontIndex)]
                                 : nullptr;
    if (font) {
        v.Font.Name = font->Name;
        v.Font.Charset = font->Charset;
    }
    v.FormatString = FormatOfLevelText(source.LevelText, false);
    out.altFormat = FormatOfLevelText(source.LevelText, true);
    if (v.ListType == rdlstBullet && source.LevelTextW.size() == 2) {
        const char16_t ch = source.LevelTextW[1];
        const bool symbol = font && EqualsIgnoringAnsiCase(font->Name, "Symbol") && ch >= 0xF0A1 && ch <= 0xF0FE;
        const bool wingdings = font && EqualsIgnoringAnsiCase(font->Name, "Wingdings") && ch >= 0xF021 && ch <= 0xF0FF;
        if (symbol || wingdings) {
            // A symbol-font bullet is the font's own 8-bit character.
            v.FormatString.assign(1, static_cast<char>(ch - 0xF000));
            out.altFormat = v.FormatString;
        } else {
            v.ListType = rdlstUnicodeBullet;
            v.FormatStringW.assign(1, ch);
        }
    }
}

bool TRDRTFDocumentBuilder::LevelMatches(const TRDListLevel& e, const WantedLevel& wanted,
                                         const TRDRTFListLevel97& source) const {
    const TRDListLevel& v = wanted.level;
    return e.ListType == v.ListType && e.StartFrom == v.StartFrom && e.MarkerAlignment == v.MarkerAlignment &&
           e.LeftIndent == v.LeftIndent && e.MarkerIndent == v.MarkerIndent && e.FirstIndent == v.FirstIndent &&
           e.Options.Has(rdloLevelReset) == !source.NoRestart &&
           e.Options.Has(rdloLegalStyleNumbering) == source.Legal && SameMarkerFont(e.Font, v.Font) &&
           (e.FormatString == v.FormatString || e.FormatString == wanted.altFormat) &&
           (v.ListType != rdlstUnicodeBullet || e.FormatStringW == v.FormatStringW);
}

void TRDRTFDocumentBuilder::BuildListMap(const TRDRTFReader& reader) {
    listMapBuilt_ = true;
    const TRDRTFListTable97& lists = reader.ListTable();
    TRDListInfos& styles = style_->ListStyles;
    listMap_.assign(lists.size(), -1);
    listStyleUsed_.assign(static_cast<size_t>(styles.Count()), 0);
    for (size_t l = 0; l < lists.size(); ++l) {
        const TRDRTFList97& list = lists[l];
        if (wanted_.size() < list.Levels.size()) wanted_.resize(list.Levels.size());
        for (size_t k = 0; k < list.Levels.size(); ++k) WantedLevelOf(reader, list.Levels[k], wanted_[k]);
        int32_t found = -1;
        for (int i = 0; i < styles.Count() && found < 0; ++i) {
            if (listStyleUsed_[static_cast<size_t>(i)]) continue;
            const TRDListInfo& s = styles.Items(i);
            if (static_cast<size_t>(s.Levels.Count()) < list.Levels.size()) continue;
            bool match = true;
            for (size_t k = 0; k < list.Levels.size() && match; ++k) {
                match = LevelMatches(s.Levels.Items(static_cast<int>(k)), wanted_[k], list.Levels[k]);
            }
            if (match) found = i;
        }
        if (found < 0) {
            TRDListInfo& s = styles.Add();
            for (size_t k = 0; k < list.Levels.size(); ++k) s.Levels.Add() = wanted_[k].level;
            found = styles.Count() - 1;
            listStyleUsed_.push_back(0);
        }
        listStyleUsed_[static_cast<size_t>(found)] = 1;
        listMap_[l] = found;
    }
}

int32_t TRDRTFDocumentBuilder::ListStyleForMarker(const TRDRTFReader& reader, const TRDRTFMarkerProperties& marker) {
    const int32_t level = marker.Level;
    if (level < 1 || level > 11) return -1;
    const TRDRTFFontList& fonts = reader.Fonts();
    if (marker.FontIndex < 0 || static_cast<size_t>(marker.FontIndex) >= fonts.size()) return -1;
    int32_t& chosen = levelListStyles_[static_cast<size_t>(level - 1)];
    if (level <= 10 && chosen >= 0) return chosen;

    const TRDRTFParaProperties& pp = reader.State().ParaProps;
    TRDListLevel w;
    std::string altFormat;
    if (level == 11) {
        w.ListType = rdlstBullet;
        w.FormatString = marker.TextBefore;
        altFormat = w.FormatString;
        w.MarkerAlignment = rdmaLeft;
    } else {
        w.ListType = ListTypeOf(marker.ListType);
        w.FormatString = marker.TextBefore + "%s" + marker.TextAfter;
        altFormat = marker.TextBefore + "%0:s" + marker.TextAfter;
        w.MarkerAlignment = MarkerAlignmentOf(marker.Alignment);
    }
    const int64_t left = scale_(pp.LeftIndent);
    const int64_t paraFirst = scale_(pp.FirstIndent);
    const int64_t indent = scale_(marker.Indent);
    const int64_t space = scale_(marker.Space);
    int64_t markerIndent = left + paraFirst;
    const int64_t firstIndent =
        marker.Hanging ? std::max(space, paraFirst + indent) : std::max<int64_t>(0, std::max(indent, space) + paraFirst);
    if (w.MarkerAlignment == rdmaRight) {
        markerIndent = firstIndent + left;
    } else if (w.MarkerAlignment == rdmaCenter) {
        markerIndent = (firstIndent + left + markerIndent) / 2;
    }
    w.LeftIndent = Clamp32(left);
    w.MarkerIndent = Clamp32(markerIndent);
    w.FirstIndent = Clamp32(firstIndent);
    w.Font.Size = marker.FontSize;
    w.Font.Style = FontStylesOf(marker.FontStyle);
    w.Font.Color = marker.Color;
    w.Font.Name = fonts[static_cast<size_t>(marker.FontIndex)].Name;

    TRDListInfos& styles = style_->ListStyles;
    int32_t result = -1;
    for (int i = 0; i < styles.Count() && result < 0; ++i) {
        const TRDListInfo& s = styles.Items(i);
        if (s.Levels.Count() < 1) continue;
        const TRDListLevel& e = s.Levels.Items(0);
        if (e.ListType == w.ListType && e.MarkerAlignment == w.MarkerAlignment && e.LeftIndent == w.LeftIndent &&
            e.MarkerIndent == w.MarkerIndent && e.FirstIndent == w.FirstIndent && SameMarkerFont(e.Font, w.Font) &&
            (e.FormatString == w.FormatString || e.FormatString == altFormat)) {
            result = i;
        }
    }
    if (result < 0) {
        TRDListInfo& s = styles.Add();
        s.Levels.Add() = w;
        result = styles.Count() - 1;
    }
    chosen = result;
    return result;
}

void TRDRTFDocumentBuilder::Renumber(TRDMarkerItemInfo& marker) {
    TRDMarkerList* markers = target_->GetMarkers();
    if (!markers) return;
    const int position = markers->IndexOf(&marker);
    if (position >= 0) markers->NumberFrom(position, style_);
}

void TRDRTFDocumentBuilder::MarkerUpdate(const TRDRTFReader& reader) {
    if (!pendingMarker_) return;
    TRDMarkerItemInfo& marker = *pendingMarker_;
    pendingMarker_ = nullptr;
    const TRDRTFParaProperties& pp = reader.State().ParaProps;
    marker.ListNo = pp.Marker ? ListStyleForMarker(reader, *pp.Marker) : -1;
    if (marker.ListNo >= 0) {
        marker.Level = 0;
        Renumber(marker);
    }
}

}  // namespace tovra
