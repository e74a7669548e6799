// The SQLite backend behind the connection and table reader.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "db/access_reader.h"
#include "db/sqlite_reader.h"
#include "platform/error.h"
#include "support/databases.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

namespace fs = std::filesystem;
using test_support::Database;
using test_support::FilesIn;
using test_support::ReadFile;
using test_support::TempFolder;

std::string OpenError(const std::string& path) {
    TAccessConnection c;
    c.SetConnectionString("Data Source=" + path);
    try {
        c.Open();
    } catch (const Error& e) {
        EXPECT_FALSE(c.Connected());
        return e.what();
    }
    return "";
}

// Runs SQL on a new or existing database file through SQLite itself.
void Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

std::vector<std::string> SortedTableNames(const std::string& path) {
    TAccessConnection c;
    c.SetConnectionString("Data Source=" + path);
    c.Open();
    auto names = c.TableNames();
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SqliteReaderTest, HeaderIsTheSixteenBytesOfSqliteFormat3) {
    EXPECT_TRUE(IsSqliteHeader(std::string_view("SQLite format 3\0 and more", 25)));
    EXPECT_TRUE(IsSqliteHeader(std::string_view("SQLite format 3\0", 16)));
    EXPECT_FALSE(IsSqliteHeader("SQLite format 3"));   // 15 bytes: cut short
    EXPECT_FALSE(IsSqliteHeader("SQLite format 3 "));  // a blank instead of the NUL
    EXPECT_FALSE(IsSqliteHeader(std::string_view("sqlite format 3\0", 16)));
    EXPECT_FALSE(IsSqliteHeader(""));
}

TEST(SqliteReaderTest, IdentifiersAreQuotedWithInnerQuotesDoubled) {
    EXPECT_EQ(SqlIdentifier("Bible"), "\"Bible\"");
    EXPECT_EQ(SqlIdentifier("Book Notes"), "\"Book Notes\"");
    EXPECT_EQ(SqlIdentifier("a\"b\"\""), "\"a\"\"b\"\"\"\"\"");
    EXPECT_EQ(SqlIdentifier(""), "\"\"");
}

TEST(SqliteReaderTest, TablesAreTheOrdinaryOnesOnly) {
    EXPECT_EQ(SortedTableNames(Database("study.cmtx")),
              (std::vector<std::string>{"Books", "Chapters", "Details", "Verses"}));
    // No view, no index, no internal sqlite_ table.
    EXPECT_EQ(SortedTableNames(Database("no-known-tables.cmtx")),
              (std::vector<std::string>{"Book Notes", "Details", "VersesOld"}));
    TAccessConnection c;
    c.SetConnectionString("Data Source=" + Database("study.cmtx"));
    c.Open();
    EXPECT_EQ(c.Format(), TDatabaseFormat::Sqlite);
    c.Close();
    EXPECT_EQ(c.Format(), TDatabaseFormat::Access);
    c.SetConnectionString("Data Source=" + Database("study.cmt"));
    c.Open();
    EXPECT_EQ(c.Format(), TDatabaseFormat::Access);
}

TEST(SqliteReaderTest, FieldsAreFoundByNameInAnyLetterCase) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString("Data Source=" + Database("study.cmtx"));
    c.Open();
    EXPECT_EQ(t.DatabaseFormat(), TDatabaseFormat::Sqlite);
    t.Open("BOOKS");
    ASSERT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("Book").Name(), "book");  // as the file spells it
    EXPECT_EQ(t.FieldByName("BOOK").AsInteger(), 1);
    EXPECT_EQ(t.FindField("Notes"), nullptr);
    EXPECT_EQ(t.FindField("comments"), &t.FieldByName("Comments"));
    try {
        t.FieldByName("Book ID");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "ADOTable1: Field 'Book ID' not found");
    }
    try {
        t.Open("Commentary");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The SQLite database has no table 'Commentary'.");
    }
    EXPECT_FALSE(t.Active());
}

TEST(SqliteReaderTest, ValuesOfEveryStorageClass) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString("Data Source=" + Database("storage-classes.dctx"));
    c.Open();
    t.Open("Dictionary");
    struct Row {
        bool topicNull;
        std::string topic;
        std::string definition;
        std::string definitionAsInteger;  // the value, or the error text
    };
    const std::vector<Row> rows = {
        {false, "Seven", "7", "7"},
        {false, "12", "Twelve, a topic that is an integer.", "'Twelve, a topic that is an integer.' is not a valid integer value"},
        {false, "Pi", "3.25", "3"},
        {false, "Tenth", "0.1", "0"},
        {false, "Whole real", "2", "2"},
        {false, "Huge", "1e+300", "'1e+300' is not a valid integer value"},
        {false, "Negative", "-2147483649", "'-2147483649' is not a valid integer value"},
        {true, "", "A NULL topic.", "'A NULL topic.' is not a valid integer value"},
        {false, "Null definition", "", "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.topic);
        ASSERT_FALSE(t.Eof());
        EXPECT_EQ(t.FieldByName("Topic").IsNull(), row.topicNull);
        EXPECT_EQ(t.FieldByName("Topic").AsString(), row.topic);
        EXPECT_EQ(t.FieldByName("Definition").AsString(), row.definition);
        std::string asInteger;
        try {
            asInteger = std::to_string(t.FieldByName("Definition").AsInteger());
        } catch (const Error& e) {
            asInteger = e.what();
        }
        EXPECT_EQ(asInteger, row.definitionAsInteger);
        t.Next();
    }
    EXPECT_TRUE(t.Eof());
    EXPECT_THROW(t.Next(), Error);
    EXPECT_THROW(t.FieldByName("Topic").AsString(), Error);  // no current row
}

