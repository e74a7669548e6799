// Databases written by the writer, read back through libmdb: every column
// type, NULL in every column, awkward text and memos of every storage form.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/mkmdb/mdb_dump.h"
#include "db/jet_format.h"
#include "support/temp_folder.h"
#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {
namespace {

using test::DumpWithLibmdb;

// A memo that needs a chain of long-value pages: about 300 KB as UTF-16.
std::string LongMemo() {
    std::string s = "{\\rtf1\\ansi START\\par\r\n";
    for (int i = 0; s.size() < 150000; ++i)
        s += "Line " + std::to_string(i) + ": In the beginning was the Word \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82.\\par\r\n";
    return s + "END}";
}

TEST(JetWriterRoundTrip, EveryTypeNullsTextAndMemosReadBackExactly) {
    TDatabaseDef db;
    TTableDef t;
    t.name = "Round Trip Table";
    t.columns = {{"Title Text", TColumnType::Text, 100, false},
                 {"Body", TColumnType::Memo, 0, false},
                 {"Long ID", TColumnType::LongInteger, 0, true},
                 {"Small", TColumnType::Integer, 0, false},
                 {"Tiny", TColumnType::Byte, 0, false},
                 {"Flag", TColumnType::Boolean, 0, false},
                 {"Real", TColumnType::Double, 0, false}};
    const std::string greek = "\xE1\xBC\x88\xCE\xB3\xCE\xAC\xCF\x80\xCE\xB7";              // Ἀγάπη
    const std::string hebrew = "\xD7\xA9\xD7\x81\xD7\xB8\xD7\x9C\xD7\x95\xD6\xB9\xD7\x9D";  // שָׁלוֹם with points
    const std::string quotes = "\xE2\x80\x9C" "Grace" "\xE2\x80\x9D and \xE2\x80\x98mercy\xE2\x80\x99 \xE2\x80\x94";
    t.rows = {
        {"Faith", "{\\rtf1 short inline}", "1", "-32768", "0", "1", "1.5"},
        {std::nullopt, "memo beside a NULL title", "2", "32767", "255", "0", "-2.25"},
        {"NULL memo", std::nullopt, std::nullopt, std::nullopt, std::nullopt, "0", std::nullopt},
        {"", "", "4", "0", "1", "1", "0"},
        {greek, "CR LF\r\nlone CR\rlone LF\nend\r\n", "5", "1", "2", "1", "3.25"},
        {hebrew, "{\\rtf1 " + hebrew + " " + greek + " " + quotes + "\\par}", "6", "2", "3", "0", "1e10"},
        // 3800 bytes: one row on a long-value page.
        {quotes, std::string(1900, 'y'), "7", "3", "4", "1", "-0.5"},
        {"Long", LongMemo(), "-2147483648", "4", "5", "0", "2"},
        {std::string(100, 'z'), std::string(1000, 'm') + "\xE2\x80\x94", "2147483647", "5", "6", "1", "7"},
    };
    db.tables.push_back(t);
    // Enough rows for many data pages, in a second table with a lower-case name.
    TTableDef many;
    many.name = "many rows";
    many.columns = {{"n", TColumnType::LongInteger, 0, false}, {"text", TColumnType::Text, 255, false}};
    for (int i = 0; i < 3000; ++i) many.rows.push_back({std::to_string(i * 7), "row " + std::to_string(i) + std::string(static_cast<size_t>(i % 200), '.')});
    db.tables.push_back(many);

    const test_support::TempFolder dir;
    const std::string path = dir / "roundtrip.mdb";
    WriteJetFile(db, path);
    const auto dump = DumpWithLibmdb(path);

    ASSERT_EQ(dump.tables.size(), 2u);
    const auto& rt = dump.tables[0];
    EXPECT_EQ(rt.name, "Round Trip Table");
    ASSERT_EQ(rt.columns.size(), t.columns.size());
    const int types[] = {0x0A, 0x0C, 0x04, 0x03, 0x02, 0x01, 0x07};
    for (size_t c = 0; c < t.columns.size(); ++c) {
        EXPECT_EQ(rt.columns[c].name, t.columns[c].name);
        EXPECT_EQ(rt.columns[c].type, types[c]) << t.columns[c].name;
    }
    EXPECT_EQ(rt.columns[0].size, 200);  // 100 characters as UTF-16
    ASSERT_EQ(rt.rows.size(), t.rows.size());
    // libmdb prints numbers in its own way; compare those as numbers.
    for (size_t r = 0; r < t.rows.size(); ++r) {
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const auto& want = t.rows[r][c];
            const auto& got = rt.rows[r][c];
            SCOPED_TRACE("row " + std::to_string(r + 1) + " column " + t.columns[c].name);
            ASSERT_EQ(want.has_value(), got.has_value());
            if (!want) continue;
            if (c <= 1) {
                EXPECT_EQ(*got, *want);
            } else {
                EXPECT_DOUBLE_EQ(std::stod(*got), std::stod(*want));
            }
        }
    }
    const auto& mr = dump.tables[1];
    EXPECT_EQ(mr.name, "many rows");
    ASSERT_EQ(mr.rows.size(), many.rows.size());
    for (size_t r = 0; r < many.rows.size(); ++r) {
        ASSERT_EQ(mr.rows[r][0], many.rows[r][0]) << r;
        ASSERT_EQ(mr.rows[r][1], many.rows[r][1]) << r;
    }
    EXPECT_GT(std::filesystem::file_size(path), 100u * jet::kJet4PageSize);
}

TEST(JetWriterRoundTrip, EmptyTableAndNoTables) {
    TDatabaseDef db;
    db.tables.push_back({"Dictionary", {{"Definition", TColumnType::Memo, 0, false}}, {}});
    const test_support::TempFolder dir;
    const std::string path = dir / "empty.mdb";
    WriteJetFile(db, path);
    auto dump = DumpWithLibmdb(path);
    ASSERT_EQ(dump.tables.size(), 1u);
    EXPECT_EQ(dump.tables[0].columns.size(), 1u);
    EXPECT_TRUE(dump.tables[0].rows.empty());

    WriteJetFile(TDatabaseDef{}, path);
    EXPECT_TRUE(DumpWithLibmdb(path).tables.empty());
}

TEST(JetWriterRoundTrip, FileSizeIsWholePagesAndHeaderIsJet4) {
    TDatabaseDef db;
    db.tables.push_back({"T", {{"A", TColumnType::Text, 10, false}}, {{"a"}}});
    const auto image = BuildJetImage(db);
    ASSERT_EQ(image.size() % jet::kJet4PageSize, 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + jet::kSignatureOffset, jet::kSignatureLength),
              "Standard Jet DB");
    EXPECT_EQ(image[jet::kVersionOffset], jet::kVersionJet4);
    EXPECT_EQ(image[jet::kCatalogDefinitionPage * jet::kJet4PageSize], jet::kPageTableDefinition);
}

}  // namespace
}  // namespace tovra::mkmdb
