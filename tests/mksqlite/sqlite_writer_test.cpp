// The SQLite writer: what it stores, where its pages lie, and the writes it
// refuses without leaving a file behind.
#include "tools/mksqlite/sqlite_writer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "support/temp_folder.h"
#include "tools/mkmdb/description_parser.h"

namespace tovra::mksqlite {
namespace {

namespace fs = std::filesystem;

class SqliteWriterTest : public ::testing::Test {
protected:
    // The rows of a query as "a|b|c" lines, through SQLite itself.
    std::vector<std::string> Query(const std::string& path, const std::string& sql) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        std::vector<std::string> rows;
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                row += (c ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
            }
            rows.push_back(row);
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return rows;
    }

    test_support::TempFolder dir_;
};

TEST_F(SqliteWriterTest, CellsKeepTheStorageClassOfTheirColumn) {
    const std::string path = dir_ / "all.dctx";
    WriteSqliteFile(mkmdb::ParseDescription(
                        "table \"Details\"\n  column \"Title\" text 10\n  row \"Kinds\"\n"
                        "table \"T\"\n"
                        "  column \"Text\" text 5\n  column \"Memo\" memo\n  column \"Long\" long\n"
                        "  column \"Byte\" byte\n  column \"Flag\" boolean\n  column \"Real\" double\n"
                        "  row \"longer than five\" \"bad \\xFF byte\\0after\" -12 255 true 1.5\n"
                        "  row NULL NULL NULL NULL false NULL\n"
                        "sql \"CREATE INDEX i ON T (Long)\"\n"
                        "sql \"UPDATE T SET Memo = CAST(Memo AS BLOB) WHERE rowid = 1\"\n"),
                    path);
    EXPECT_EQ(Query(path, "SELECT typeof(Text), typeof(Memo), typeof(Long), typeof(Byte), typeof(Flag), "
                          "typeof(Real) FROM T ORDER BY rowid"),
              (std::vector<std::string>{"text|blob|integer|integer|integer|real", "null|null|null|null|integer|null"}));
    // Text is stored byte for byte: invalid UTF-8 and the NUL stay; lengths
    // of Text columns are not enforced.
    EXPECT_EQ(Query(path, "SELECT Text, hex(CAST(Memo AS BLOB)), Long, Byte, Flag, Real FROM T WHERE rowid = 1"),
              std::vector<std::string>{"longer than five|62616420FF2062797465006166746572|-12|255|1|1.5"});
    EXPECT_EQ(Query(path, "PRAGMA page_size"), std::vector<std::string>{std::to_string(kSqlitePageSize)});
    EXPECT_EQ(Query(path, "SELECT name, rootpage FROM sqlite_master WHERE type = 'table' ORDER BY rootpage"),
              (std::vector<std::string>{"Details|2", "T|3"}));
    EXPECT_EQ(Query(path, "SELECT name FROM sqlite_master WHERE type = 'index'"), std::vector<std::string>{"i"});
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(SqliteWriterTest, RefusedWritesKeepTheOldFileAndLeaveNoTemporary) {
    const struct {
        const char* label;
        const char* description;
        const char* message;
    } cases[] = {
        {"password", "password \"x\"\ntable \"T\"\n column \"C\" memo\n", "a SQLite database has no password"},
        {"not an integer", "table \"T\"\n column \"C\" long\n row \"12a\"\n",
         "table \"T\", row 1, column \"C\": '12a' is not an integer"},
        {"not a number", "table \"T\"\n column \"C\" double\n row \"x\"\n", "'x' is not a number"},
        {"duplicate table", "table \"T\"\n column \"C\" memo\ntable \"t\"\n column \"C\" memo\n",
         "table \"t\": table \"t\" already exists"},
        {"failing statement", "table \"T\"\n column \"C\" memo\nsql \"DROP TABLE Missing\"\n",
         "sql statement 1: no such table: Missing"},
    };
    const std::string path = dir_ / "kept.bblx";
    { std::ofstream(path) << "old content"; }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        try {
            WriteSqliteFile(mkmdb::ParseDescription(c.description), path);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        std::ifstream in(path);
        std::stringstream content;
        content << in.rdbuf();
        EXPECT_EQ(content.str(), "old content");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
    }
}

}  // namespace
}  // namespace tovra::mksqlite
