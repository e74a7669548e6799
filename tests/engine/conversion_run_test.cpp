#include "engine/conversion_run.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "engine/output_file.h"
#include "platform/error.h"
#include "support/databases.h"
#include "support/recording_log.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

using test_support::Database;
using test_support::ReadFile;
using test_support::RecordingLog;
using test_support::TempFolder;

class RecordingView : public TRunView {
public:
    void BeginWaitCursor() override { events.push_back("wait"); }
    void EndWaitCursor() override { events.push_back("default"); }
    void ProcessPendingMessages() override { events.push_back("process"); }
    void RepaintNow() override { events.push_back("repaint"); }
    std::vector<std::string> events;
};

class ConversionRunTest : public ::testing::Test {
protected:
    ConversionRunTest() { settings_.outFolder = out_.path(); }

    std::vector<std::string> Run(const std::vector<std::string>& files) {
        engine_.Run(files, view_);
        return log_.lines;
    }
    std::vector<std::string> Block(const std::string& path) {
        return {"--------------", "Converting file: \"" + path + "\"", "Opening Database."};
    }
    static std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    }
    std::string Written(const std::string& input) { return OutputFilePath(out_.path(), input); }

    TempFolder out_;
    test_support::FixedSettings settings_;
    RecordingLog log_;
    RecordingView view_;
    TConversionEngine engine_{settings_, log_, nullptr};
    const std::vector<std::string> closing_{"", "========================", "Done."};
};

TEST_F(ConversionRunTest, EmptySelectionLogsOneLine) {
    log_.Append("introduction");
    EXPECT_EQ(Run({}), std::vector<std::string>{"Please select files to convert."});
    EXPECT_EQ(view_.events, (std::vector<std::string>{"wait", "process", "default"}));
}

TEST_F(ConversionRunTest, SecondFileUnopenableTheOthersConverted) {
    const std::string dict = Database("dictionary.dct");
    const std::string bad = Database("not-access.top");
    const std::string topics = Database("topics.top");
    auto lines = Run({dict, bad, topics});
    auto expected = Concat({Block(dict),
                            {"Extracting entries from DICTIONARY.", "Converting RTF to HTML...", "Writing entries to \"" + Written(dict) + "\""},
                            Block(bad),
                            {"FAILED TO OPEN DATABASE: \"Unrecognized database format '" + bad + "'.\""},
                            Block(topics),
                            {"Extracting entries from TOPICS.", "Converting RTF to HTML...", "Writing entries to \"" + Written(topics) + "\""},
                            closing_});
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(std::filesystem::exists(Written(dict)));
    EXPECT_TRUE(std::filesystem::exists(Written(topics)));
    EXPECT_FALSE(std::filesystem::exists(Written(bad)));
    EXPECT_EQ(view_.events,
              (std::vector<std::string>{"wait", "process", "repaint", "repaint", "repaint", "default"}));
}

TEST_F(ConversionRunTest, FailuresOfOneFileAreLoggedAndTheRunGoesOn) {
    struct Case {
        const char* file;
        std::vector<std::string> lines;  // after the three opening lines
    };
    const std::vector<Case> cases = {
        {"password.dct", {"FAILED TO OPEN DATABASE: Database is password protected."}},
        {"no-known-tables.bbl", {"FAILED: Unknown input module type. Unable to convert."}},
        {"dict-no-topic.dct",
         {"Extracting entries from DICTIONARY.", "ERROR: \"ADOTable1: Field 'Topic' not found\""}},
        {"dict-no-definition.dct",
         {"Extracting entries from DICTIONARY.", "ERROR: \"ADOTable1: Field 'Definition' not found\""}},
        {"missing-file.dct", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = c.file == std::string("missing-file.dct") ? out_ / "missing-file.dct" : Database(c.file);
        const std::string next = Database("dict-lowercase.dct");
        auto failed = c.lines;
        if (failed.empty()) failed = {"FAILED TO OPEN DATABASE: \"Could not find file '" + path + "'.\""};
        auto lines = Run({path, next});
        EXPECT_EQ(lines, Concat({Block(path), failed, Block(next),
                                 {"Extracting entries from DICTIONARY.", "Converting RTF to HTML...", "Writing entries to \"" + Written(next) + "\""},
                                 closing_}));
        EXPECT_FALSE(std::filesystem::exists(Written(path)));
    }
}

TEST_F(ConversionRunTest, FolderGivenAsFileFailsToOpen) {
    auto lines = Run({out_.path()});
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "FAILED TO OPEN DATABASE: \"'" + out_.path() + "' is a folder, not a database file.\"");
}

TEST_F(ConversionRunTest, MissingOutputFolderEndsTheRunAfterTheWritingLine) {
    settings_.outFolder = out_ / "missing";
    const std::string dict = Database("dict-lowercase.dct");
    EXPECT_THROW(engine_.Run({dict, dict}, view_), Error);
    ASSERT_FALSE(log_.lines.empty());
    EXPECT_EQ(log_.lines.back(), "Writing entries to \"" + OutputFilePath(out_ / "missing", dict) + "\"");
    EXPECT_EQ(log_.lines.size(), 6u);  // the second file is never started
    EXPECT_EQ(view_.events.back(), "default");  // the cursor is restored
}

