// Memos whose long-value page chain is damaged: a generated dictionary with
// one memo over a chain of three pages, its links patched in memory and
// written back. The reader must fail that field with a clear error, without
// following the chain for ever or collecting more than the file holds; the
// other rows stay readable and the engine logs the failure for the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "db/access_reader.h"
#include "db/jet_format.h"
#include "engine/conversion_run.h"
#include "engine/output_file.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "support/recording_log.h"
#include "support/temp_folder.h"
#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {
namespace {

using namespace jet;

constexpr const char* kLoops = "The database is damaged: the page chain of a memo of column 'Definition' loops.";
constexpr const char* kTooLong =
    "The database is damaged: the page chain of a memo of column 'Definition' is longer than the file has pages.";

uint8_t* MemoHeader(std::vector<uint8_t>& image, const std::vector<uint32_t>& chain);

// Over three long-value pages of UCS-2.
std::string LongText() {
    std::string text;
    while (text.size() < 5000) text += "In the beginning was the Word. ";
    return text;
}

// Two entries: Aaron's definition needs a chain of three long-value pages,
// Abba's stays in its row.
TDatabaseDef Dictionary() {
    TDatabaseDef db;
    db.tables.push_back({"Dictionary",
                         {{"Topic", TColumnType::Text, 100, false}, {"Definition", TColumnType::Memo, 0, false}},
                         {{"Aaron", LongText()}, {"Abba", "Father"}}});
    return db;
}

void Huge(std::vector<uint8_t>& image, const std::vector<uint32_t>& chain) {
    WriteLe32(MemoHeader(image, chain), kLongValueLengthMask | kLongValueChain);
}

// The long-value pages of the image in file order: the chain of the one long memo.
std::vector<uint32_t> ChainPages(const std::vector<uint8_t>& image) {
    std::vector<uint32_t> pages;
    for (size_t page = 0; page < image.size() / kJet4PageSize; ++page) {
        const uint8_t* p = image.data() + page * kJet4PageSize;
        if (p[0] == kPageData && std::memcmp(p + kDataOwnerOffset, kLongValueOwner, 4) == 0)
            pages.push_back(static_cast<uint32_t>(page));
    }
    return pages;
}

uint8_t* RowZero(std::vector<uint8_t>& image, uint32_t page) {
    uint8_t* p = image.data() + page * kJet4PageSize;
    return p + (ReadLe16(p + kDataHeaderSize) & kRowOffsetMask);
}

void Link(std::vector<uint8_t>& image, uint32_t from, uint32_t to) {
    WriteLe32(RowZero(image, from), PagePointer(to, 0));
}

// The 12-byte long-value header of the memo whose chain is `chain`: in the
// row on the table's data page, which the writer places after the chain.
uint8_t* MemoHeader(std::vector<uint8_t>& image, const std::vector<uint32_t>& chain) {
    uint8_t pointer[4];
    WriteLe32(pointer, PagePointer(chain[0], 0));
    const auto from = image.begin() + (chain.back() + 1) * kJet4PageSize;
    const auto it = std::search(from, image.end(), pointer, pointer + 4);
    if (it == image.end()) throw Error("no memo header points to page " + std::to_string(chain[0]));
    uint8_t* header = &*it - kLongValuePointerOffset;
    EXPECT_EQ(ReadLe32(header) & kLongValueKindMask, kLongValueChain);
    return header;
}

// Rewrites `page` into 200 short rows, each linking to the next row of the
// same page: a chain that meets no row twice and is still longer than the
// file has pages.
void ManyLinksOnOnePage(std::vector<uint8_t>& image, uint32_t page) {
    constexpr uint16_t kRows = 200;
    constexpr uint16_t kRowSize = 8;  // the link and 4 bytes of text
    uint8_t* p = image.data() + page * kJet4PageSize;
    std::memset(p + kDataHeaderSize, 0, kJet4PageSize - kDataHeaderSize);
    WriteLe16(p + kDataRowCountOffset, kRows);
    for (uint16_t row = 0; row < kRows; ++row) {
        const auto offset = static_cast<uint16_t>(kJet4PageSize - kRowSize * (row + 1));
        WriteLe16(p + kDataHeaderSize + 2 * row, offset);
        WriteLe32(p + offset, row + 1 < kRows ? PagePointer(page, static_cast<uint8_t>(row + 1)) : 0);
        std::memcpy(p + offset + 4, "W\0d\0", 4);
    }
    WriteLe16(p + kDataFreeSpaceOffset, static_cast<uint16_t>(kJet4PageSize - kDataHeaderSize - kRows * (kRowSize + 2)));
}

class DamagedMemoChain : public ::testing::Test {
protected:
    std::string WriteDamaged(const std::function<void(std::vector<uint8_t>&, const std::vector<uint32_t>&)>& damage) {
        std::vector<uint8_t> image = BuildJetImage(Dictionary());
        const std::vector<uint32_t> chain = ChainPages(image);
        EXPECT_EQ(chain.size(), 3u);
        if (chain.size() == 3) damage(image, chain);
        const std::string path = dir_ / "damaged.dct";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                    static_cast<std::streamsize>(image.size()));
        return path;
    }

