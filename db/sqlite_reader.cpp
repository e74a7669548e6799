// The SQLite backend over libsqlite3.
//
// The file is opened read-only and nothing is ever written, neither to it nor
// beside it. A file in rollback-journal mode (as e-Sword writes them) is
// opened with mode=ro: the reading holds a shared lock from the first read to
// the close, so a program that is writing the file makes it fail as locked
// instead of giving half-written pages, and a journal left by an unfinished
// change makes it fail instead of reading around it. A file in WAL mode is
// opened as immutable, because a read-only connection would otherwise create
// the -wal and -shm files beside it; changes still waiting in a -wal file
// are not seen. What a hostile schema could make SQLite run is switched off
// (triggers, views, functions named in the schema), and only ordinary tables
// are listed and read.
//
// A table is read by one prepared statement that names its columns (found
// with PRAGMA table_info) as quoted identifiers and walks the rows in rowid
// order, the order in which they are stored. Values keep SQLite's storage
// classes: text is UTF-8 and goes to Windows-1252 the way the Access backend
// sends its names (characters the code page lacks in the caller's form,
// malformed UTF-8 as U+FFFD); integers and reals read as their decimal text;
// a binary value where text belongs is what e-Sword's encrypted modules
// store, and fails the reading with an error that says so.
#include "db/sqlite_reader.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "db/database_backend.h"
#include "platform/ascii.h"
#include "platform/error.h"

namespace tovra {
namespace {

constexpr char kSqliteHeader[kSqliteHeaderSize + 1] = "SQLite format 3";  // and its NUL

// The table whose presence marks an encrypted (premium) module.
constexpr char kLicenseTable[] = "sqliteplus_license";

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// How long a file locked by a writer is waited for before it fails.
constexpr int kBusyTimeoutMs = 1000;

// The URI that opens `path` read-only, with or without locking. Every byte
// outside the unreserved characters and "/" is percent-encoded, so that "?",
// "#" and "%" in a file name stay part of it.
std::string ReadOnlyUri(const std::string& path, bool immutable) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = path.starts_with('/') ? "file://" : "file:";
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~' || c == '/') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xF];
        }
    }
    return uri + (immutable ? "?mode=ro&immutable=1" : "?mode=ro");
}

// True when the header's read and write versions (bytes 18 and 19) say WAL.
bool IsWalFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;  // the open reports it
    unsigned char header[20] = {};
    const size_t got = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    return got == sizeof header && (header[18] == 2 || header[19] == 2);
}

// SQLite's message for the last failure, in plainer words where it misleads.
std::string Reason(sqlite3* db) {
    if (sqlite3_extended_errcode(db) == SQLITE_READONLY_ROLLBACK)
        return "its journal file holds a change that was never finished";
    return sqlite3_errmsg(db);
}

std::string ToAnsi(const unsigned char* utf8, int bytes, TUnmappableForm form) {
    if (!utf8 || bytes <= 0) return std::string();
    return Utf8ToCodePage(std::string_view(reinterpret_cast<const char*>(utf8), static_cast<size_t>(bytes)),
                          kAnsiCodePage, UnmappableHandlerFor(form));
}

