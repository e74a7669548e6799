// Reading e-Sword module databases: the legacy Microsoft Access / Jet files
// (.bbl, .cmt, .dct, .top, .not, .mdb) over mdbtools' libmdb, and the SQLite 3
// files of e-Sword 9 and later (.bblx, .cmtx, .dctx, .topx, .notx) over
// libsqlite3. Which of the two reads a file is decided by its first bytes,
// never by its name (database_backend.h).
//
// Two objects serve every file: a connection and a table reader that reads
// through it. The operations mirror the provider calls the engine makes, in
// the same order: set the connection string, open, list tables, open a table,
// walk its rows, look fields up by name, close. Every failure throws
// tovra::Error with the text the status log quotes.
//
// Strings come out as Windows-1252 bytes. A character Windows-1252 lacks is
// kept, not turned into "?": in an entry text it becomes the RTF escape
// \uNNNN? (which the text passes later turn into a character reference), in
// an entry name ("Topic", "Title") the character reference &#NNNN; itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tovra {

// How a string field's characters outside Windows-1252 are carried.
enum class TUnmappableForm {
    RtfEscape,         // \uNNNN?  (entry texts)
    CharacterReference  // &#NNNN;  (entry names)
};

// The kind of file a connection has open. The table layouts of e-Sword's
// modules differ between the two.
enum class TDatabaseFormat {
    Access,  // Jet 3 / Jet 4 (e-Sword up to version 8)
    Sqlite   // SQLite 3 (e-Sword 9 and later)
};

class TAccessConnection {
public:
    TAccessConnection();
    ~TAccessConnection();
    TAccessConnection(const TAccessConnection&) = delete;
    TAccessConnection& operator=(const TAccessConnection&) = delete;

    // Replaces the connection string; its "Data Source" item names the file.
    // Must be called while the connection is closed.
    void SetConnectionString(const std::string& connectionString);
    const std::string& ConnectionString() const { return connectionString_; }

    // Opens the database named by the connection string: a SQLite database
    // when the file starts with "SQLite format 3" and a NUL, else an Access
    // one. Throws Error with a message that contains "password" for a
    // password-protected Access file, one that says so for an encrypted
    // SQLite module, and a clear message for a missing, unreadable or damaged
    // file. A failed open leaves the connection closed.
    void Open();
    bool Connected() const;
    // The kind of the open file (Access while closed).
    TDatabaseFormat Format() const;

    // Names of the user tables (system tables excluded), as 8-bit text.
    std::vector<std::string> TableNames() const;

    // Does nothing when already closed.
    void Close();

    struct Impl;
    Impl& impl() const { return *impl_; }

private:
    std::string connectionString_;
    std::unique_ptr<Impl> impl_;
};

class TAccessTable;

// One field of the current row.
class TAccessField {
public:
    // 32-bit signed value; NULL reads as 0. Text that holds a number is
    // converted; other text fails with a conversion error.
    int32_t AsInteger() const;
    // The value as Windows-1252 text; NULL reads as "". Memo fields come whole;
    // numbers read as their decimal text. A SQLite binary value (the sign of
    // an encrypted module) fails with an error that says so.
    std::string AsString(TUnmappableForm form = TUnmappableForm::RtfEscape) const;
    bool IsNull() const;
    const std::string& Name() const { return name_; }

private:
    friend class TAccessTable;
    const TAccessTable* table_ = nullptr;
    int column_ = -1;
    std::string name_;
};

class TAccessTable {
public:
    // `componentName` prefixes the field error ("ADOTable1: Field 'x' not found").
    explicit TAccessTable(TAccessConnection& connection, std::string componentName = "ADOTable1");
    ~TAccessTable();
    TAccessTable(const TAccessTable&) = delete;
    TAccessTable& operator=(const TAccessTable&) = delete;

    // Opens the named table (letter case ignored) and moves to its first row.
    void Open(const std::string& tableName);
    // The kind of file the connection has open.
    TDatabaseFormat DatabaseFormat() const;
    bool Active() const;
    // True when there is no current row.
    bool Eof() const;
    void Next();
    // The field of the current row, by name (letter case ignored). Throws
    // "ADOTable1: Field '%s' not found" when the table has no such column.
    const TAccessField& FieldByName(const std::string& name);
    // The same field, or null when the table has no such column.
    const TAccessField* FindField(const std::string& name);
    // Does nothing when already closed.
    void Close();

    struct Impl;
    Impl& impl() const { return *impl_; }

private:
    std::string componentName_;
    std::unique_ptr<Impl> impl_;
};

// The "Data Source" item of an OLE DB connection string ("" when absent).
std::string DataSourceOf(const std::string& connectionString);

}  // namespace tovra
