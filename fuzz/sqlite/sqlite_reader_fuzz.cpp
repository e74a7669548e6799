// Each input becomes the content of one file that starts with the SQLite
// header (the first 16 bytes are forced to it, so that every input reaches
// the SQLite reader), opened through the connection, with every table and,
// in every row, each field the converter reads read as text in both forms
// and as an integer.
// Errors are the expected outcome of most inputs; crashes, sanitizer reports
// and hangs are the findings.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "db/access_reader.h"
#include "db/sqlite_reader.h"
#include "platform/error.h"

namespace {

const std::string& InputPath() {
    static const std::string path = "/tmp/tovra-sqlite-fuzz-" + std::to_string(::getpid()) + ".bblx";
    return path;
}

bool WriteInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.size() < tovra::kSqliteHeaderSize) bytes.resize(tovra::kSqliteHeaderSize, '\0');
    bytes.replace(0, tovra::kSqliteHeaderSize, std::string("SQLite format 3\0", tovra::kSqliteHeaderSize));
    std::FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void ReadEverything() {
    tovra::TAccessConnection connection;
    tovra::TAccessTable table(connection);
    connection.SetConnectionString("Data Source=" + InputPath());
    try {
        connection.Open();
    } catch (const tovra::Error&) {
        return;
    }
    for (const std::string& name : connection.TableNames()) {
        try {
            table.Open(name);
            for (int rows = 0; !table.Eof() && rows < 2000; ++rows) {
                for (const char* field : {"Book", "Chapter", "Verse", "Scripture", "Topic", "Definition", "Title",
                                          "Notes", "Comments", "ChapterBegin", "VerseBegin"}) {
                    const tovra::TAccessField* f = table.FindField(field);
                    if (!f) continue;
                    try {
                        f->IsNull();
                        f->AsString(tovra::TUnmappableForm::RtfEscape);
                        f->AsString(tovra::TUnmappableForm::CharacterReference);
                        f->AsInteger();
                    } catch (const tovra::Error&) {
                    }
                }
                table.Next();
            }
        } catch (const tovra::Error&) {
        }
        table.Close();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (WriteInput(data, size)) ReadEverything();
    return 0;
}
