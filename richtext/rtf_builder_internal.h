// The document builder's internals, shared by its source files: the builder
// class (rtf_builder.cpp: reading, runs, tables and merging), its style
// matching (rtf_style_matching.cpp) and its list mapping
// (rtf_list_mapping.cpp). Not for use outside the builder.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "richtext/document.h"
#include "richtext/items.h"
#include "richtext/rtf_builder.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_table_builder.h"
#include "richtext/style_sheet.h"
#include "richtext/table.h"

namespace tovra {

namespace rtf_builder_detail {

inline int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

inline TFontStyles FontStylesOf(uint8_t rtfStyle) {
    return TFontStyles::FromBits(static_cast<uint8_t>(rtfStyle & 0x0F));
}

// Defined with the style matching.
struct ParaBorder;
struct TextKey;
struct ParaKey;

// One level of an RTF list as a list-style level, with the second accepted
// form of its format string.
struct WantedLevel {
    TRDListLevel level;
    std::string altFormat;
};

// The last few text styles found, by their exact keys (the name and every
// other property of a TextKey as numbers). Styles are only ever added during
// a load, so the first style that matches a key stays the first: a key seen
// before gives the style found for it then. Runs mostly alternate between a
// handful of formats, and the search compares names.
class RecentTextStyles {
public:
    static constexpr int kFields = 10;
    using Fields = std::array<int64_t, kFields>;

    void Reset() { size_ = next_ = 0; }
    int32_t Find(std::string_view name, const Fields& fields) const {
        for (int i = 0; i < size_; ++i) {
            const Entry& e = entries_[static_cast<size_t>(i)];
            if (e.fields == fields && e.name == name) return e.index;
        }
        return -1;
    }
    void Remember(std::string_view name, const Fields& fields, int32_t index) {
        Entry& e = entries_[static_cast<size_t>(next_)];
        next_ = (next_ + 1) % kSize;
        if (size_ < kSize) ++size_;
        e.name.assign(name);
        e.fields = fields;
        e.index = index;
    }

private:
    static constexpr int kSize = 4;
    struct Entry {
        std::string name;
        Fields fields{};
        int32_t index = -1;
    };
    std::array<Entry, kSize> entries_;
    int size_ = 0;
    int next_ = 0;
};

// Styles searched one by one while there are few of them, through a hash
// index once there are many.
class StyleIndex {
public:
    static constexpr int kLinearLimit = 48;
    void Reset() {
        built_ = false;
        buckets_.clear();
    }
    bool Built() const { return built_; }
    void MarkBuilt() { built_ = true; }
    void Add(uint64_t hash, int32_t index) { buckets_[hash].push_back(index); }
    const std::vector<int32_t>* Find(uint64_t hash) const {
        auto it = buckets_.find(hash);
        return it == buckets_.end() ? nullptr : &it->second;
    }

private:
    bool built_ = false;
    std::unordered_map<uint64_t, std::vector<int32_t>> buckets_;
};

}  // namespace rtf_builder_detail

class TRDRTFDocumentBuilder final : public TRDRTFTableHost {
public:
    explicit TRDRTFDocumentBuilder(const TRDRTFReaderProperties& settings);

    uint8_t Fill(std::string_view rtf, TCustomRDData& target);
    // Merges the adjacent text items of `doc` from index `from` on.
    void MergeTextItems(TCustomRDData& doc, int from);

    void AddEmptyCellRun(const TRDRTFReader& reader) override { OnText(reader, {}, rtf_ts_NewPara, true); }
    void InsertTable(std::unique_ptr<TRDTableItemInfo> table) override;
    void MoveOutItem(std::string_view text, std::unique_ptr<TCustomRDItemInfo> item) override;
    int32_t DefaultParaNo(uint8_t alignment) override;
    TCustomRDData& Target() override { return *target_; }
    const TRDTwipScale& Scale() const override { return scale_; }

private:
    using ParaBorder = rtf_builder_detail::ParaBorder;
    using ParaKey = rtf_builder_detail::ParaKey;
    using RecentTextStyles = rtf_builder_detail::RecentTextStyles;
    using StyleIndex = rtf_builder_detail::StyleIndex;
    using TextKey = rtf_builder_detail::TextKey;
    using WantedLevel = rtf_builder_detail::WantedLevel;