TEST_F(ConversionRunTest, DictionaryWinsOverBibleAndEmptyTableNeedsNoFields) {
    const std::string both = Database("dict-and-bible.dct");
    const std::string empty = Database("dict-empty-no-topic.dct");
    auto lines = Run({both, empty});
    EXPECT_EQ(lines[3], "Extracting entries from DICTIONARY.");
    EXPECT_EQ(lines[9], "Extracting entries from DICTIONARY.");
    EXPECT_EQ(lines[10], "Converting RTF to HTML...");
    EXPECT_EQ(lines[11], "Writing entries to \"" + Written(empty) + "\"");
    EXPECT_EQ(ReadFile(Written(empty)), "; Exported by tovra 1.2.1.15\r\n; Source: " + empty + "\r\n");
    const std::string text = ReadFile(Written(both));
    EXPECT_NE(text.find("$$ Aaron\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Gen"), std::string::npos);
}

TEST_F(ConversionRunTest, DictionaryEntriesBecomePagesThatCarryForeignCharacters) {
    const std::string dict = Database("dictionary.dct");
    Run({dict});
    const std::string out = ReadFile(Written(dict));
    // Rows in stored order, duplicates kept, blank entries left out.
    const size_t adam1 = out.find("$$ Adam\r\n<HTML><HEAD><TITLE>Adam</TITLE>\r\n</HEAD>\r\n<BODY>\r\n\r\n<p>The first man");
    const size_t aaron = out.find("$$ Aaron\r\n");
    const size_t adam2 = out.find("<p>Adam, a city");
    ASSERT_NE(aaron, std::string::npos);
    ASSERT_NE(adam1, std::string::npos);
    ASSERT_NE(adam2, std::string::npos);
    EXPECT_LT(aaron, adam1);
    EXPECT_LT(adam1, adam2);
    for (const char* blank : {"$$ Abaddon", "$$ Abel", "$$ Abiram"}) EXPECT_EQ(out.find(blank), std::string::npos) << blank;
    // Names and texts carry characters outside Windows-1252 as references;
    // Windows-1252 characters stay single bytes.
    EXPECT_NE(out.find("$$ &#955;&#972;&#947;&#959;&#962;\r\n"), std::string::npos);
    EXPECT_NE(out.find("<p>&#1488;&#1464;&#1491;&#1464;&#1501; (<I>adam</I>)"), std::string::npos);
    EXPECT_NE(out.find("$$ \x93" "Amen\x94\r\n"), std::string::npos);
    EXPECT_NE(out.find("<p>\xC9lie is the French form"), std::string::npos);
    EXPECT_NE(out.find("<p>Abba \x97 \x93" "Father\x94"), std::string::npos);
    EXPECT_NE(out.find("<p><B>&#913;</B> and <B>&#937;</B>&#8212;the first"), std::string::npos);
    // A NUL ends the stored text; font tags are gone (RemoveFonts is set).
    EXPECT_NE(out.find("<p>Text before a NUL character</p>"), std::string::npos);
    EXPECT_EQ(out.find("<FONT"), std::string::npos);
    EXPECT_EQ(out.find("\\par"), std::string::npos);
}

TEST_F(ConversionRunTest, FontTagsStayWhenTheOptionIsOff) {
    settings_.removeFonts = false;
    const std::string dict = Database("dict-lowercase.dct");
    Run({dict});
    EXPECT_NE(ReadFile(Written(dict)).find("<FONT"), std::string::npos);
}

// A SQLite dictionary of `entries` one-paragraph entries of about 1 KB each
// (a few MB of output, written in several pieces while it is read), then,
// when `blobAtEnd`, one whose definition is a blob, which ends the reading
// with an error.
std::string LargeDictionary(const TempFolder& folder, int entries, bool blobAtEnd) {
    const std::string path = folder / "large.dctx";
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    std::string sql = "CREATE TABLE Dictionary (Topic TEXT, Definition TEXT); BEGIN;";
    const std::string words(1000, 'w');
    for (int i = 0; i < entries; ++i)
        sql += "INSERT INTO Dictionary VALUES ('Entry " + std::to_string(i) + "', '{\\rtf1 Entry " +
               std::to_string(i) + " " + words + "\\par }');";
    if (blobAtEnd) sql += "INSERT INTO Dictionary VALUES ('Blob', x'00ff');";
    sql += "COMMIT;";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    return path;
}

// Entries are written out while the module is read; a module whose reading
// fails after several pieces of its output were written leaves nothing in
// the output folder, and one that is read whole is written whole.
TEST_F(ConversionRunTest, ReadingThatFailsAfterOutputWasWrittenLeavesNothing) {
    TempFolder input;
    const std::string failing = LargeDictionary(input, 4000, true);
    const auto lines = Run({failing});
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 4].rfind("ERROR: \"The column 'Definition' of table 'Dictionary'", 0), 0u)
        << lines[lines.size() - 4];
    EXPECT_TRUE(std::filesystem::is_empty(out_.path()));

    log_.lines.clear();
    TempFolder whole;
    const std::string complete = LargeDictionary(whole, 4000, false);
    Run({complete});
    const std::string text = ReadFile(Written(complete));
    EXPECT_GT(text.size(), 4000u * 1000u);
    EXPECT_NE(text.find("\r\n$$ Entry 0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n$$ Entry 3999\r\n"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out_.path()), {}), 1);
}

// The output file cannot be made while a large module is converted: the run
// still ends at the writing line, after the whole conversion.
TEST_F(ConversionRunTest, MissingOutputFolderOfALargeModuleFailsAtTheWritingLine) {
    TempFolder input;
    const std::string dict = LargeDictionary(input, 3000, false);
    settings_.outFolder = out_ / "missing";
    EXPECT_THROW(engine_.Run({dict}, view_), Error);
    const std::vector<std::string> tail(log_.lines.end() - 3, log_.lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Extracting entries from DICTIONARY.", "Converting RTF to HTML...",
                                              "Writing entries to \"" + OutputFilePath(out_ / "missing", dict) +
                                                  "\""}));
}

}  // namespace
}  // namespace tovra