// A prepared statement, finalized on every way out.
class TStatement {
public:
    TStatement() = default;
    ~TStatement() { sqlite3_finalize(stmt_); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    // Prepares `sql`; false (with the connection's error message set) when
    // SQLite refuses it.
    bool Prepare(sqlite3* db, const std::string& sql) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) == SQLITE_OK;
    }
    sqlite3_stmt* get() const { return stmt_; }
    // Hands the statement over; the caller finalizes it.
    sqlite3_stmt* release() { return std::exchange(stmt_, nullptr); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// One name as SQLite stores it (UTF-8) and as the engine sees it (8-bit).
struct TName {
    std::string utf8;
    std::string ansi;
};

TName NameOf(sqlite3_stmt* stmt, int column) {
    TName name;
    const unsigned char* text = sqlite3_column_text(stmt, column);
    const int bytes = sqlite3_column_bytes(stmt, column);
    if (text) name.utf8.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
    name.ansi = ToAnsi(text, bytes, TUnmappableForm::CharacterReference);
    return name;
}

class TSqliteTableCursor : public TTableCursor {
public:
    // Takes over `stmt`, prepared but not yet stepped; the first Next()
    // moves to the first row.
    TSqliteTableCursor(sqlite3_stmt* stmt, std::string tableName, std::vector<std::string> columnNames)
        : stmt_(stmt), tableName_(std::move(tableName)), names_(std::move(columnNames)) {}
    ~TSqliteTableCursor() override { sqlite3_finalize(stmt_); }
    TSqliteTableCursor(const TSqliteTableCursor&) = delete;
    TSqliteTableCursor& operator=(const TSqliteTableCursor&) = delete;

    const std::vector<std::string>& ColumnNames() const override { return names_; }
    bool Eof() const override { return eof_; }
    void Next() override { Step(); }

    bool IsNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

    int32_t AsInteger(int column) const override {
        switch (sqlite3_column_type(stmt_, column)) {
            case SQLITE_NULL:
                return 0;
            case SQLITE_INTEGER: {
                const sqlite3_int64 n = sqlite3_column_int64(stmt_, column);
                if (n < INT32_MIN || n > INT32_MAX)
                    throw Error("'" + std::to_string(n) + "' is not a valid integer value");
                return static_cast<int32_t>(n);
            }
            case SQLITE_FLOAT:
                return IntegerOfDouble(sqlite3_column_double(stmt_, column));
            case SQLITE_TEXT:
                return IntegerOfText(AsString(column, TUnmappableForm::CharacterReference));
            default:
                throw BinaryValue(column);
        }
    }

    std::string AsString(int column, TUnmappableForm form) const override {
        switch (sqlite3_column_type(stmt_, column)) {
            case SQLITE_NULL:
                return std::string();
            case SQLITE_INTEGER:
                return std::to_string(sqlite3_column_int64(stmt_, column));
            case SQLITE_FLOAT:
                return TextOfDouble(sqlite3_column_double(stmt_, column));
            case SQLITE_TEXT: {
                const unsigned char* text = sqlite3_column_text(stmt_, column);
                if (!text) throw Error("Out of memory reading table " + Quoted(tableName_) + ".");
                return ToAnsi(text, sqlite3_column_bytes(stmt_, column), form);
            }
            default:
                throw BinaryValue(column);
        }
    }

private:
    void Step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            eof_ = false;
            return;
        }
        eof_ = true;
        if (rc != SQLITE_DONE)
            throw Error("The table " + Quoted(tableName_) +
                        " cannot be read: " + Reason(sqlite3_db_handle(stmt_)) + ".");
    }

    Error BinaryValue(int column) const {
        return Error("The column " + Quoted(names_[static_cast<size_t>(column)]) + " of table " +
                     Quoted(tableName_) +
                     " holds binary data: the module is encrypted and cannot be converted.");
    }

    sqlite3_stmt* stmt_;
    std::string tableName_;
    std::vector<std::string> names_;
    bool eof_ = true;
};

// Closes a connection; a statement still open keeps it alive until it is
// finalized (sqlite3_close_v2), so the order of release never matters.
struct TConnectionCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

class TSqliteDatabase : public TDatabaseBackend {
public:
    explicit TSqliteDatabase(const std::string& path) : path_(path) {
        constexpr int kFlags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX |
                               SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_EXRESCODE;
        sqlite3* db = nullptr;
        const int rc = sqlite3_open_v2(ReadOnlyUri(path, IsWalFile(path)).c_str(), &db, kFlags, nullptr);
        db_.reset(db);
        if (rc != SQLITE_OK) FailOpen(db ? Reason(db) : sqlite3_errstr(rc));
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
        sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        // One read transaction for the connection's life: every table is read
        // from the same state of the file.
        if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) FailOpen(Reason(db));
        ReadCatalog();
        if (IsEncrypted()) throw Error("The module " + Quoted(path) + " is encrypted and cannot be converted.");
    }

    TDatabaseFormat Format() const override { return TDatabaseFormat::Sqlite; }

    std::vector<std::string> TableNames() const override {
        std::vector<std::string> names;
        names.reserve(tables_.size());
        for (const TName& t : tables_) names.push_back(t.ansi);
        return names;
    }

    std::unique_ptr<TTableCursor> OpenTable(const std::string& name) override {
        const TName* table = FindTable(name);
        if (!table) throw Error("The SQLite database has no table " + Quoted(name) + ".");
        std::vector<TName> columns = ColumnsOf(*table, name);

        std::string select = "SELECT ";
        for (size_t i = 0; i < columns.size(); ++i) select += (i ? ", " : "") + SqlIdentifier(columns[i].utf8);
        if (columns.empty()) select += "NULL";
        select += " FROM main." + SqlIdentifier(table->utf8);

        // Rows in rowid order, through whichever of the rowid's names no
        // column hides. A table without rowid fails that; its stored order
        // is the order of its primary key, which a plain scan gives.
        std::string order;
        for (const char* alias : {"rowid", "_rowid_", "oid"}) {
            const bool hidden = std::any_of(columns.begin(), columns.end(), [&](const TName& c) {
                return AsciiLowerCase(c.utf8) == alias;
            });
            if (!hidden) {
                order = std::string(" ORDER BY ") + alias;
                break;
            }
        }
        TStatement stmt;
        if (!stmt.Prepare(db(), select + order) && (order.empty() || !stmt.Prepare(db(), select)))
            throw Error("The table " + Quoted(name) + " cannot be read: " + Reason(db()) + ".");

        std::vector<std::string> names;
        names.reserve(columns.size());
        for (TName& c : columns) names.push_back(std::move(c.ansi));
        auto cursor = std::make_unique<TSqliteTableCursor>(stmt.release(), name, std::move(names));
        cursor->Next();
        return cursor;
    }

