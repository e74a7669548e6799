#include "tools/mksqlite/sqlite_writer.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "db/sqlite_reader.h"
#include "platform/atomic_file.h"
#include "platform/error.h"

namespace tovra::mksqlite {
namespace {

using mkmdb::TColumnDef;
using mkmdb::TColumnType;
using mkmdb::TTableDef;

const char* SqlType(TColumnType type) {
    switch (type) {
        case TColumnType::Text:
        case TColumnType::Memo:
            return "TEXT";
        case TColumnType::LongInteger:
        case TColumnType::Integer:
        case TColumnType::Byte:
            return "INTEGER";
        case TColumnType::Boolean:
            return "BOOLEAN";
        case TColumnType::Double:
            return "REAL";
    }
    return "TEXT";
}

struct TCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using TDb = std::unique_ptr<sqlite3, TCloser>;

struct TFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using TStmt = std::unique_ptr<sqlite3_stmt, TFinalizer>;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw Error(what + ": " + sqlite3_errmsg(db));
}

void Execute(sqlite3* db, const std::string& sql, const std::string& what) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw Error(what + ": " + text);
    }
}

std::string CellPlace(const TTableDef& table, size_t row, const TColumnDef& column) {
    return "table \"" + table.name + "\", row " + std::to_string(row + 1) + ", column \"" + column.name + "\"";
}

void BindCell(sqlite3* db, sqlite3_stmt* stmt, int index, const mkmdb::TCell& cell, const TTableDef& table,
              size_t row, const TColumnDef& column) {
    int rc = SQLITE_OK;
    if (!cell) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (column.type == TColumnType::Text || column.type == TColumnType::Memo) {
        rc = sqlite3_bind_text64(stmt, index, cell->data(), cell->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    } else if (column.type == TColumnType::Double) {
        errno = 0;
        char* end = nullptr;
        const double d = std::strtod(cell->c_str(), &end);
        if (cell->empty() || *end != '\0' || errno == ERANGE)
            throw Error(CellPlace(table, row, column) + ": '" + *cell + "' is not a number");
        rc = sqlite3_bind_double(stmt, index, d);
    } else {
        long long n = 0;
        if (column.type == TColumnType::Boolean && (*cell == "true" || *cell == "false")) {
            n = *cell == "true" ? 1 : 0;
        } else {
            errno = 0;
            char* end = nullptr;
            n = std::strtoll(cell->c_str(), &end, 10);
            if (cell->empty() || *end != '\0' || errno == ERANGE)
                throw Error(CellPlace(table, row, column) + ": '" + *cell + "' is not an integer");
        }
        rc = sqlite3_bind_int64(stmt, index, n);
    }
    if (rc != SQLITE_OK) Fail(db, CellPlace(table, row, column));
}

void WriteTable(sqlite3* db, const TTableDef& table) {
    if (table.name.empty()) throw Error("a table has an empty name");
    if (table.columns.empty()) throw Error("table \"" + table.name + "\" has no columns");
    std::string create = "CREATE TABLE " + SqlIdentifier(table.name) + " (";
    std::string insert = "INSERT INTO " + SqlIdentifier(table.name) + " VALUES (";
    for (size_t c = 0; c < table.columns.size(); ++c) {
        const TColumnDef& column = table.columns[c];
        if (column.name.empty()) throw Error("table \"" + table.name + "\" has a column with an empty name");
        create += (c ? ", " : "") + SqlIdentifier(column.name) + " " + SqlType(column.type);
        insert += c ? ", ?" : "?";
    }
    Execute(db, create + ")", "table \"" + table.name + "\"");

    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &raw, nullptr) != SQLITE_OK)
        Fail(db, "table \"" + table.name + "\"");
    TStmt stmt(raw);
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const mkmdb::TRow& row = table.rows[r];
        if (row.size() != table.columns.size())
            throw Error("table \"" + table.name + "\", row " + std::to_string(r + 1) + " has " +
                        std::to_string(row.size()) + " values for " + std::to_string(table.columns.size()) +
                        " columns");
        for (size_t c = 0; c < row.size(); ++c)
            BindCell(db, stmt.get(), static_cast<int>(c + 1), row[c], table, r, table.columns[c]);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE)
            Fail(db, "table \"" + table.name + "\", row " + std::to_string(r + 1));
        sqlite3_reset(stmt.get());
        sqlite3_clear_bindings(stmt.get());
    }
}

void WriteDatabase(const mkmdb::TDatabaseDef& database, const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    TDb db(raw);
    if (rc != SQLITE_OK) {
        if (!raw) throw Error("cannot create " + path + ": " + sqlite3_errstr(rc));
        Fail(raw, "cannot create " + path);
    }
    Execute(db.get(),
            "PRAGMA page_size = " + std::to_string(kSqlitePageSize) +
                "; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF",
            "settings");
    Execute(db.get(), "BEGIN", "transaction");
    for (const TTableDef& table : database.tables) WriteTable(db.get(), table);
    Execute(db.get(), "COMMIT", "transaction");
    for (size_t i = 0; i < database.sql.size(); ++i)
        Execute(db.get(), database.sql[i], "sql statement " + std::to_string(i + 1));
    if (sqlite3_close(db.get()) != SQLITE_OK) Fail(db.get(), "cannot close " + path);
    db.release();
}

}  // namespace

void WriteSqliteFile(const mkmdb::TDatabaseDef& database, const std::string& path) {
    if (!database.password.empty()) throw Error("a SQLite database has no password");
    TAtomicFile file(path);
    WriteDatabase(database, file.TemporaryPath());
    file.Commit();
}

}  // namespace tovra::mksqlite
