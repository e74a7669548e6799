// e-Sword 9+ modules (SQLite) through the whole conversion run: recognition,
// reading, the failures of bad files, and the same output as the Access
// module of the same content.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "engine/conversion_run.h"
#include "engine/output_file.h"
#include "support/databases.h"
#include "support/kjv_module_fixture.h"
#include "support/recording_log.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

namespace fs = std::filesystem;
using test_support::Database;
using test_support::ReadFile;
using test_support::RecordingLog;
using test_support::TempFolder;

class SqliteModulesTest : public test_support::KjvModuleTest {
protected:
    SqliteModulesTest() { settings_.outFolder = out_.path(); }

    // Converts the files in one run; returns the log.
    std::vector<std::string> Run(const std::vector<std::string>& files) {
        TConversionEngine engine(settings_, log_, module_);
        TRunView view;
        engine.Run(files, view);
        return log_.lines;
    }
    // The log lines of one file after its three opening lines, for a run of
    // that file alone.
    std::vector<std::string> LinesOf(const std::string& file) {
        auto lines = Run({file});
        EXPECT_GE(lines.size(), 6u);
        if (lines.size() < 6) return lines;
        return std::vector<std::string>(lines.begin() + 3, lines.end() - 3);
    }
    std::string Written(const std::string& input) const { return OutputFilePath(out_.path(), input); }

    TempFolder out_;
    test_support::FixedSettings settings_;
    RecordingLog log_;
};

