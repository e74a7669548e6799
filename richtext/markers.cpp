// The marker list and the numbering of list markers.
#include <algorithm>

#include "platform/error.h"
#include "richtext/document.h"

namespace tovra {

const TRDListLevel* MarkerLevel(const TRDStyle& style, const TRDMarkerItemInfo& marker) {
    const int index = MarkerLevelIndex(style, marker);
    return index < 0 ? nullptr : &style.ListStyles.Items(marker.ListNo).Levels.Items(index);
}

int MarkerLevelIndex(const TRDStyle& style, const TRDMarkerItemInfo& marker) {
    if (!style.ListStyles.InRange(marker.ListNo)) return -1;
    const int count = style.ListStyles.Items(marker.ListNo).Levels.Count();
    if (count == 0) return -1;
    return std::clamp(marker.Level, 0, count - 1);
}

TRDMarkerItemInfo::~TRDMarkerItemInfo() {
    if (list_) list_->Remove(this);
}

TRDMarkerItemInfo* TRDMarkerList::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return markers_[static_cast<size_t>(index)];
}

int TRDMarkerList::IndexOf(const TRDMarkerItemInfo* marker) const {
    if (!marker || marker->list_ != this) return -1;
    // Markers are mostly looked up near the end, where new ones are added.
    for (size_t i = markers_.size(); i-- > 0;) {
        if (markers_[i] == marker) return static_cast<int>(i);
    }
    return -1;
}

void TRDMarkerList::Insert(int position, TRDMarkerItemInfo* marker) {
    if (marker->list_) marker->list_->Remove(marker);
    position = std::clamp(position, 0, Count());
    markers_.insert(markers_.begin() + position, marker);
    marker->list_ = this;
}

void TRDMarkerList::Remove(TRDMarkerItemInfo* marker) {
    const int at = IndexOf(marker);
    if (at < 0) return;
    markers_.erase(markers_.begin() + at);
    marker->list_ = nullptr;
}

void TRDMarkerList::Clear() {
    for (TRDMarkerItemInfo* m : markers_) m->list_ = nullptr;
    markers_.clear();
}

void TRDMarkerList::NumberFrom(int position, const TRDStyle* style) {
    if (position < 0 || position >= Count()) return;
    const int32_t list = markers_[static_cast<size_t>(position)]->ListNo;
    if (list < 0) return;
    static const TRDListLevel kDefaultLevel;
    for (int p = position; p < Count(); ++p) {
        TRDMarkerItemInfo& m = *markers_[static_cast<size_t>(p)];
        if (m.ListNo != list) continue;
        if (m.ResetCounter) {
            m.Counter = m.StartFrom;
            continue;
        }
        const TRDListLevel* found = style ? MarkerLevel(*style, m) : nullptr;
        const TRDListLevel& level = found ? *found : kDefaultLevel;
        m.Counter = level.StartFrom;
        for (int q = p - 1; q >= 0; --q) {
            const TRDMarkerItemInfo& earlier = *markers_[static_cast<size_t>(q)];
            if (earlier.ListNo != list) continue;
            if (earlier.Level == m.Level) {
                m.Counter = earlier.Counter + 1;
                break;
            }
            if (earlier.Level < m.Level && level.Options.Has(rdloLevelReset)) {
                m.Counter = level.StartFrom;
                break;
            }
            if (earlier.Level > m.Level) m.Counter = level.StartFrom + 1;
        }
    }
}

}  // namespace tovra
