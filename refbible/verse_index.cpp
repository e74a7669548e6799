// The verse-numbering queries over the loaded tables and the record table.
//
// The loader guarantees that the record table holds VerseCount() records
// inside the file and that the first-verse table has BookCount() entries.
// Stored entries are not trusted beyond that: a first verse outside 1 to V is
// pulled inside, and every scan checks 1 <= d <= V before reading a record,
// so records out of order give odd ordinals but never a read outside.
#include "refbible/module.h"

#include <algorithm>
#include <charconv>

namespace tovra {

const std::uint8_t* TLTBibleModule::RecordAt(std::int32_t ordinal) const {
    return verseTable_ + static_cast<std::size_t>(ordinal - 1) * lt5::kVerseRecordSize;
}

void TLTBibleModule::BuildChapterRuns() {
    chapterRunEnd_.assign(static_cast<std::size_t>(verseCount_) + 1, 0);
    for (std::int32_t d = verseCount_; d >= 1; --d) {
        const std::uint8_t* r = RecordAt(d);
        const bool continues = d < verseCount_ && RecordAt(d + 1)[lt5::kRecordBookByte] == r[lt5::kRecordBookByte] &&
                               RecordAt(d + 1)[lt5::kRecordChapterByte] >= r[lt5::kRecordChapterByte];
        chapterRunEnd_[static_cast<std::size_t>(d)] = continues ? chapterRunEnd_[static_cast<std::size_t>(d) + 1] : d + 1;
    }
}

TVerseRecord TLTBibleModule::VerseRecord(std::int32_t ordinal) const {
    if (ordinal < 1 || ordinal > verseCount_) throw EListError(ordinal);
    const std::uint8_t* r = RecordAt(ordinal);
    return {r[lt5::kRecordBookByte], r[lt5::kRecordChapterByte], r[lt5::kRecordVerseByte]};
}

std::int32_t TLTBibleModule::BookFirstVerse(std::int32_t book) const {
    if (book < 1) return 1;
    if (book > static_cast<std::int32_t>(firstVerseTable_.size())) return verseCount_;
    return std::clamp<std::int32_t>(firstVerseTable_[book - 1], 1, verseCount_);
}

void TLTBibleModule::VerseLocation(std::int32_t ordinal, std::int32_t& book, std::int32_t& chapter,
                                   std::int32_t& verse) const {
    if (ordinal < 1 || ordinal > verseCount_) {
        book = chapter = verse = 0;
        return;
    }
    const std::uint8_t* r = RecordAt(ordinal);
    book = r[lt5::kRecordBookByte];
    chapter = r[lt5::kRecordChapterByte];
    verse = r[lt5::kRecordVerseByte];
}

std::int32_t TLTBibleModule::VerseOrdinal(std::int32_t book, std::int32_t chapter,
                                          std::int32_t verse) const {
    using lt5::kRecordBookByte;
    using lt5::kRecordChapterByte;
    using lt5::kRecordVerseByte;
    const std::int32_t v = verseCount_;
    if (book < 1) return 1;
    if (book > static_cast<std::int32_t>(BookCount())) return v;
    std::int32_t d = BookFirstVerse(book);
    if (chapter == 1 && verse == 1) return d;

    // Both scans stop before reading the record at V. The first one finds
    // the first record of the chapter: over records of the book in chapter
    // order by binary search, over the rest one record at a time.
    while (d >= 1 && d < v && RecordAt(d)[kRecordBookByte] == book) {
        const std::int32_t end = std::min(chapterRunEnd_[static_cast<std::size_t>(d)], v);
        std::int32_t low = d, high = end;  // the first record of the chapter is in [low, high]
        while (low < high) {
            const std::int32_t mid = low + (high - low) / 2;
            if (RecordAt(mid)[kRecordChapterByte] < chapter)
                low = mid + 1;
            else
                high = mid;
        }
        d = low;
        if (d < end) break;  // a record of the chapter or a later one
    }
    if (d >= 1 && d < v && RecordAt(d)[kRecordBookByte] > book) --d;
    while (d >= 1 && d < v && RecordAt(d)[kRecordVerseByte] < verse &&
           RecordAt(d)[kRecordBookByte] == book && RecordAt(d)[kRecordChapterByte] == chapter)
        ++d;
    if (d > v) d = v;
    if (d >= 1) {
        const std::uint8_t* r = RecordAt(d);
        if (r[kRecordBookByte] > book)
            --d;
        else if (r[kRecordChapterByte] > chapter)
            --d;
    }
    return d;
}

std::string TLTBibleModule::VerseReference(std::uint16_t ordinal, bool alternateNames) const {
    if (ordinal == 0 || ordinal > verseCount_) return "Verse index out of range.";
    std::int32_t book = 0, chapter = 0, verse = 0;
    VerseLocation(ordinal, book, chapter, verse);
    const std::vector<std::string>& names = alternateNames ? altBookNames_ : bookNames_;
    const std::int32_t index = book - 1;
    if (index < 0 || static_cast<std::size_t>(index) >= names.size()) throw EListError(index);
    const std::string& name = names[static_cast<std::size_t>(index)];

    // Each number in a buffer of its own that holds any 32-bit value, so no
    // byte is ever written at a position that to_chars may have returned as
    // the end of its buffer.
    char chapterText[12], verseText[12];
    char* chapterEnd = std::to_chars(chapterText, chapterText + sizeof chapterText, chapter).ptr;
    char* verseEnd = std::to_chars(verseText, verseText + sizeof verseText, verse).ptr;
    std::string text;
    text.reserve(name.size() + 2 + static_cast<std::size_t>(chapterEnd - chapterText) +
                 static_cast<std::size_t>(verseEnd - verseText));
    text.append(name).append(1, ' ').append(chapterText, chapterEnd).append(1, ':').append(verseText, verseEnd);
    return text;
}

}  // namespace tovra
