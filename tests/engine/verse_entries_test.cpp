#include <gtest/gtest.h>

#include <memory>

#include "engine/conversion_run.h"
#include "engine/extract_entries.h"
#include "engine/output_file.h"
#include "support/databases.h"
#include "support/entry_lines.h"
#include "support/kjv_module_fixture.h"
#include "support/recording_log.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

using test_support::LinesOf;

using test_support::Database;
using test_support::RecordingLog;
using test_support::TempFolder;

class VerseEntriesTest : public test_support::KjvModuleTest {
protected:
    // Reads a database's entries as the run does; returns the error text, if any.
    std::string Extract(const std::string& file, EntryList& entries, ModuleKind& kind) {
        TAccessConnection connection;
        TAccessTable table(connection);
        connection.SetConnectionString("Data Source=" + Database(file));
        connection.Open();
        try {
            kind = ExtractEntries(table, connection.TableNames(), entries, module_, log_);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }
    const Entry* Find(const EntryList& entries, const std::string& name) {
        for (const Entry& e : entries)
            if (e.name == name) return &e;
        return nullptr;
    }
    static std::vector<std::string> NonBlankNames(const EntryList& entries) {
        std::vector<std::string> names;
        for (const Entry& e : entries)
            if (!IsBlankText(e.text)) names.push_back(e.name);
        return names;
    }

    RecordingLog log_;
};

TEST_F(VerseEntriesTest, BibleRowsAreNamedByReferenceInStoredOrder) {
    EntryList entries;
    ModuleKind kind = ModuleKind::Unknown;
    ASSERT_EQ(Extract("bible.bbl", entries, kind), "");
    EXPECT_EQ(kind, ModuleKind::Bible);
    EXPECT_EQ(log_.lines, std::vector<std::string>{"Extracting entries from BIBLE."});
    std::vector<std::string> names;
    for (const Entry& e : entries) names.push_back(e.name);
    // Book IDs 0, 67 and NULL are skipped; numbers are printed as read.
    for (const auto& name : names) {
        EXPECT_EQ(name.find("Tobit"), std::string::npos);
        EXPECT_NE(name.rfind("Genesis", 0) == 0 || name.rfind("John", 0) == 0 || name.rfind("3 John", 0) == 0,
                  false)
            << name;
    }
    EXPECT_EQ(names.front(), "John 1:1");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Genesis 1:3"), 2);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Genesis 0:-1"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "3 John 1:15"), 1);
    ASSERT_NE(Find(entries, "John 1:6"), nullptr);
    EXPECT_TRUE(Find(entries, "John 1:6")->text.empty());  // NULL Scripture
    EXPECT_EQ(LinesOf(*Find(entries, "Genesis 1:2")),
              std::vector<std::string>{"And the earth was without form, and void; and darkness {\\cf15\\i was} upon the face of the deep. And the Spirit of God moved upon the face of the waters."});
}

TEST_F(VerseEntriesTest, BibleFieldsAreReadEvenForSkippedRows) {
    EntryList entries;
    ModuleKind kind = ModuleKind::Unknown;
    EXPECT_EQ(Extract("bible-no-verse.bbl", entries, kind), "ADOTable1: Field 'Verse' not found");
    EntryList upper;
    ASSERT_EQ(Extract("bible-uppercase.bbl", upper, kind), "");
    EXPECT_EQ(kind, ModuleKind::Bible);
    ASSERT_EQ(upper.Count(), 3u);
    EXPECT_EQ(upper.At(2).name, "Genesis 1:3");
}