    void OnText(const TRDRTFReader& reader, std::string_view text, TRDRTFPosition position, bool keepHidden);
    void MarkerUpdate(const TRDRTFReader& reader);
    void OnTable(const TRDRTFReader& reader, TRDRTFTableEventKind kind);

    bool AddStyles(TRDReaderStyleMode mode) const { return mode != rdrsUseSpecified; }
    int32_t TextStyleFor(const TRDRTFReader& reader);
    int32_t ParaStyleFor(const TRDRTFReader& reader);
    int32_t FindTextStyle(const TextKey& key);
    void IndexTextStyle(int32_t index);
    int32_t FindParaStyle(const ParaKey& key, uint8_t multiple, int64_t percent, const ParaBorder& border);
    void IndexParaStyle(int32_t index);
    TCustomRDData& Current() const;
    int32_t ParaNoOfLast() const;

    // Inserts `item` (owned by `owned` unless it is a text item copied from
    // `item`) at the end of the current document under the paragraph rules.
    void InsertRunItem(std::string_view text, TCustomRDItemInfo& item, std::unique_ptr<TCustomRDItemInfo> owned,
                       TRDRTFPosition position, bool movingOut, bool numberedMarker);
    // Appends a text run to the target's last item when the final merge
    // would join the two; true when it did.
    bool AppendToLastRun(std::string_view text, const TRDTextItemInfo& item, TRDRTFPosition position);
    // The list marker of a paragraph that starts; true when one was inserted.
    bool InsertParagraphMarker(int32_t paraNo);
    int32_t ListStyleForMarker(const TRDRTFReader& reader, const TRDRTFMarkerProperties& marker);
    void BuildListMap(const TRDRTFReader& reader);
    void WantedLevelOf(const TRDRTFReader& reader, const TRDRTFListLevel97& source, WantedLevel& out) const;
    bool LevelMatches(const TRDListLevel& existing, const WantedLevel& wanted, const TRDRTFListLevel97& source) const;
    void RegisterTableMarkers(TRDTableItemInfo& table);
    void Renumber(TRDMarkerItemInfo& marker);

    const TRDRTFReaderProperties& settings_;
    TRDRTFReader reader_;
    TRDRTFTableBuilder tables_;
    TRDTwipScale scale_;

    // Working state of one load.
    TCustomRDData* target_ = nullptr;
    TRDStyle* style_ = nullptr;
    bool pageBreakPending_ = false;
    // The target's last item, when OnText inserted it or appended to it
    // with non-empty text of style `styleNo`; index -1 otherwise.
    struct LastRun {
        int index = -1;
        int32_t styleNo = 0;
    };
    LastRun lastRun_;
    std::array<int32_t, 4> defaultParaCache_{};  // per alignment, -1 none yet
    StyleIndex textIndex_;
    RecentTextStyles recentTextStyles_;
    StyleIndex paraIndex_;
    TRDMarkerItemInfo* pendingMarker_ = nullptr;  // old-style marker awaiting its list style
    std::array<int32_t, 11> levelListStyles_{};
    bool listMapBuilt_ = false;
    std::vector<int32_t> listMap_;
    std::vector<uint8_t> listStyleUsed_;

    // Reused buffers.
    std::string text_;
    std::vector<WantedLevel> wanted_;
    std::vector<uint8_t> mergeFlags_;
    std::vector<std::pair<std::string, std::unique_ptr<TCustomRDItemInfo>>> tail_;
};

}  // namespace tovra
