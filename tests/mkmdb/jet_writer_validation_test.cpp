// Descriptions the writer cannot honour are refused with a clear message,
// and a refused or failed write leaves no file behind.
#include <gtest/gtest.h>


#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/error.h"
#include "support/temp_folder.h"
#include "tools/mkmdb/description_parser.h"
#include "db/jet_format.h"
#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {
namespace {

TDatabaseDef OneTable() {
    TDatabaseDef db;
    db.tables.push_back({"Dictionary",
                         {{"Topic", TColumnType::Text, 5, false},
                          {"Definition", TColumnType::Memo, 0, false},
                          {"Number", TColumnType::Byte, 0, false},
                          {"Flag", TColumnType::Boolean, 0, false}},
                         {{"Aaron", "x", "1", "0"}}});
    return db;
}

struct TBadCase {
    const char* label;
    std::function<void(TDatabaseDef&)> spoil;
    const char* message;  // expected part of the error text
};

TEST(JetWriterValidation, RefusesWhatItCannotHonour) {
    const TBadCase cases[] = {
        {"text too long", [](TDatabaseDef& d) { d.tables[0].rows[0][0] = "Abaddon"; },
         "column \"Topic\": value of 7 characters is too long for Text (5)"},
        {"text too long in UTF-16 units", [](TDatabaseDef& d) { d.tables[0].rows[0][0] = "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"; },
         "too long for Text (5)"},
        {"duplicate column, other case", [](TDatabaseDef& d) { d.tables[0].columns.push_back({"TOPIC", TColumnType::Memo, 0, false}); },
         "duplicate column \"TOPIC\""},
        {"duplicate table, other case", [](TDatabaseDef& d) { d.tables.push_back(d.tables[0]); d.tables[1].name = "dictionary"; },
         "duplicate table \"dictionary\""},
        {"too few values", [](TDatabaseDef& d) { d.tables[0].rows[0].pop_back(); }, "row 1: 3 values for 4 columns"},
        {"byte out of range", [](TDatabaseDef& d) { d.tables[0].rows[0][2] = "256"; }, "outside the range of Byte"},
        {"not a number", [](TDatabaseDef& d) { d.tables[0].rows[0][2] = "12a"; }, "\"12a\" is not a whole number"},
        {"NULL Boolean", [](TDatabaseDef& d) { d.tables[0].rows[0][3] = std::nullopt; }, "a Boolean cannot be NULL"},
        {"invalid UTF-8", [](TDatabaseDef& d) { d.tables[0].rows[0][1] = "\xC3\x28"; }, "not valid UTF-8"},
        {"Text length 0", [](TDatabaseDef& d) { d.tables[0].columns[0].length = 0; }, "Text length 0 is outside 1-255"},
        {"empty table name", [](TDatabaseDef& d) { d.tables[0].name.clear(); }, "a table has an empty name"},
        {"password too long", [](TDatabaseDef& d) { d.password = std::string(21, 'p'); }, "longer than 20 characters"},
        {"sql statements", [](TDatabaseDef& d) { d.sql.push_back("CREATE INDEX i ON Dictionary (Topic)"); },
         "sql statements are for SQLite databases only"},
        {"row larger than a page", [](TDatabaseDef& d) {
             auto& t = d.tables[0];
             t.columns = {};
             t.rows = {{}};
             for (int i = 0; i < 9; ++i) {
                 t.columns.push_back({"c" + std::to_string(i), TColumnType::Text, 255, false});
                 t.rows[0].push_back(std::string(255, 'a'));
             }
         }, "the row needs more than one page"},
    };
    const test_support::TempFolder temp;
    const std::filesystem::path dir = temp.path();
    const std::string path = (dir / "out.dct").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TDatabaseDef db = OneTable();
        c.spoil(db);
        try {
            WriteJetFile(db, path);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_TRUE(std::filesystem::is_empty(dir)) << "a refused write left a file";
    }
}

TEST(JetWriterValidation, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const test_support::TempFolder temp;
    const std::filesystem::path dir = temp.path();
    const std::string path = (dir / "keep.dct").string();
    { std::ofstream(path) << "old"; }
    TDatabaseDef db = OneTable();
    db.tables[0].rows[0][2] = "-1";
    EXPECT_THROW(WriteJetFile(db, path), Error);
    std::ifstream in(path);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    // A folder that does not exist: an error, not a crash or a success.
    EXPECT_THROW(WriteJetFile(OneTable(), (dir / "missing" / "x.dct").string()), Error);
    // A good write replaces the old file.
    WriteJetFile(OneTable(), path);
    EXPECT_EQ(std::filesystem::file_size(path) % jet::kJet4PageSize, 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace tovra::mkmdb
