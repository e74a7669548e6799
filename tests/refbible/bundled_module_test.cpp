// The KJV module that the build writes, checked against the versification
// table it was made from.
#include <gtest/gtest.h>

#include <fstream>

#include "refbible/module.h"
#include "tools/mkmodule/versification.h"

namespace tovra {
namespace {

const std::string kBundledModule = std::string(TOVRA_BINARY_DIR) + "/data/Lectern 5/Modules/kjv.lt5bible";

class BundledModuleTest : public ::testing::Test {
protected:
    BundledModuleTest() : module_(kBundledModule) {}
    TLTBibleModule module_;
};

TEST_F(BundledModuleTest, HoldsTheKjvVersification) {
    EXPECT_EQ(module_.BookCount(), 66);
    EXPECT_EQ(module_.VerseCount(), 31102);
    EXPECT_EQ(module_.ShortCode(), "KJV");
    EXPECT_EQ(module_.VerseReference(31102, false), "Revelation 22:21");
    EXPECT_EQ(module_.VerseReference(31102, true), "Rev 22:21");
    EXPECT_EQ(module_.VerseReference(1, false), "Genesis 1:1");
    EXPECT_EQ(module_.VerseOrdinal(43, 3, 16), 26137);
    EXPECT_EQ(module_.VerseReference(26137, false), "John 3:16");
    ASSERT_EQ(module_.BookNames().size(), 66u);
    ASSERT_EQ(module_.AltBookNames().size(), 66u);
    EXPECT_EQ(module_.BookNames()[8], "1 Samuel");
    EXPECT_EQ(module_.BookNames()[21], "Song of Solomon");
    EXPECT_EQ(module_.AltBookNames()[0], "Gen");
    EXPECT_FALSE(module_.WordList().empty());
    EXPECT_EQ(module_.MaxChapterTable()[18], 150);  // Psalms
}

TEST_F(BundledModuleTest, AgreesWithTheVersificationTable) {
    const mkmodule::TVersification table =
        mkmodule::ReadVersificationFile(std::string(TOVRA_SOURCE_DIR) + "/data/kjv-versification.tsv");
    ASSERT_EQ(table.books.size(), 66u);
    std::int32_t ordinal = 0;
    for (std::size_t b = 0; b < table.books.size(); ++b) {
        const auto& book = table.books[b];
        const std::int32_t bookNumber = static_cast<std::int32_t>(b + 1);
        EXPECT_EQ(module_.BookNames()[b], book.name);
        EXPECT_EQ(module_.AltBookNames()[b], book.abbrev);
        EXPECT_EQ(module_.BookFirstVerse(bookNumber), ordinal + 1) << book.name;
        for (std::size_t c = 0; c < book.chapterVerses.size(); ++c) {
            const std::int32_t chapter = static_cast<std::int32_t>(c + 1);
            for (std::int32_t v = 1; v <= book.chapterVerses[c]; ++v) {
                ++ordinal;
                ASSERT_EQ(module_.VerseOrdinal(bookNumber, chapter, v), ordinal)
                    << book.name << " " << chapter << ":" << v;
                ASSERT_EQ(module_.VerseReference(static_cast<std::uint16_t>(ordinal), false),
                          book.name + " " + std::to_string(chapter) + ":" + std::to_string(v));
            }
            // Beyond a chapter's last verse: that last verse.
            EXPECT_EQ(module_.VerseOrdinal(bookNumber, chapter, 200), ordinal);
        }
        // Beyond the book: its last verse.
        EXPECT_EQ(module_.VerseOrdinal(bookNumber, 255, 255), ordinal) << book.name;
    }
    EXPECT_EQ(ordinal, 31102);
    EXPECT_EQ(module_.VerseOrdinal(67, 1, 1), 31102);
}

}  // namespace
}  // namespace tovra