const char kBookNotes[] = "Extracting BOOK NOTES from COMMENTARY.";
const char kChapterNotes[] = "Extracting CHAPTER NOTES from COMMENTARY.";
const char kVerseCommentary[] = "Extracting VERSE NOTES from COMMENTARY.";
const char kVerseNotes[] = "Extracting entries from VERSE NOTES.";
const char kUnknown[] = "FAILED: Unknown input module type. Unable to convert.";

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Each file alone: the lines between its opening lines and the closing ones,
// and whether it gives an output file.
TEST_F(SqliteModulesTest, EveryKindAndEveryBadFileGivesItsLines) {
    struct Case {
        const char* file;
        std::vector<std::string> lines;  // "@" stands for the file's path
        bool converted;
    };
    const std::string html = "Converting RTF to HTML...";
    const std::string malformed = "FAILED TO OPEN DATABASE: \"Cannot open the SQLite database '@': database disk "
                                  "image is malformed.\"";
    const std::vector<Case> cases = {
        {"dictionary.dctx", {"Extracting entries from DICTIONARY.", html}, true},
        {"topics.topx", {"Extracting entries from TOPICS.", html}, true},
        {"bible.bblx", {"Extracting entries from BIBLE.", "Converting RTF to text..."}, true},
        {"study.cmtx", {kBookNotes, kChapterNotes, kVerseCommentary, html}, true},
        {"study-esword10.cmtx", {kBookNotes, kChapterNotes, kVerseCommentary, html}, true},
        {"notes.notx", {kVerseNotes, html}, true},
        // Both generations' names in one file: every table is read.
        {"mixed-names.cmtx", {kBookNotes, kBookNotes, kChapterNotes, kVerseCommentary, html}, true},
        // Precedence: dictionary, then topics, then Bible, then notes.
        {"dict-topics-bible.dctx", {"Extracting entries from DICTIONARY.", html}, true},
        {"topics-bible.topx", {"Extracting entries from TOPICS.", html}, true},
        {"bible-notes.bblx", {"Extracting entries from BIBLE.", "Converting RTF to text..."}, true},
        {"unencrypted-details.dctx", {"Extracting entries from DICTIONARY.", html}, true},
        // Encrypted modules, by each of their signs.
        {"encrypted-license.bblx",
         {"FAILED TO OPEN DATABASE: \"The module '@' is encrypted and cannot be converted.\""}, false},
        {"encrypted-details.dctx",
         {"FAILED TO OPEN DATABASE: \"The module '@' is encrypted and cannot be converted.\""}, false},
        {"encrypted-blob.cmtx",
         {kVerseCommentary, "ERROR: \"The column 'Comments' of table 'Verses' holds binary data: the module is "
                            "encrypted and cannot be converted.\""},
         false},
        // No known table: Access names, a view and lookalike names do not count.
        {"no-known-tables.cmtx", {kUnknown}, false},
        // Missing columns, reported by the field the reading asks for.
        {"bible-no-verse.bblx", {"Extracting entries from BIBLE.", "ERROR: \"ADOTable1: Field 'Verse' not found\""},
         false},
        {"dict-no-topic.dctx",
         {"Extracting entries from DICTIONARY.", "ERROR: \"ADOTable1: Field 'Topic' not found\""}, false},
        {"notes-no-notes.notx", {kVerseNotes, "ERROR: \"ADOTable1: Field 'Notes' not found\""}, false},
        {"verses-no-comments.cmtx", {kVerseCommentary, "ERROR: \"ADOTable1: Field 'Comments' not found\""}, false},
        // A chapter 0 note of the first book has no verse before it.
        {"chapter0.cmtx", {kChapterNotes, "ERROR: \"List index out of bounds (-1)\""}, false},
        // Damaged files: cut short, a bad header, a broken schema or table page.
        {"truncated-header.bblx", {malformed}, false},
        {"truncated.bblx", {malformed}, false},
        {"malformed-schema.bblx", {malformed}, false},
        {"bad-page-size.bblx",
         {"FAILED TO OPEN DATABASE: \"Cannot open the SQLite database '@': file is not a database.\""}, false},
        {"malformed-page.bblx",
         {"Extracting entries from BIBLE.",
          "ERROR: \"The table 'Bible' cannot be read: database disk image is malformed.\""},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Database(c.file);
        std::vector<std::string> expected;
        for (std::string line : c.lines) {
            if (size_t at = line.find('@'); at != std::string::npos) line.replace(at, 1, path);
            expected.push_back(line);
        }
        if (c.converted) expected.push_back("Writing entries to " + Quoted(Written(path)));
        EXPECT_EQ(LinesOf(path), expected);
        EXPECT_EQ(fs::exists(Written(path)), c.converted);
    }
}

TEST_F(SqliteModulesTest, AFailedFileDoesNotStopTheRun) {
    const std::string bad = Database("encrypted-blob.cmtx");
    const std::string good = Database("topics.topx");
    const auto lines = Run({bad, good});
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[5], "--------------");
    EXPECT_EQ(lines[10], "Writing entries to " + Quoted(Written(good)));
    EXPECT_EQ(lines[13], "Done.");
    EXPECT_FALSE(fs::exists(Written(bad)));
    EXPECT_TRUE(fs::exists(Written(good)));
}

// The output file without its "; Source:" line.
std::string WithoutSource(const std::string& text) {
    const size_t start = text.find("; Source: ");
    if (start == std::string::npos) return text;
    return text.substr(0, start) + text.substr(text.find("\r\n", start) + 2);
}

struct TParity {
    const char* access;
    const char* sqlite;
    bool removeFonts;
};

void PrintTo(const TParity& p, std::ostream* os) {
    *os << p.access << " / " << p.sqlite << (p.removeFonts ? "" : " (fonts kept)");
}

class SqliteParityTest : public SqliteModulesTest, public ::testing::WithParamInterface<TParity> {};

