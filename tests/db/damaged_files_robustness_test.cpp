// Damaged copies of real Access and SQLite modules through the database
// reader: every truncation at a page boundary and a fixed series of bit
// flips must give data or a clear error, never a crash.
#include <gtest/gtest.h>

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

// Damaged copies of a real file: every truncation at a page boundary and a
// fixed series of bit flips must give data or a clear error, never a crash.
TEST(AccessReaderTest, DamagedFilesNeverCrash) {
    const std::string original = ReadFile(Database("commentary.cmt"));
    ASSERT_GT(original.size(), 8192u);
    TempFolder dir;
    const std::string path = dir / "damaged.cmt";
    auto readAll = [&] {
        TAccessConnection c;
        TAccessTable t(c);
        c.SetConnectionString(ConnectionFor(path));
        try {
            c.Open();
            for (const auto& name : c.TableNames()) {
                try {
                    t.Open(name);
                    for (int rows = 0; !t.Eof() && rows < 10000; ++rows) {
                        for (const char* f : {"Book ID", "Chapter", "Start Verse", "Comments", "Verse ID"}) {
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
    };
    for (size_t size = 0; size < original.size(); size += 4096) {
        WriteFile(path, original.substr(0, size));
        readAll();
    }
    std::mt19937 random(1611);
    for (int round = 0; round < 60; ++round) {
        std::string copy = original;
        for (int flips = 0; flips < 1 + round % 8; ++flips) {
            size_t pos = 4096 + random() % (copy.size() - 4096);
            copy[pos] = static_cast<char>(copy[pos] ^ (1 << (random() % 8)));
        }
        WriteFile(path, copy);
        readAll();
    }
}

// Damaged copies of a real file: every truncation at a page boundary and a
// fixed series of bit flips must give data or a clear error, never a crash.
TEST(SqliteReaderTest, DamagedFilesNeverCrash) {
    const std::string original = ReadFile(Database("study.cmtx"));
    ASSERT_GT(original.size(), 8192u);
    TempFolder dir;
    const std::string path = dir / "damaged.cmtx";
    int opened = 0;
    auto readAll = [&] {
        TAccessConnection c;
        TAccessTable t(c);
        c.SetConnectionString("Data Source=" + path);
        try {
            c.Open();
            ++opened;
            for (const auto& name : c.TableNames()) {
                try {
                    t.Open(name);
                    for (int rows = 0; !t.Eof() && rows < 10000; ++rows) {
                        for (const char* f : {"Book", "ChapterBegin", "VerseBegin", "Comments", "Title"}) {
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
    };
    for (size_t size = 0; size < original.size(); size += 4096) {
        WriteFile(path, original.substr(0, size));
        readAll();
    }
    std::mt19937 random(1611);
    for (int round = 0; round < 60; ++round) {
        std::string copy = original;
        for (int flips = 0; flips < 1 + round % 8; ++flips) {
            size_t pos = 100 + random() % (copy.size() - 100);
            copy[pos] = static_cast<char>(copy[pos] ^ (1 << (random() % 8)));
        }
        WriteFile(path, copy);
        readAll();
    }
    EXPECT_GT(opened, 0);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"damaged.cmtx"});
}

}  // namespace
}  // namespace tovra
