// The verse queries on a small module (three books, fourteen verses; see
// module_fixture.h) and on modules whose tables break the usual invariants.
#include "refbible/module.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "module_fixture.h"

namespace tovra {
namespace {

using namespace lt5;

class VerseIndexTest : public ::testing::Test {
protected:
    VerseIndexTest() : image_(test_support::SmallModule()), module_("small", image_) {}
    std::vector<std::uint8_t> image_;
    TLTBibleModule module_;
};

TEST_F(VerseIndexTest, BookFirstVerseClampsOutsideTheBooks) {
    const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
        {INT_MIN, 1}, {-1, 1}, {0, 1}, {1, 1}, {2, 6}, {3, 13}, {4, 14}, {INT_MAX, 14}};
    for (const auto& [book, first] : cases) EXPECT_EQ(module_.BookFirstVerse(book), first) << book;
}

TEST_F(VerseIndexTest, VerseLocationGivesZerosOutsideTheVerses) {
    struct Case {
        std::int32_t ordinal, book, chapter, verse;
    };
    for (const Case c : {Case{INT_MIN, 0, 0, 0}, Case{-1, 0, 0, 0}, Case{0, 0, 0, 0}, Case{1, 1, 1, 1},
                         Case{7, 2, 1, 2}, Case{12, 2, 3, 1}, Case{14, 3, 1, 2}, Case{15, 0, 0, 0},
                         Case{INT_MAX, 0, 0, 0}}) {
        std::int32_t b = -1, ch = -1, v = -1;
        module_.VerseLocation(c.ordinal, b, ch, v);
        EXPECT_EQ(b, c.book) << c.ordinal;
        EXPECT_EQ(ch, c.chapter) << c.ordinal;
        EXPECT_EQ(v, c.verse) << c.ordinal;
    }
}

TEST_F(VerseIndexTest, EveryVerseFindsItsOwnOrdinal) {
    for (std::int32_t n = 1; n <= module_.VerseCount(); ++n) {
        std::int32_t b, ch, v;
        module_.VerseLocation(n, b, ch, v);
        EXPECT_EQ(module_.VerseOrdinal(b, ch, v), n) << b << " " << ch << ":" << v;
    }
}

struct OrdinalCase {
    const char* name;
    std::int32_t book, chapter, verse, ordinal;
};

class VerseOrdinalTest : public VerseIndexTest, public ::testing::WithParamInterface<OrdinalCase> {};

TEST_P(VerseOrdinalTest, FindsOrClampsToANearbyVerse) {
    const OrdinalCase& c = GetParam();
    EXPECT_EQ(module_.VerseOrdinal(c.book, c.chapter, c.verse), c.ordinal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerseOrdinalTest,
    ::testing::Values(OrdinalCase{"BookBelowOne", 0, 1, 1, 1}, OrdinalCase{"NegativeBook", INT_MIN, 5, 5, 1},
                      OrdinalCase{"BookAboveLast", 4, 1, 1, 14}, OrdinalCase{"HugeBook", INT_MAX, 1, 1, 14},
                      OrdinalCase{"FirstVerseOfBook", 2, 1, 1, 6}, OrdinalCase{"ExistingVerse", 2, 2, 3, 10},
                      OrdinalCase{"VerseAboveChapterEnd", 2, 2, 9, 11},
                      OrdinalCase{"VerseBelowOne", 2, 2, 0, 8}, OrdinalCase{"NegativeVerse", 2, 2, INT_MIN, 8},
                      OrdinalCase{"ChapterAboveBookEnd", 2, 9, 1, 12},
                      OrdinalCase{"VerseBeyondLastChapterEnd", 1, 2, 99, 5},
                      OrdinalCase{"ChapterAndVerseBeyondBook", 1, 255, 255, 5},
                      OrdinalCase{"ChapterZeroOfFirstBook", 1, 0, 1, 0},
                      OrdinalCase{"ChapterZeroOfSecondBook", 2, 0, 5, 5},
                      OrdinalCase{"NegativeChapter", 3, INT_MIN, 1, 12},
                      OrdinalCase{"LastBookBeyondEnd", 3, 255, 255, 14},
                      OrdinalCase{"LastBookVerseBeyondEnd", 3, 1, 9, 14},
                      OrdinalCase{"LastBookChapterBeyondEnd", 3, 2, 1, 14},
                      OrdinalCase{"LastVerse", 3, 1, 2, 14}, OrdinalCase{"HugeChapter", 2, INT_MAX, INT_MAX, 12},
                      OrdinalCase{"ChapterOneVerseZero", 1, 1, 0, 1}),
    [](const ::testing::TestParamInfo<OrdinalCase>& info) { return std::string(info.param.name); });

TEST_F(VerseIndexTest, ChapterOneVerseOneComesStraightFromTheTable) {
    // Records of book 2 rewritten to claim book 9: only a lookup that reads
    // no record still answers 6.
    auto image = image_;
    const std::uint32_t table = test_support::Field32(image, kVerseTableOffsetField);
    for (std::size_t n = 6; n <= 12; ++n) image[table + (n - 1) * kVerseRecordSize + kRecordBookByte] = 9;
    TLTBibleModule module("patched", image);
    EXPECT_EQ(module.VerseOrdinal(2, 1, 1), 6);
}

TEST_F(VerseIndexTest, SkippedChapterGivesLastVerseBeforeTheNextOne) {
    // Book 2's chapters 2 and 3 renumbered 4 and 5: it has chapters 1, 4, 5.
    auto image = image_;
    const std::uint32_t table = test_support::Field32(image, kVerseTableOffsetField);
    for (std::size_t n = 8; n <= 12; ++n) image[table + (n - 1) * kVerseRecordSize + kRecordChapterByte] += 2;
    TLTBibleModule module("skipping", image);
    EXPECT_EQ(module.VerseOrdinal(2, 2, 1), 7);
    EXPECT_EQ(module.VerseOrdinal(2, 3, 3), 7);
    EXPECT_EQ(module.VerseOrdinal(2, 4, 2), 9);
    EXPECT_EQ(module.VerseOrdinal(2, 6, 1), 12);
}

TEST_F(VerseIndexTest, VerseReferenceNamesBookChapterAndVerse) {
    EXPECT_EQ(module_.VerseReference(1, false), "Alpha 1:1");
    EXPECT_EQ(module_.VerseReference(11, false), "2 Beta 2:4");
    EXPECT_EQ(module_.VerseReference(11, true), "2Be 2:4");
    EXPECT_EQ(module_.VerseReference(14, false), "Gamma 1:2");
    EXPECT_EQ(module_.VerseReference(14, true), "Gam 1:2");
    for (std::uint16_t outside : {0, 15, 65535}) {
        EXPECT_EQ(module_.VerseReference(outside, false), "Verse index out of range.");
        EXPECT_EQ(module_.VerseReference(outside, true), "Verse index out of range.");
    }
}

TEST_F(VerseIndexTest, VerseReferenceWritesLargeNumbersInFull) {
    auto image = image_;
    const std::uint32_t table = test_support::Field32(image, kVerseTableOffsetField);
    image[table + kRecordChapterByte] = 255;
    image[table + kRecordVerseByte] = 100;
    TLTBibleModule module("big", image);
    EXPECT_EQ(module.VerseReference(1, false), "Alpha 255:100");
}

TEST_F(VerseIndexTest, BookWithoutANameIsAListIndexError) {
    auto image = image_;
    const std::uint32_t table = test_support::Field32(image, kVerseTableOffsetField);
    image[table + kRecordBookByte] = 0;                             // verse 1: book 0
    image[table + 13 * kVerseRecordSize + kRecordBookByte] = 200;  // verse 14: book 200
    TLTBibleModule module("nameless", image);
    for (bool alternate : {false, true}) {
        try {
            module.VerseReference(1, alternate);
            ADD_FAILURE() << "book 0 named";
        } catch (const EListError& e) {
            EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
        }
        try {
            module.VerseReference(14, alternate);
            ADD_FAILURE() << "book 200 named";
        } catch (const EListError& e) {
            EXPECT_STREQ(e.what(), "List index out of bounds (199)");
        }
    }
    EXPECT_EQ(module.VerseReference(2, false), "Alpha 1:2");
}

TEST_F(VerseIndexTest, VerseRecordChecksItsOrdinal) {
    const TVerseRecord r = module_.VerseRecord(12);
    EXPECT_EQ(r.book, 2);
    EXPECT_EQ(r.chapter, 3);
    EXPECT_EQ(r.verse, 1);
    for (std::int32_t outside : {0, 15, -1}) {
        try {
            module_.VerseRecord(outside);
            ADD_FAILURE() << outside;
        } catch (const EListError& e) {
            EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(outside) + ")");
        }
    }
}

// VerseOrdinal as a plain scan over the records, one record at a time: the
// module's lookup must give the same on any records, in order or not.
std::int32_t ScannedOrdinal(const std::vector<std::uint8_t>& records, std::int32_t firstVerse, std::int32_t book,
                            std::int32_t chapter, std::int32_t verse) {
    const auto v = static_cast<std::int32_t>(records.size() / kVerseRecordSize);
    auto at = [&](std::int32_t d, std::size_t k) { return records[static_cast<std::size_t>(d - 1) * kVerseRecordSize + k]; };
    std::int32_t d = firstVerse;
    if (chapter == 1 && verse == 1) return d;
    while (d >= 1 && d < v && at(d, kRecordChapterByte) < chapter && at(d, kRecordBookByte) == book) ++d;
    if (d >= 1 && d < v && at(d, kRecordBookByte) > book) --d;
    while (d >= 1 && d < v && at(d, kRecordVerseByte) < verse && at(d, kRecordBookByte) == book &&
           at(d, kRecordChapterByte) == chapter)
        ++d;
    if (d > v) d = v;
    if (d >= 1) {
        if (at(d, kRecordBookByte) > book)
            --d;
        else if (at(d, kRecordChapterByte) > chapter)
            --d;
    }
    return d;
}

// Modules whose first-verse table and records are nonsense still load and
// answer inside 0 to V, and as a plain scan of the records would. The record table is placed at the very end of an
// exactly sized buffer, so a sanitizer build catches any read past it.
TEST(VerseIndexDamageTest, NonsenseTablesStayInRange) {
    std::mt19937 random(2024);
    const std::vector<std::uint16_t> firstVerses[] = {
        {0, 0, 0}, {15, 65535, 14}, {14, 1, 7}, {1, 1, 1}, {3, 2, 1}};
    for (int round = 0; round < 40; ++round) {
        auto image = test_support::SmallModule();
        const std::uint32_t table = test_support::Field32(image, kVerseTableOffsetField);
        const std::uint32_t firsts = test_support::Field32(image, kFirstVerseTableOffsetField);
        const auto& entries = firstVerses[round % 5];
        for (std::size_t b = 0; b < 3; ++b) WriteLe16(image.data() + firsts + 2 * b, entries[b]);
        for (std::size_t n = 0; n < 14; ++n)
            for (std::size_t k : {kRecordBookByte, kRecordChapterByte, kRecordVerseByte})
                image[table + n * kVerseRecordSize + k] =
                    static_cast<std::uint8_t>(round % 2 ? random() % 5 : random());
        // Move the record table to the end of the image.
        std::vector<std::uint8_t> records(image.begin() + table, image.begin() + table + 14 * kVerseRecordSize);
        test_support::SetField32(image, kVerseTableOffsetField, static_cast<std::uint32_t>(image.size()));
        image.insert(image.end(), records.begin(), records.end());
        test_support::SealHeader(image);
        image.shrink_to_fit();

        TLTBibleModule module("nonsense", image);
        const std::int32_t v = module.VerseCount();
        for (std::int32_t book = -1; book <= 5; ++book) {
            const std::int32_t first = module.BookFirstVerse(book);
            EXPECT_GE(first, 1);
            EXPECT_LE(first, v);
            for (std::int32_t chapter = -1; chapter <= 6; ++chapter)
                for (std::int32_t verse = -1; verse <= 6; ++verse) {
                    const std::int32_t d = module.VerseOrdinal(book, chapter, verse);
                    EXPECT_GE(d, 0);
                    EXPECT_LE(d, v);
                    if (book >= 1 && book <= 3) {
                        EXPECT_EQ(d, ScannedOrdinal(records, first, book, chapter, verse))
                            << "round " << round << " " << book << " " << chapter << ":" << verse;
                    }
                }
            for (std::int32_t edge : {255, 256, INT_MAX}) {
                const std::int32_t d = module.VerseOrdinal(book, edge, edge);
                EXPECT_GE(d, 0);
                EXPECT_LE(d, v);
            }
        }
        for (std::uint16_t n = 0; n <= 16; ++n) {
            try {
                module.VerseReference(n, n % 2 == 0);
            } catch (const EListError&) {
                // a record naming a book without a name
            }
        }
    }
}

}  // namespace
}  // namespace tovra