    tovra::test_support::TempFolder dir_;
};

TEST_F(DamagedMemoChain, FieldFailsWithAClearErrorAndTheOtherRowsStayReadable) {
    const struct {
        const char* name;
        std::function<void(std::vector<uint8_t>&, const std::vector<uint32_t>&)> damage;
        const char* error;  // nullptr: the memo reads whole
    } cases[] = {
        {"sound chain", [](auto&, const auto&) {}, nullptr},
        {"page linked to itself", [](auto& image, const auto& chain) { Link(image, chain[0], chain[0]); }, kLoops},
        {"page linked to itself, memo of 1 GB",
         [](auto& image, const auto& chain) {
             Huge(image, chain);
             Link(image, chain[0], chain[0]);
         },
         kLoops},
        {"loop through two pages", [](auto& image, const auto& chain) { Link(image, chain[1], chain[0]); }, kLoops},
        {"loop through two pages, memo of 1 GB",
         [](auto& image, const auto& chain) {
             Huge(image, chain);
             Link(image, chain[1], chain[0]);
         },
         kLoops},
        // The stated length ends the memo on the last page: its link is not followed.
        {"last page linked to the first", [](auto& image, const auto& chain) { Link(image, chain[2], chain[0]); },
         nullptr},
        {"last page linked to the first, memo of 1 GB",
         [](auto& image, const auto& chain) {
             Huge(image, chain);
             Link(image, chain[2], chain[0]);
         },
         kLoops},
        {"more links than the file has pages",
         [](auto& image, const auto& chain) {
             ManyLinksOnOnePage(image, chain[1]);
             Link(image, chain[0], chain[1]);
         },
         kTooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteDamaged(c.damage);
        TAccessConnection connection;
        connection.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
        connection.Open();
        TAccessTable table(connection);
        table.Open("Dictionary");
        ASSERT_FALSE(table.Eof());
        EXPECT_EQ(table.FieldByName("Topic").AsString(), "Aaron");
        if (c.error) {
            try {
                table.FieldByName("Definition").AsString();
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_STREQ(e.what(), c.error);
            }
        } else {
            EXPECT_EQ(table.FieldByName("Definition").AsString(), LongText());
        }
        table.Next();
        ASSERT_FALSE(table.Eof());
        EXPECT_EQ(table.FieldByName("Topic").AsString(), "Abba");
        EXPECT_EQ(table.FieldByName("Definition").AsString(), "Father");
    }
}

TEST_F(DamagedMemoChain, EngineLogsTheErrorForTheFileAndGoesOn) {
    const std::string damaged =
        WriteDamaged([](auto& image, const auto& chain) { Link(image, chain[1], chain[0]); });
    const std::string sound = dir_ / "sound.dct";
    WriteJetFile(Dictionary(), sound);
    tovra::test_support::TempFolder out;
    tovra::test_support::FixedSettings settings;
    settings.outFolder = out.path();
    tovra::test_support::RecordingLog log;
    TConversionEngine engine(settings, log, nullptr);
    TRunView view;
    const TRunSummary summary = engine.Run({damaged, sound}, view);
    EXPECT_EQ(summary.converted, 1u);
    EXPECT_EQ(summary.failed, 1u);
    const std::vector<std::string> firstFile(log.lines.begin(), log.lines.begin() + 5);
    EXPECT_EQ(firstFile, (std::vector<std::string>{"--------------", "Converting file: \"" + damaged + "\"",
                                                   "Opening Database.", "Extracting entries from DICTIONARY.",
                                                   std::string("ERROR: \"") + kLoops + "\""}));
    EXPECT_FALSE(std::filesystem::exists(OutputFilePath(out.path(), damaged)));
    EXPECT_TRUE(std::filesystem::exists(OutputFilePath(out.path(), sound)));
}

}  // namespace
}  // namespace tovra::mkmdb