// The same content as an Access and as a SQLite module gives the same file.
TEST_P(SqliteParityTest, OutputEqualsTheAccessModules) {
    const TParity& p = GetParam();
    settings_.removeFonts = p.removeFonts;
    TempFolder accessOut, sqliteOut;
    settings_.outFolder = accessOut.path();
    Run({Database(p.access)});
    settings_.outFolder = sqliteOut.path();
    Run({Database(p.sqlite)});
    const std::string fromAccess = ReadFile(OutputFilePath(accessOut.path(), Database(p.access)));
    const std::string fromSqlite = ReadFile(OutputFilePath(sqliteOut.path(), Database(p.sqlite)));
    ASSERT_NE(fromAccess.find("\r\n$$ "), std::string::npos) << "no entries from " << p.access;
    EXPECT_EQ(WithoutSource(fromSqlite), WithoutSource(fromAccess));
    EXPECT_NE(fromSqlite, fromAccess);  // the source lines name different files
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SqliteParityTest,
                         ::testing::Values(TParity{"dictionary.dct", "dictionary.dctx", true},
                                           TParity{"dictionary.dct", "dictionary.dctx", false},
                                           TParity{"characters.dct", "characters.dctx", true},
                                           TParity{"topics.top", "topics.topx", true},
                                           TParity{"bible.bbl", "bible.bblx", true},   // verses as text
                                           TParity{"bible.bbl", "bible.bblx", false},  // verses as HTML
                                           TParity{"study.cmt", "study.cmtx", true},
                                           TParity{"study.cmt", "study-esword10.cmtx", true},
                                           TParity{"notes.not", "notes.notx", true}),
                         [](const ::testing::TestParamInfo<TParity>& info) {
                             std::string name = info.param.sqlite;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name + (info.param.removeFonts ? "" : "_keeping_fonts");
                         });

// Entries, in the order of the output file: "$$ " headings and the line after.
std::vector<std::pair<std::string, std::string>> Entries(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t at = text.find("\r\n$$ "); at != std::string::npos; at = text.find("\r\n$$ ", at + 2)) {
        const size_t name = at + 5;
        const size_t nameEnd = text.find("\r\n", name);
        const size_t lineEnd = text.find("\r\n", nameEnd + 2);
        entries.emplace_back(text.substr(name, nameEnd - name), text.substr(nameEnd + 2, lineEnd - nameEnd - 2));
    }
    return entries;
}

TEST_F(SqliteModulesTest, RowsComeInStoredOrder) {
    const std::vector<std::pair<std::string, std::string>> genesis = {
        {"Genesis 1:1", "c: first by rowid"}, {"Genesis 1:2", "b: second by rowid"}, {"Genesis 1:3", "a: third by rowid"}};
    Run({Database("rowid-order.bblx")});
    EXPECT_EQ(Entries(ReadFile(Written(Database("rowid-order.bblx")))), genesis);
    Run({Database("without-rowid.bblx")});
    const auto noRowid = Entries(ReadFile(Written(Database("without-rowid.bblx"))));
    ASSERT_EQ(noRowid.size(), 3u);
    EXPECT_EQ(noRowid[0].second, "In the beginning.");
    EXPECT_EQ(noRowid[2].first, "Genesis 1:3");
    Run({Database("hidden-rowid.dctx")});
    const auto hidden = Entries(ReadFile(Written(Database("hidden-rowid.dctx"))));
    ASSERT_EQ(hidden.size(), 3u);
    EXPECT_EQ(hidden[0].first, "Alpha");
    EXPECT_EQ(hidden[1].first, "Beta");
    EXPECT_EQ(hidden[2].first, "Gamma");
}

TEST_F(SqliteModulesTest, NumbersInTextColumnsReadAsTheirText) {
    Run({Database("storage-classes.dctx")});
    const auto entries = Entries(ReadFile(Written(Database("storage-classes.dctx"))));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Seven", "12", "Pi", "Tenth", "Whole real", "Huge", "Negative", ""}));
    const std::string text = ReadFile(Written(Database("storage-classes.dctx")));
    for (const char* body : {"<p>7</p>", "<p>3.25</p>", "<p>0.1</p>", "<p>2</p>", "<p>1e+300</p>", "<p>-2147483649</p>"})
        EXPECT_NE(text.find(body), std::string::npos) << body;
}

