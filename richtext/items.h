// The items of a styled document: text runs, list markers and tables (the
// table item lives in table.h). An item belongs to one paragraph, chosen by
// its ParaNo; its flags tell whether it starts that paragraph, continues the
// line before it or starts a new line inside it.
#pragma once

#include <cstdint>

#include "richtext/style_sheet.h"

namespace tovra {

// Item kinds: a StyleNo of 0 or more is a text item of that text style.
inline constexpr int32_t rdkListMarker = -11;
inline constexpr int32_t rdkTable = -60;

enum TRDItemFlag : uint8_t { rdifJoinsPrevious, rdifPageBreak, rdifLineBreak, rdifUnicode };
using TRDItemFlags = TRDSet<TRDItemFlag>;

class TCustomRDItemInfo {
public:
    virtual ~TCustomRDItemInfo() = default;

    int32_t StyleNo = 0;
    int32_t ParaNo = 0;

    TRDItemFlags ItemFlags() const { return flags_; }
    bool HasFlag(TRDItemFlag f) const { return flags_.Has(f); }
    // Sets a flag with its consequences: joining clears the page and line
    // breaks; a page break clears joining and the line break; a line break
    // clears joining.
    void SetFlag(TRDItemFlag f);
    void ClearFlag(TRDItemFlag f) { flags_.Exclude(f); }
    void SetItemFlags(TRDItemFlags flags) { flags_ = flags; }

    // True when no text or marker can share the item's line (tables).
    virtual bool OccupiesWholeLine() const { return false; }
    bool IsText() const { return StyleNo >= 0; }
    // Called when a document takes the item (a table then uses that
    // document's style sheet and marker list for its cells).
    virtual void AttachToDocument(class TCustomRDData* /*document*/) {}
    // An item starts a paragraph unless it joins or breaks the line.
    bool StartsParagraph() const { return !flags_.Has(rdifJoinsPrevious) && !flags_.Has(rdifLineBreak); }

protected:
    TCustomRDItemInfo(int32_t styleNo, int32_t paraNo) : StyleNo(styleNo), ParaNo(paraNo) {}
    TCustomRDItemInfo(const TCustomRDItemInfo&) = default;
    TCustomRDItemInfo& operator=(const TCustomRDItemInfo&) = default;

private:
    TRDItemFlags flags_;
};

inline void TCustomRDItemInfo::SetFlag(TRDItemFlag f) {
    switch (f) {
    case rdifJoinsPrevious:
        flags_.Exclude(rdifPageBreak);
        flags_.Exclude(rdifLineBreak);
        break;
    case rdifPageBreak:
        flags_.Exclude(rdifJoinsPrevious);
        flags_.Exclude(rdifLineBreak);
        break;
    case rdifLineBreak:
        flags_.Exclude(rdifJoinsPrevious);
        break;
    case rdifUnicode:
        break;
    }
    flags_.Include(f);
}

// A run of text in one text style; its characters are the text stored
// beside it in the document.
class TRDTextItemInfo final : public TCustomRDItemInfo {
public:
    explicit TRDTextItemInfo(int32_t styleNo = 0, int32_t paraNo = 0) : TCustomRDItemInfo(styleNo, paraNo) {}
    TRDTextItemInfo(const TRDTextItemInfo&) = default;
    TRDTextItemInfo& operator=(const TRDTextItemInfo&) = default;
};

// A list marker; it always starts a paragraph. Counter is set by the
// document's marker numbering.
class TRDMarkerItemInfo final : public TCustomRDItemInfo {
public:
    TRDMarkerItemInfo(int32_t listNo, int32_t level, int32_t startFrom, bool resetCounter)
        : TCustomRDItemInfo(rdkListMarker, 0),
          ListNo(listNo), Level(level), StartFrom(startFrom), ResetCounter(resetCounter) {}

    int32_t ListNo;  // index into ListStyles; -1: no list
    int32_t Level;   // 0-based; levels past the style's last use the last
    int32_t StartFrom;
    bool ResetCounter;
    int32_t Counter = 1;

    TRDMarkerItemInfo(const TRDMarkerItemInfo&) = delete;
    TRDMarkerItemInfo& operator=(const TRDMarkerItemInfo&) = delete;
    // A marker freed while still listed (say, after ExtractItem) leaves
    // its marker list.
    ~TRDMarkerItemInfo() override;

    // True while the marker is in its document's marker list.
    bool InMarkerList() const { return list_ != nullptr; }

private:
    friend class TRDMarkerList;
    class TRDMarkerList* list_ = nullptr;
};

// The level of list style ListNo that `marker` uses, or null when the marker
// has none (no list, a list number outside the style sheet, or a list style
// without levels).
const TRDListLevel* MarkerLevel(const TRDStyle& style, const TRDMarkerItemInfo& marker);
// The index of that level (0 … level count - 1), or -1 when there is none.
int MarkerLevelIndex(const TRDStyle& style, const TRDMarkerItemInfo& marker);

}  // namespace tovra
