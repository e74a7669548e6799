// The SQLite backend of the database reader: the modules of e-Sword 9 and
// later (.bblx, .cmtx, .dctx, .topx, .notx). OpenSqliteDatabase (declared in
// database_backend.h) opens one; this header adds how such a file is known.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovra {

// Every SQLite 3 database starts with these 16 bytes: "SQLite format 3" and
// a NUL.
inline constexpr size_t kSqliteHeaderSize = 16;

// True when `firstBytes` (the start of a file) is the SQLite 3 header string.
bool IsSqliteHeader(std::string_view firstBytes);

// A name as an SQL identifier: between double quotes, inner quotes doubled,
// so that any table or column name of a module can be named in a statement.
std::string SqlIdentifier(std::string_view name);

}  // namespace tovra