private:
    [[noreturn]] void FailOpen(const std::string& message) const {
        throw Error("Cannot open the SQLite database " + Quoted(path_) + ": " + message + ".");
    }

    // The ordinary tables of the main schema; reading it is the first time
    // SQLite looks at the file's pages, so a damaged file fails here.
    void ReadCatalog() {
        TStatement stmt;
        if (!stmt.Prepare(db(),
                          "SELECT name FROM main.sqlite_master WHERE type = 'table' "
                          "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"))
            FailOpen(Reason(db()));
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) tables_.push_back(NameOf(stmt.get(), 0));
        if (rc != SQLITE_DONE) FailOpen(Reason(db()));
    }

    const TName* FindTable(const std::string& name) const {
        const std::string wanted = AsciiLowerCase(name);
        for (const TName& t : tables_)
            if (AsciiLowerCase(t.ansi) == wanted) return &t;
        return nullptr;
    }

    std::vector<TName> ColumnsOf(const TName& table, const std::string& asked) {
        TStatement stmt;
        if (!stmt.Prepare(db(), "PRAGMA main.table_info(" + SqlIdentifier(table.utf8) + ")"))
            throw Error("The table " + Quoted(asked) + " cannot be read: " + Reason(db()) + ".");
        std::vector<TName> columns;
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) columns.push_back(NameOf(stmt.get(), 1));
        if (rc != SQLITE_DONE)
            throw Error("The table " + Quoted(asked) + " cannot be read: " + Reason(db()) + ".");
        return columns;
    }

    // The signs of e-Sword's encrypted modules that show before any entry
    // is read: a license table, or a set "Encryption" value in "Details".
    // (Their entry texts are binary values, which the cursor refuses.)
    bool IsEncrypted() {
        if (FindTable(kLicenseTable)) return true;
        const TName* details = FindTable("Details");
        if (!details) return false;
        const std::vector<TName> columns = ColumnsOf(*details, "Details");
        auto encryption = std::find_if(columns.begin(), columns.end(),
                                       [](const TName& c) { return AsciiLowerCase(c.ansi) == "encryption"; });
        if (encryption == columns.end()) return false;
        TStatement stmt;
        if (!stmt.Prepare(db(), "SELECT " + SqlIdentifier(encryption->utf8) + " FROM main." + SqlIdentifier(details->utf8)))
            throw Error("The table 'Details' cannot be read: " + Reason(db()) + ".");
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
            if (IsSet(stmt.get())) return true;
        if (rc != SQLITE_DONE)
            throw Error("The table 'Details' cannot be read: " + Reason(db()) + ".");
        return false;
    }

    // NULL, zero, and empty or blank text or "0" leave a module unencrypted.
    static bool IsSet(sqlite3_stmt* stmt) {
        switch (sqlite3_column_type(stmt, 0)) {
            case SQLITE_NULL:
                return false;
            case SQLITE_INTEGER:
                return sqlite3_column_int64(stmt, 0) != 0;
            case SQLITE_FLOAT:
                return sqlite3_column_double(stmt, 0) != 0.0;
            case SQLITE_BLOB:
                return sqlite3_column_bytes(stmt, 0) > 0;
            default: {
                const unsigned char* text = sqlite3_column_text(stmt, 0);
                std::string value(text ? reinterpret_cast<const char*>(text) : "",
                                  static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
                value.erase(0, value.find_first_not_of(" \t\r\n"));
                value.erase(value.find_last_not_of(" \t\r\n") + 1);
                return !value.empty() && value != "0";
            }
        }
    }

    sqlite3* db() const { return db_.get(); }

    std::string path_;
    std::unique_ptr<sqlite3, TConnectionCloser> db_;
    std::vector<TName> tables_;
};

}  // namespace

std::string SqlIdentifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

bool IsSqliteHeader(std::string_view firstBytes) {
    return firstBytes.size() >= kSqliteHeaderSize &&
           std::memcmp(firstBytes.data(), kSqliteHeader, kSqliteHeaderSize) == 0;
}

std::unique_ptr<TDatabaseBackend> OpenSqliteDatabase(const std::string& path) {
    return std::make_unique<TSqliteDatabase>(path);
}

}  // namespace tovra