TEST(SqliteReaderTest, BinaryValuesAreTheSignOfAnEncryptedModule) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString("Data Source=" + Database("encrypted-blob.cmtx"));
    c.Open();
    t.Open("Verses");
    EXPECT_EQ(t.FieldByName("Book").AsInteger(), 1);
    const std::string message =
        "The column 'Comments' of table 'Verses' holds binary data: the module is encrypted and cannot be converted.";
    for (bool asText : {true, false}) {
        try {
            if (asText) t.FieldByName("Comments").AsString();
            else t.FieldByName("Comments").AsInteger();
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
    EXPECT_FALSE(t.FieldByName("Comments").IsNull());
}

TEST(SqliteReaderTest, OpenFailuresHaveClearMessages) {
    struct Case {
        const char* file;
        std::string message;  // "@" stands for the path
    };
    const std::string encrypted = "The module '@' is encrypted and cannot be converted.";
    const std::vector<Case> cases = {
        {"encrypted-license.bblx", encrypted},
        {"encrypted-details.dctx", encrypted},
        {"unencrypted-details.dctx", ""},
        {"truncated-header.bblx", "Cannot open the SQLite database '@': database disk image is malformed."},
        {"bad-page-size.bblx", "Cannot open the SQLite database '@': file is not a database."},
        {"malformed-schema.bblx", "Cannot open the SQLite database '@': database disk image is malformed."},
        {"malformed-page.bblx", ""},  // fails only when its table is read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Database(c.file);
        std::string expected = c.message;
        if (size_t at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, path);
        EXPECT_EQ(OpenError(path), expected);
    }
}

// Names SQLite keeps in UTF-8 come out as 8-bit text: Windows-1252
// characters as their bytes, others as character references.
TEST(SqliteReaderTest, NamesOutsideWindows1252BecomeReferences) {
    TempFolder dir;
    const std::string path = dir / "names.dctx";
    Sql(path, "CREATE TABLE \"Λόγος \"\"quoted\"\"\" (\"Café\" TEXT, \"𝄞\" INTEGER);"
              "INSERT INTO \"Λόγος \"\"quoted\"\"\" VALUES ('été 𝄞', 7)");
    const std::string table = "&#923;&#972;&#947;&#959;&#962; \"quoted\"";
    EXPECT_EQ(SortedTableNames(path), std::vector<std::string>{table});
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString("Data Source=" + path);
    c.Open();
    t.Open("&#923;&#972;&#947;&#959;&#962; \"QUOTED\"");
    ASSERT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("CAF\xE9").AsString(), "\xE9t\xE9 \\u119070?");
    EXPECT_EQ(t.FieldByName("CAF\xE9").AsString(TUnmappableForm::CharacterReference), "\xE9t\xE9 &#119070;");
    EXPECT_EQ(t.FieldByName("&#119070;").AsInteger(), 7);
}

// A WAL-mode file is read without the -wal and -shm files a read-only
// connection would otherwise create beside it.
TEST(SqliteReaderTest, WalFileIsReadWithoutFilesBesideIt) {
    TempFolder dir;
    const std::string path = dir / "wal.bblx";
    Sql(path, "PRAGMA journal_mode = WAL; CREATE TABLE Bible (Book, Chapter, Verse, Scripture);"
              "INSERT INTO Bible VALUES (1, 1, 1, 'In the beginning.')");
    ASSERT_EQ(FilesIn(dir.path()), std::vector<std::string>{"wal.bblx"});
    const std::string before = ReadFile(path);
    {
        TAccessConnection c;
        TAccessTable t(c);
        c.SetConnectionString("Data Source=" + path);
        c.Open();
        t.Open("Bible");
        ASSERT_FALSE(t.Eof());
        EXPECT_EQ(t.FieldByName("Scripture").AsString(), "In the beginning.");
        EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"wal.bblx"});
    }
    EXPECT_EQ(ReadFile(path), before);
}

// A journal left behind by a change that never finished makes the file
// fail: reading around it could give half-written pages.
TEST(SqliteReaderTest, UnfinishedChangeInTheJournalFailsTheOpen) {
    TempFolder dir;
    const std::string path = dir / "crashed.bblx";
    Sql(path, "CREATE TABLE Bible (Book, Chapter, Verse, Scripture); INSERT INTO Bible VALUES (1, 1, 1, 'old')");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // a writer that dies in the middle of its transaction
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "PRAGMA cache_size = 1; BEGIN;"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                         "INSERT INTO Bible SELECT 1, 1, i, printf('%.200c', 'x') FROM n",
                     nullptr, nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(fs::exists(path + "-journal"));
    const std::string journal = ReadFile(path + "-journal");
    EXPECT_EQ(OpenError(path), "Cannot open the SQLite database '" + path +
                                   "': its journal file holds a change that was never finished.");
    EXPECT_EQ(ReadFile(path + "-journal"), journal);  // left for its writer
}

TEST(SqliteReaderTest, ClosingTheConnectionLeavesTheReaderWithoutRows) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString("Data Source=" + Database("bible.bblx"));
    c.Open();
    t.Open("Bible");
    ASSERT_FALSE(t.Eof());
    c.Close();
    EXPECT_TRUE(t.Eof());
    EXPECT_THROW(t.Next(), Error);
    EXPECT_THROW(t.FieldByName("Book").AsInteger(), Error);
    c.Open();  // the reader can be used again
    t.Open("Bible");
    EXPECT_EQ(t.FieldByName("Book").AsInteger(), 43);
}

}  // namespace
}  // namespace tovra
