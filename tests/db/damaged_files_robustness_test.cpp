// Damaged copies of real Access and SQLite modules through the database
// reader: every truncation at a page boundary and a fixed series of bit
// flips must give data or a clear error, never a crash.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "db/access_reader.h"
#include "platform/error.h"
#include "support/databases.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

using test_support::Database;
using test_support::FilesIn;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

std::string ConnectionFor(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False";
}

// Reads every row of every table through `connection`, each named field as
// text and as a number; clear errors are expected. True when it opened.
bool ReadEverything(const std::string& connection, std::initializer_list<const char*> fields) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString(connection);
    try {
        c.Open();
    } catch (const Error&) {
        return false;
    }
    try {
        for (const auto& name : c.TableNames()) {
            try {
                t.Open(name);
                for (int rows = 0; !t.Eof() && rows < 10000; ++rows) {
                    for (const char* f : fields) {
                        try {
                            t.FieldByName(f).AsString();
                            t.FieldByName(f).AsInteger();
                        } catch (const Error&) {
                        }
                    }
                    t.Next();
                }
            } catch (const Error&) {
            }
        }
    } catch (const Error&) {
    }
    return true;
}

// Writes to `path` every truncation of `original` at a page boundary, then
// sixty copies with one to eight bits flipped after the first `kept` bytes,
// and calls `read` after each.
void ForEachDamagedCopy(const std::string& original, const std::string& path, size_t kept,
                        const std::function<void()>& read) {
    for (size_t size = 0; size < original.size(); size += 4096) {
        WriteFile(path, original.substr(0, size));
        read();
    }
    std::mt19937 random(1611);
    for (int round = 0; round < 60; ++round) {
        std::string copy = original;
        for (int flips = 0; flips < 1 + round % 8; ++flips) {
            size_t pos = kept + random() % (copy.size() - kept);
            copy[pos] = static_cast<char>(copy[pos] ^ (1 << (random() % 8)));
        }
        WriteFile(path, copy);
        read();
    }
}

TEST(AccessReaderTest, DamagedFilesNeverCrash) {
    const std::string original = ReadFile(Database("commentary.cmt"));
    ASSERT_GT(original.size(), 8192u);
    TempFolder dir;
    const std::string path = dir / "damaged.cmt";
    ForEachDamagedCopy(original, path, 4096, [&] {
        ReadEverything(ConnectionFor(path), {"Book ID", "Chapter", "Start Verse", "Comments", "Verse ID"});
    });
}

TEST(SqliteReaderTest, DamagedFilesNeverCrash) {
    const std::string original = ReadFile(Database("study.cmtx"));
    ASSERT_GT(original.size(), 8192u);
    TempFolder dir;
    const std::string path = dir / "damaged.cmtx";
    int opened = 0;
    ForEachDamagedCopy(original, path, 100, [&] {
        if (ReadEverything("Data Source=" + path, {"Book", "ChapterBegin", "VerseBegin", "Comments", "Title"}))
            ++opened;
    });
    EXPECT_GT(opened, 0);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"damaged.cmtx"});
}

}  // namespace
}  // namespace tovra
