// Writes small Jet 4 (Access 2000 format) database files: the test and
// sample databases of the project, built from a description held in code or
// read from a description file (description_parser.h).
//
// A database is a list of user tables, each with typed columns and rows, and
// an optional database password. Text is stored as uncompressed UCS-2; memos
// of any length are stored inline, on one long-value page or over a chain of
// long-value pages. Cells are UTF-8 text for Text and Memo columns and
// decimal text ("12", "-3", "1.5", "0"/"1" or "true"/"false" for Boolean) for
// numeric columns; an empty optional is NULL. The pages it produces are
// described in db/jet_format.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovra::mkmdb {

enum class TColumnType { Text, Memo, LongInteger, Integer, Byte, Boolean, Double };

struct TColumnDef {
    std::string name;
    TColumnType type = TColumnType::Text;
    int length = 255;          // Text only: maximum length in characters (1-255)
    bool autoNumber = false;   // LongInteger only: marked as AutoNumber
};

using TCell = std::optional<std::string>;
using TRow = std::vector<TCell>;

struct TTableDef {
    std::string name;
    std::vector<TColumnDef> columns;
    std::vector<TRow> rows;
};

struct TDatabaseDef {
    std::vector<TTableDef> tables;
    std::string password;  // empty: no database password (at most 20 characters)
    // SQL statements run after the tables are filled; only the SQLite writer
    // (tools/mksqlite) takes them.
    std::vector<std::string> sql;
};

// Checks everything the writer relies on and throws tovra::Error with a clear
// message for the first problem: empty or duplicate table or column names
// (letter case ignored, as Access does), Text lengths outside 1-255, a row
// with the wrong number of cells, a value too long for its Text column, a
// number that is malformed or out of its type's range, invalid UTF-8, a NULL
// Boolean, a password that is too long, a row too large for a page, SQL
// statements (which a Jet file cannot run).
void ValidateDatabase(const TDatabaseDef& database);

// The complete file image. Validates first.
std::vector<uint8_t> BuildJetImage(const TDatabaseDef& database);

// Validates, builds and writes the file. The bytes go to a temporary file in
// the same folder, which is renamed over `path` only when it is complete;
// on any failure no file is left behind and `path` is untouched.
void WriteJetFile(const TDatabaseDef& database, const std::string& path);

// Creation date stored in the header (days since 1899-12-30); the password
// mask is derived from it. The layout of the files is in db/jet_format.h.
inline constexpr double kJetCreationDate = 38143.546523784724;

}  // namespace tovra::mkmdb
