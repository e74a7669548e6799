// The reference Bible module: a Lectern 5 .lt5bible file, checked and loaded,
// and the verse-numbering queries on it.
//
// A verse ordinal is the 1-based position of a verse in the module's canonical
// order, from 1 to VerseCount(). The reader maps the file for its whole
// lifetime and reads the verse record table in place; it copies only the
// header, the two per-book tables and the name lists.
//
// Damaged modules never make the reader read outside the file or the record
// table: a header whose tables do not fit the file fails to load, and every
// query of a loaded module answers with an ordinal in 0 to VerseCount(), even
// when the stored records are out of order.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/error.h"
#include "refbible/module_format.h"
#include "refbible/unpack_field.h"

namespace tovra {

class TMappedFile;

// Book, chapter and verse of one verse record.
struct TVerseRecord {
    std::uint8_t book = 0;
    std::uint8_t chapter = 0;
    std::uint8_t verse = 0;
};

class TLTBibleModule {
public:
    // Loads the module file. Throws tovra::Error with one of:
    //   "%s does not exist."                       (no such file, or a folder)
    //   "Failed to open %s (%d)"                   (errno)
    //   "File mapping failed on %s (%d)"           (errno; an empty file)
    //   "Invalid Bible module file header (%s)."   (the stored magic text)
    //   "Module file has invalid or corrupt hash."
    //   "Bible module file is damaged (...)."      (tables outside the file,
    //                                               no books or no verses)
    // or EZDecompressionError when a name list (or, for the short code KJV,
    // the word list) cannot be inflated.
    explicit TLTBibleModule(const std::string& fileName);

    // Loads a module image held in memory by the caller, who keeps `image`
    // alive and unchanged for the reader's lifetime; `fileName` only names it
    // in messages. Same checks and messages as above, minus the file ones.
    TLTBibleModule(const std::string& fileName, std::span<const std::uint8_t> image);

    ~TLTBibleModule();
    TLTBibleModule(const TLTBibleModule&) = delete;
    TLTBibleModule& operator=(const TLTBibleModule&) = delete;

    const std::string& FileName() const { return fileName_; }
    std::uint16_t BookCount() const;
    std::uint16_t VerseCount() const;
    // The module's short code from the header ("KJV").
    std::string ShortCode() const;

    // Entry b - 1 names book b, in stored order.
    const std::vector<std::string>& BookNames() const { return bookNames_; }
    const std::vector<std::string>& AltBookNames() const { return altBookNames_; }
    // For a module with the short code KJV and a word list: its words,
    // lower-cased, sorted and without duplicates; otherwise empty.
    const std::vector<std::string>& WordList() const { return wordList_; }
    // Entry b - 1 is the highest chapter of book b, as stored.
    const std::vector<std::uint8_t>& MaxChapterTable() const { return maxChapterTable_; }

    // The header's seeded Adler-32 over bytes 0 to 613.
    std::uint32_t HeaderHash(std::uint32_t seed) const;

    // The first verse of `book`: 1 below book 1, VerseCount() above the last
    // book, else the stored entry (kept inside 1 to VerseCount()).
    std::int32_t BookFirstVerse(std::int32_t book) const;

    // Book, chapter and verse of `ordinal`; all 0 outside 1 to VerseCount().
    void VerseLocation(std::int32_t ordinal, std::int32_t& book, std::int32_t& chapter,
                       std::int32_t& verse) const;

    // The ordinal of book, chapter and verse, clamped: a verse or chapter past
    // the end gives the last verse of the chapter or book, a chapter below 1
    // the verse just before the book (0 for book 1), a book below 1 gives 1
    // and a book past the last VerseCount(). Always in 0 to VerseCount().
    std::int32_t VerseOrdinal(std::int32_t book, std::int32_t chapter, std::int32_t verse) const;

    // "%s %d:%d" with the book's name from BookNames(), or AltBookNames() when
    // `alternateNames`, for ordinals 1 to VerseCount(); "Verse index out of
    // range." for any other. Throws EListError when the record's book has no
    // name in the chosen list.
    std::string VerseReference(std::uint16_t ordinal, bool alternateNames) const;

    // The record of `ordinal`; throws EListError outside 1 to VerseCount().
    TVerseRecord VerseRecord(std::int32_t ordinal) const;

private:
    void Load(std::span<const std::uint8_t> image);
    const std::uint8_t* RecordAt(std::int32_t ordinal) const;
    void BuildChapterRuns();

    std::string fileName_;
    std::unique_ptr<TMappedFile> file_;
    std::array<std::uint8_t, lt5::kHeaderSize> header_{};
    const std::uint8_t* verseTable_ = nullptr;
    std::int32_t verseCount_ = 0;
    std::vector<std::uint16_t> firstVerseTable_;
    std::vector<std::uint8_t> maxChapterTable_;
    // Entry d: the end (exclusive) of the records from d on that share d's
    // book with chapters that never decrease; lets VerseOrdinal find a
    // chapter by binary search where a scan would walk the whole book.
    std::vector<std::int32_t> chapterRunEnd_;
    std::vector<std::string> altBookNames_;
    std::vector<std::string> bookNames_;
    std::vector<std::string> wordList_;
};

}  // namespace tovra
