// Writes small SQLite 3 databases shaped like e-Sword 9+ modules: the SQLite
// test and sample databases of the project, from the same descriptions as
// the Jet writer (tools/mkmdb/description_parser.h) or from code.
//
// Column types map to SQLite's: Text and Memo to TEXT, Long Integer, Integer
// and Byte to INTEGER, Boolean to BOOLEAN, Double to REAL. A cell is stored
// in the storage class of its column's type: text cells as text, exactly as
// given (invalid UTF-8 included, so that readers can be tested on it),
// numeric cells as integers or reals; an empty optional is NULL. A Text
// column's length is not enforced. The description's SQL statements run
// after every table is filled, in order: indexes, rows with chosen rowids,
// values of other storage classes (CAST(x AS BLOB)), tables without rowid.
#pragma once

#include <string>

#include "tools/mkmdb/jet_writer.h"

namespace tovra::mksqlite {

// Page size of every written file, so that tests can patch known pages.
inline constexpr int kSqlitePageSize = 4096;

// Writes the database to `path`. Tables are created in order, so the first
// table's root is page 2, the next one's page 3, and so on (as long as every
// table fits one page). The file is built under a temporary name in the
// same folder and renamed over `path` when complete; on any failure (a
// password, an empty or duplicate name, a malformed number, a failing SQL
// statement) nothing is left behind and tovra::Error says what was wrong.
void WriteSqliteFile(const mkmdb::TDatabaseDef& database, const std::string& path);

}  // namespace tovra::mksqlite