TEST_F(SqliteModulesTest, MalformedUtf8BecomesTheReplacementCharacter) {
    Run({Database("invalid-utf8.dctx")});
    const std::string text = ReadFile(Written(Database("invalid-utf8.dctx")));
    EXPECT_NE(text.find("$$ Stray &#65533; byte\r\n"), std::string::npos);
    EXPECT_NE(text.find("$$ Cut off &#65533;\r\n"), std::string::npos);
    EXPECT_NE(text.find("<p>An overlong slash &#65533;&#65533; and an encoded surrogate &#65533;&#65533;&#65533;.</p>"),
              std::string::npos);
}

TEST_F(SqliteModulesTest, PersonalNotesSkipVersesTheReferenceBibleLacks) {
    Run({Database("notes.notx")});
    const std::string text = ReadFile(Written(Database("notes.notx")));
    std::vector<std::string> names;
    for (const auto& e : Entries(text)) names.push_back(e.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Genesis 1:1", "John 3:16", "Revelation 22:21"}));
    for (const char* skipped : {"22:22", "Book 0", "Book 67", "31 verses", "chapter 0", "50 chapters", "3 John"})
        EXPECT_EQ(text.find(skipped), std::string::npos) << skipped;
}

// Which reader opens a file is decided by its first bytes, not its name.
TEST_F(SqliteModulesTest, TheFirstBytesChooseTheReader) {
    TempFolder in;
    fs::copy_file(Database("bible.bblx"), in / "sqlite.bbl");
    fs::copy_file(Database("bible.bblx"), in / "sqlite.mdb");
    fs::copy_file(Database("bible.bbl"), in / "access.bblx");
    test_support::WriteFile(in / "text.bblx", "SQLite format 3");  // no NUL: not the header
    for (const char* name : {"sqlite.bbl", "sqlite.mdb", "access.bblx"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LinesOf(in / name),
                  (std::vector<std::string>{"Extracting entries from BIBLE.", "Converting RTF to text...",
                                            "Writing entries to " + Quoted(Written(in / name))}));
        EXPECT_EQ(WithoutSource(ReadFile(Written(in / name))),
                  WithoutSource(ReadFile(Written(in / "sqlite.bbl"))));
    }
    EXPECT_EQ(LinesOf(in / "text.bblx"), std::vector<std::string>{"FAILED TO OPEN DATABASE: \"Unrecognized database "
                                                                  "format '" + in / "text.bblx" + "'.\""});
}

// A module being written by another program fails as locked instead of
// being read half-written; the reading never writes to the file or beside it.
TEST_F(SqliteModulesTest, LockedFileFailsAndInputsStayUntouched) {
    TempFolder in;
    const std::string path = in / "locked.bblx";
    fs::copy_file(Database("bible.bblx"), path);
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(LinesOf(path), std::vector<std::string>{"FAILED TO OPEN DATABASE: \"Cannot open the SQLite database '" +
                                                      path + "': database is locked.\""});
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_FALSE(fs::exists(Written(path)));

    fs::copy_file(Database("study.cmtx"), in / "study.cmtx");
    const std::string before = ReadFile(path) + ReadFile(in / "study.cmtx");
    const auto modified = fs::last_write_time(path);
    Run({path, in / "study.cmtx"});
    EXPECT_TRUE(fs::exists(Written(path)));
    EXPECT_EQ(ReadFile(path) + ReadFile(in / "study.cmtx"), before);
    EXPECT_EQ(fs::last_write_time(path), modified);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(in.path())) files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"locked.bblx", "study.cmtx"}));
}

TEST_F(SqliteModulesTest, UnreadableFileFailsToOpen) {
    TempFolder in;
    const std::string path = in / "unreadable.bblx";
    fs::copy_file(Database("bible.bblx"), path);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    if (::access(path.c_str(), R_OK) == 0) GTEST_SKIP() << "running with rights that read any file";
    EXPECT_EQ(LinesOf(path), std::vector<std::string>{"FAILED TO OPEN DATABASE: \"Could not open '" + path +
                                                      "': Permission denied.\""});
}

}  // namespace
}  // namespace tovra