TEST_F(VerseEntriesTest, NotesFromAllTablesMergeInTableOrder) {
    EntryList entries;
    ModuleKind kind = ModuleKind::Unknown;
    ASSERT_EQ(Extract("commentary.cmt", entries, kind), "");
    EXPECT_EQ(kind, ModuleKind::Commentary);
    EXPECT_EQ(log_.lines, (std::vector<std::string>{"Extracting BOOK NOTES from COMMENTARY.",
                                                    "Extracting CHAPTER NOTES from COMMENTARY.",
                                                    "Extracting VERSE NOTES from COMMENTARY.",
                                                    "Extracting entries from VERSE NOTES."}));
    ASSERT_EQ(entries.Count(), 31102u);
    EXPECT_EQ(entries.At(31101).name, "Revelation 22:21");
    const std::vector<std::string> genesis11 = {
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}{\\colortbl ;\\red0\\green0\\blue255;}",
        "\\pard\\f0\\fs24 {\\b Genesis}: the book of beginnings.\\par",
        "\\pard\\f1\\fs20 Book note on the first book; see {\\cf1 Gen 1:1}.\\par",
        "}",
        "\\par",
        "Chapter note on Genesis 1, in plain text: the six days of creation.",
        "\\par",
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fbidi SBL Hebrew;}}",
        "\\pard\\f0\\fs24 {\\b In the beginning} ({\\f1 \\u1489?\\u1456?\\u1468?\\u1512?\\u1461?\\u1488?\\u1513?\\u1460?\\u1473?\\u1497?\\u1514?}): verse note on Genesis 1:1, a whole RTF document.\\par",
        "}",
        "\\par",  // the NULL note still separates
        "A personal note on Genesis 1:1 kept in the commentary file.",  // appended without separator
    };
    EXPECT_EQ(LinesOf(entries.At(0)), genesis11);
    EXPECT_EQ(LinesOf(entries.At(2)),
              std::vector<std::string>{"Verses 3-5 in one plain-text note: light, and the first day."});
    // A NULL note on an empty verse adds nothing; a NULL Book ID is skipped.
    EXPECT_TRUE(Find(entries, "Genesis 2:1")->text.empty());
    EXPECT_EQ(NonBlankNames(entries),
              (std::vector<std::string>{"Genesis 1:1", "Genesis 1:3", "Genesis 1:26", "John 1:1"}));
    // The long book note of John is whole, ahead of the chapter and verse notes.
    const Entry* john11 = Find(entries, "John 1:1");
    ASSERT_NE(john11, nullptr);
    EXPECT_EQ(LinesOf(*john11).front().rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(LinesOf(*john11).back().find("\\'93In the beginning"), std::string::npos);
    EXPECT_NE(john11->text.find("END OF THE LONG NOTE.\\par}\r\n\\par\r\n{\\rtf1"), std::string::npos);
}

TEST_F(VerseEntriesTest, CommentaryOnlyGivesTheFullLayout) {
    EntryList entries;
    ModuleKind kind = ModuleKind::Unknown;
    ASSERT_EQ(Extract("commentary-only.cmt", entries, kind), "");
    EXPECT_EQ(entries.Count(), 31102u);
    EXPECT_EQ(NonBlankNames(entries), (std::vector<std::string>{"John 3:16", "Revelation 22:21"}));
}

TEST_F(VerseEntriesTest, PersonalNotesUseVerseIdsWithinRange) {
    EntryList entries;
    ModuleKind kind = ModuleKind::Unknown;
    ASSERT_EQ(Extract("notes.not", entries, kind), "");
    EXPECT_EQ(log_.lines, std::vector<std::string>{"Extracting entries from VERSE NOTES."});
    EXPECT_EQ(NonBlankNames(entries), (std::vector<std::string>{"Genesis 1:1", "John 3:16", "Revelation 22:21"}));
    EXPECT_EQ(LinesOf(*Find(entries, "John 3:16")),
              std::vector<std::string>{"John 3:16, plain text with \x93quotes\x94 and Greek: \\u7968?\\u947?\\u940?\\u960?\\u951?\\u963?\\u949?\\u957? \\u8001? \\u952?\\u949?\\u8056?\\u962? \\u964?\\u8056?\\u957? \\u954?\\u972?\\u963?\\u956?\\u959?\\u957?."});
}

TEST_F(VerseEntriesTest, ChapterZeroLandsBeforeTheBookOrFailsForTheFirstBook) {
    EntryList entries;
    ModuleKind kind = ModuleKind::Unknown;
    EXPECT_EQ(Extract("chapter0.cmt", entries, kind), "List index out of bounds (-1)");
    EXPECT_EQ(LinesOf(*Find(entries, "Genesis 50:26")), std::vector<std::string>{"Chapter 0 of Exodus."});
}

TEST_F(VerseEntriesTest, RunWritesOnlyNotedVersesInVerseOrder) {
    TempFolder out;
    test_support::FixedSettings settings;
    settings.outFolder = out.path();
    TConversionEngine engine(settings, log_, module_);
    TRunView view;
    const std::string path = Database("commentary-only.cmt");
    const std::string chapter0 = Database("chapter0.cmt");
    engine.Run({chapter0, path}, view);
    EXPECT_EQ(log_.lines[4], "ERROR: \"List index out of bounds (-1)\"");
    const std::string text = test_support::ReadFile(OutputFilePath(out.path(), path));
    const size_t john = text.find("\r\n\r\n$$ John 3:16\r\n");
    const size_t rev = text.find("\r\n\r\n$$ Revelation 22:21\r\n");
    ASSERT_NE(john, std::string::npos);
    ASSERT_NE(rev, std::string::npos);
    EXPECT_LT(john, rev);
    EXPECT_EQ(std::count(text.begin(), text.end(), '$'), 4);
}

}  // namespace
}  // namespace tovra
