#include "db/access_reader.h"
#include "db/database_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/error.h"
#include "support/databases.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

using test_support::Database;
using test_support::TempFolder;
using test_support::WriteFile;

std::string ConnectionFor(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False";
}

std::string OpenError(const std::string& path) {
    TAccessConnection c;
    c.SetConnectionString(ConnectionFor(path));
    try {
        c.Open();
    } catch (const Error& e) {
        EXPECT_FALSE(c.Connected());
        return e.what();
    }
    return "";
}

TEST(AccessReaderTest, DataSourceIsTakenFromTheConnectionString) {
    EXPECT_EQ(DataSourceOf(ConnectionFor("/a b/c.dct")), "/a b/c.dct");
    EXPECT_EQ(DataSourceOf("data source=/x"), "/x");
    EXPECT_EQ(DataSourceOf("Provider=x"), "");
}

TEST(AccessReaderTest, OpenFailuresHaveClearMessages) {
    TempFolder dir;
    WriteFile(dir / "empty.dct", "");
    EXPECT_EQ(OpenError(dir / "none.dct"), "Could not find file '" + dir / "none.dct" + "'.");
    EXPECT_EQ(OpenError(dir.path()), "'" + dir.path() + "' is a folder, not a database file.");
    EXPECT_EQ(OpenError(dir / "empty.dct"), "Unrecognized database format '" + dir / "empty.dct" + "'.");
    const std::string notAccess = Database("not-access.top");
    EXPECT_EQ(OpenError(notAccess), "Unrecognized database format '" + notAccess + "'.");
    const std::string truncated = Database("truncated.dct");
    EXPECT_NE(OpenError(truncated).find("Unrecognized database format"), std::string::npos);
    EXPECT_NE(OpenError(Database("password.dct")).find("password"), std::string::npos);
    EXPECT_EQ(OpenError(Database("dictionary.dct")), "");
}

TEST(AccessReaderTest, TablesFieldsAndValues) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString(ConnectionFor(Database("dictionary.dct")));
    c.Open();
    auto names = c.TableNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Details", "Dictionary"}));

    t.Open("DICTIONARY");  // letter case does not matter, for tables or fields
    ASSERT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("topic").AsString(), "Aaron");
    try {
        t.FieldByName("Word");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "ADOTable1: Field 'Word' not found");
    }
    std::vector<std::string> topics;
    std::string abel = "not read";
    std::string alpha;
    while (!t.Eof()) {
        std::string topic = t.FieldByName("Topic").AsString(TUnmappableForm::CharacterReference);
        if (topic == "Abel") abel = t.FieldByName("Definition").AsString();
        if (topic == "Alpha and Omega") alpha = t.FieldByName("Definition").AsString();
        topics.push_back(topic);
        t.Next();
    }
    EXPECT_EQ(topics.size(), 16u);
    EXPECT_EQ(topics[1], "Adam");
    EXPECT_EQ(abel, "");  // NULL reads as empty
    EXPECT_NE(alpha.find("\\u-1238?"), std::string::npos);
    EXPECT_THROW(t.Next(), Error);
    t.Close();
    t.Close();  // closing twice does nothing
    EXPECT_THROW(t.Open("Missing"), Error);
}

TEST(AccessReaderTest, IntegersNullsAndLongMemos) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString(ConnectionFor(Database("commentary.cmt")));
    c.Open();
    t.Open("Book Notes");
    std::string longNote;
    while (!t.Eof()) {
        if (t.FieldByName("Book ID").AsInteger() == 43) longNote = t.FieldByName("Comments").AsString();
        t.Next();
    }
    EXPECT_EQ(longNote.size(), 92098u);
    EXPECT_EQ(longNote.rfind("START OF THE LONG NOTE", 200) != std::string::npos, true);
    EXPECT_EQ(longNote.substr(longNote.size() - 26), "END OF THE LONG NOTE.\\par}");

    t.Open("Commentary");
    int nullBooks = 0;
    while (!t.Eof()) {
        if (t.FieldByName("Book ID").IsNull()) {
            ++nullBooks;
            EXPECT_EQ(t.FieldByName("Book ID").AsInteger(), 0);
        }
        t.Next();
    }
    EXPECT_EQ(nullBooks, 1);
    c.Close();
    EXPECT_TRUE(t.Eof());  // closing the connection leaves the reader without rows
    c.Close();
}

// Every value of every table as text, in order, or the error a read gave.
std::vector<std::string> AllValues(const std::string& path) {
    static const char* const kFields[] = {
        "Scripture", "Definition", "Comments", "Notes", "Topic", "Title", "Description", "Abbreviation",
        "Book", "Chapter", "Verse", "Book ID", "ChapterBegin", "VerseBegin", "ChapterEnd", "VerseEnd",
        "Verse ID", "Chapter ID", "Start Verse", "End Verse", "Version", "Comments2"};
    std::vector<std::string> values;
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString(ConnectionFor(path));
    try {
        c.Open();
        for (const std::string& name : c.TableNames()) {
            values.push_back("table " + name);
            t.Open(name);
            for (; !t.Eof(); t.Next()) {
                for (const char* field : kFields) {
                    if (const TAccessField* f = t.FindField(field)) values.push_back(f->AsString());
                }
            }
            t.Close();
        }
    } catch (const Error& e) {
        values.push_back(std::string("error ") + e.what());
    }
    return values;
}

// Long values are read straight from a mapped file instead of through
// libmdb; a file read through libmdb's stream must give the same values,
// memos spread over several pages and pages holding several memos included.
TEST(AccessReaderTest, MappedAndStreamedFilesReadTheSame) {
    std::vector<std::string> paths;
    for (const char* name : {"bible.bbl", "commentary.cmt", "dictionary.dct", "topics.top", "notes.not",
                             "characters.dct", "chapter0.cmt"}) {
        paths.push_back(Database(name));
        EXPECT_GT(AllValues(paths.back()).size(), 2u) << "nothing read from " << name;
    }
    // The fixtures include damaged files, which must fail in the same way.
    const std::filesystem::path fixtures = std::filesystem::path(TOVRA_SHARED_DIR) / "fixtures";
    if (std::filesystem::is_directory(fixtures)) {
        for (const auto& entry : std::filesystem::directory_iterator(fixtures)) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".bbl" || ext == ".cmt" || ext == ".dct" || ext == ".top" || ext == ".not")
                paths.push_back(entry.path().string());
        }
    }
    for (const std::string& path : paths) {
        SetAccessFileMapping(false);
        const std::vector<std::string> streamed = AllValues(path);
        SetAccessFileMapping(true);
        const std::vector<std::string> mapped = AllValues(path);
        EXPECT_TRUE(mapped == streamed) << path;
    }
}

}  // namespace
}  // namespace tovra
