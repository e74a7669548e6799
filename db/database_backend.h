// The two kinds of module files behind the one connection and table reader of
// access_reader.h: legacy Access (Jet) databases over libmdb, and the SQLite
// databases that e-Sword writes since version 9. The connection picks the
// backend from the file's first bytes and forwards every operation to it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/access_reader.h"
#include "platform/code_page.h"

namespace tovra {

// The rows of one open table, read forward from the first. Column numbers
// index ColumnNames(). Value calls are made only while !Eof().
class TTableCursor {
public:
    virtual ~TTableCursor() = default;
    // Column names as 8-bit text (characters outside Windows-1252 as &#N;).
    virtual const std::vector<std::string>& ColumnNames() const = 0;
    virtual bool Eof() const = 0;
    virtual void Next() = 0;
    virtual bool IsNull(int column) const = 0;
    virtual int32_t AsInteger(int column) const = 0;
    virtual std::string AsString(int column, TUnmappableForm form) const = 0;
};

// One open database file. Cursors it hands out must be destroyed before it.
class TDatabaseBackend {
public:
    virtual ~TDatabaseBackend() = default;
    virtual TDatabaseFormat Format() const = 0;
    // User tables as 8-bit text, system tables excluded.
    virtual std::vector<std::string> TableNames() const = 0;
    // Opens the table of that name (letter case ignored) on its first row.
    virtual std::unique_ptr<TTableCursor> OpenTable(const std::string& name) = 0;
};

// Opens an Access database; `fileSize` is the size the caller found. Throws
// Error with the open-failure texts of access_reader.h.
std::unique_ptr<TDatabaseBackend> OpenAccessDatabase(const std::string& path, uint64_t fileSize);
// Whether Access files opened from now on are mapped into memory (the
// default) or read through libmdb's own file stream, as a file that cannot
// be mapped is. Both must read the same values; tests compare them.
void SetAccessFileMapping(bool enabled);

// Opens a SQLite database read-only without ever writing to it or beside it.
std::unique_ptr<TDatabaseBackend> OpenSqliteDatabase(const std::string& path);

// Value conversions both backends share, so that the same value reads the
// same way from either kind of file.

// Where a character Windows-1252 lacks goes, for each form.
UnmappableHandler UnmappableHandlerFor(TUnmappableForm form);

// "%.15g", as a floating-point value reads as text.
std::string TextOfDouble(double value);

// A floating-point value rounded to a 32-bit integer; throws Error "'x' is
// not a valid integer value" when it is not finite or out of range.
int32_t IntegerOfDouble(double value);

// Text holding a decimal integer (spaces around it allowed); throws Error
// "'text' is not a valid integer value" for anything else.
int32_t IntegerOfText(const std::string& text);

}  // namespace tovra
