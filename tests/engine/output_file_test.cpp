#include "engine/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "support/entry_lines.h"
#include "support/recording_log.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

using test_support::ReadFile;
using test_support::SetLines;
using test_support::RecordingLog;
using test_support::TempFolder;

TEST(OutputFileTest, BaseNameDropsFolderAndLastExtension) {
    struct Case {
        const char* input;
        const char* base;
    } cases[] = {
        {"/data/webster.dct", "webster"},
        {"/data/my.notes.not", "my.notes"},
        {"/data/README", "README"},
        {"kjv.bbl", "kjv"},
        {"/data.d/README", "README"},
        {"/data/.hidden", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(BaseName(c.input), c.base) << c.input;
}

TEST(OutputFileTest, PathInsertsTheFolderAsStored) {
    EXPECT_EQ(OutputFilePath("/out", "/data/kjv.bbl"), "/out/kjv_loom.txt");
    EXPECT_EQ(OutputFilePath("/out/", "/data/kjv.bbl"), "/out//kjv_loom.txt");
    EXPECT_EQ(OutputFilePath("/out", "/data/README"), "/out/README_loom.txt");
}

EntryList AaronAndAbba() {
    EntryList entries;
    SetLines(entries.Append("Aaron"), {"first text line of Aaron", "second text line of Aaron"});
    SetLines(entries.Append("Blank"), {"   ", "", "\t"});
    SetLines(entries.Append("Abba"), {"text line of Abba"});
    entries.Append("Empty");
    return entries;
}

// Writes `entries` as the conversion does, into `folder`, and returns the
// file's content.
std::string WriteAndRead(const TempFolder& folder, const std::string& inputPath, const EntryList& entries,
                         bool hasItalics, bool hasFootnotes, RecordingLog& log) {
    const std::string path = OutputFilePath(folder.path(), inputPath);
    TOutputWriter output(path, inputPath);
    output.SetFlags(hasItalics, hasFootnotes);
    for (const Entry& e : entries) output.Add(e);
    output.Finish(log);
    return ReadFile(path);
}

std::string WriteAndRead(const std::string& inputPath, const EntryList& entries, bool hasItalics = false,
                         bool hasFootnotes = false) {
    TempFolder folder;
    RecordingLog log;
    return WriteAndRead(folder, inputPath, entries, hasItalics, hasFootnotes, log);
}

TEST(OutputFileTest, LayoutOfTwoEntriesMatchesTheExampleByteForByte) {
    const std::string expected =
        "; Exported by tovra 1.2.1.15\r\n"
        "; Source: /data/webster.dct\r\n"
        "\r\n"
        "$$ Aaron\r\n"
        "first text line of Aaron\r\n"
        "second text line of Aaron\r\n"
        "\r\n"
        "\r\n"
        "$$ Abba\r\n"
        "text line of Abba\r\n"
        "\r\n";
    EXPECT_EQ(WriteAndRead("/data/webster.dct", AaronAndAbba()), expected);
}

TEST(OutputFileTest, FlagLinesFollowTheSourceLine) {
    EntryList none;
    EXPECT_EQ(WriteAndRead("/d/kjv.bbl", none, true, true),
              "; Exported by tovra 1.2.1.15\r\n; Source: /d/kjv.bbl\r\n; HAS ITALICS\r\n; HAS FOOTNOTES\r\n");
    EXPECT_EQ(WriteAndRead("/d/kjv.bbl", none, false, true),
              "; Exported by tovra 1.2.1.15\r\n; Source: /d/kjv.bbl\r\n; HAS FOOTNOTES\r\n");
}

TEST(OutputFileTest, NameGoesIntoTheHeadingUntrimmed) {
    EntryList entries;
    SetLines(entries.Append(" spaced "), {"x"});
    EXPECT_NE(WriteAndRead("/a", entries).find("$$  spaced \r\n"), std::string::npos);
}

TEST(OutputFileTest, WriteLogsThePathAndReplacesAnExistingFile) {
    TempFolder dir;
    RecordingLog log;
    test_support::WriteFile(dir / "webster_loom.txt", "old content that is longer than the new one...........");
    const std::string written = WriteAndRead(dir, "/data/webster.dct", AaronAndAbba(), false, false, log);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "Writing entries to \"" + dir.path() + "/webster_loom.txt\"");
    EXPECT_EQ(written, WriteAndRead("/data/webster.dct", AaronAndAbba()));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A module whose output is several megabytes is written in pieces; the file
// must still be the whole content, in order, with nothing doubled or lost
// at the seams.
TEST(OutputFileTest, LargeOutputIsWrittenWhole) {
    EntryList entries;
    std::string expected = "; Exported by tovra 1.2.1.15\r\n; Source: /data/big.top\r\n; HAS FOOTNOTES\r\n";
    for (int i = 0; i < 3000; ++i) {
        Entry& e = entries.Append("Entry " + std::to_string(i));
        const std::string line(static_cast<size_t>(200 + i % 1500), static_cast<char>('a' + i % 26));
        for (int k = 0; k < 1 + i % 4; ++k) e.text += line + "\r\n";
        expected += "\r\n$$ " + e.name + "\r\n" + e.text + "\r\n";
    }
    ASSERT_GT(expected.size(), 4u << 20);
    EXPECT_TRUE(WriteAndRead("/data/big.top", entries, false, true) == expected);
}

TEST(OutputFileTest, MissingFolderFailsAfterTheLogLine) {
    TempFolder dir;
    RecordingLog log;
    const std::string path = OutputFilePath(dir / "missing", "/data/kjv.bbl");
    try {
        TOutputWriter output(path, "/data/kjv.bbl");
        for (const Entry& e : AaronAndAbba()) output.Add(e);
        output.Finish(log);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + dir.path() + "/missing/kjv_loom.txt\". No such file or directory");
    }
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "Writing entries to \"" + dir.path() + "/missing/kjv_loom.txt\"");
}

}  // namespace
}  // namespace tovra
