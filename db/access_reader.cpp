// The connection and table reader, and the Access backend over libmdb.
//
// The connection opens the file with the backend its first bytes call for
// (database_backend.h) and the table reader forwards rows and values to the
// backend's cursor; the SQLite backend lives in sqlite_reader.cpp.
//
// libmdb finds tables, columns and rows; the values themselves are decoded
// here, straight from the row bytes libmdb points at: Jet 4 text is UCS-2
// (optionally in its compressed form) and goes to Windows-1252 in one step,
// and memo fields are followed through their long-value pages in full
// (libmdb's own text conversion stops at its bind size).
//
// libmdb trusts the files it reads. Before a file reaches it, its first page
// is checked here (signature, whole pages, catalog page present, password),
// and every offset and length libmdb reports for a value is checked against
// the page it lies in.
#include "db/access_reader.h"

#include <fcntl.h>
#include <glib.h>
#include <mdbtools.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "db/database_backend.h"
#include "db/jet_format.h"
#include "db/jet_header.h"
#include "db/jet_text.h"
#include "db/sqlite_reader.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "platform/utf16.h"

namespace tovra {
namespace {

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

void AppendRtfEscape(char32_t cp, std::string& out) { AppendAnsiCharacter(cp, TUnmappableForm::RtfEscape, out); }

void AppendReference(char32_t cp, std::string& out) {
    AppendAnsiCharacter(cp, TUnmappableForm::CharacterReference, out);
}

// libmdb's own strings (table and column names) are UTF-8.
std::string Utf8ToAnsi(const char* utf8, TUnmappableForm form) {
    if (!utf8) return std::string();
    return Utf8ToCodePage(utf8, kAnsiCodePage, UnmappableHandlerFor(form));
}

}  // namespace

std::string DataSourceOf(const std::string& connectionString) {
    // Items are "Key=Value" separated by semicolons; keys ignore letter case.
    size_t pos = 0;
    while (pos <= connectionString.size()) {
        size_t end = connectionString.find(';', pos);
        if (end == std::string::npos) end = connectionString.size();
        std::string item = connectionString.substr(pos, end - pos);
        size_t eq = item.find('=');
        if (eq != std::string::npos) {
            std::string key = item.substr(0, eq);
            key.erase(0, key.find_first_not_of(' '));
            key.erase(key.find_last_not_of(' ') + 1);
            if (AsciiLowerCase(key) == "data source") return item.substr(eq + 1);
        }
        pos = end + 1;
    }
    return "";
}

// ------------------------------------------------- conversions of both backends

UnmappableHandler UnmappableHandlerFor(TUnmappableForm form) {
    return form == TUnmappableForm::RtfEscape ? &AppendRtfEscape : &AppendReference;
}

std::string TextOfDouble(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

int32_t IntegerOfDouble(double value) {
    if (!std::isfinite(value) || value < -2147483648.5 || value > 2147483647.5)
        throw Error("'" + TextOfDouble(value) + "' is not a valid integer value");
    return static_cast<int32_t>(std::lround(value));
}

int32_t IntegerOfText(const std::string& text) {
    std::string trimmed = text;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    trimmed.erase(trimmed.find_last_not_of(' ') + 1);
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(trimmed.c_str(), &end, 10);
    if (trimmed.empty() || *end != '\0' || errno == ERANGE || n < INT32_MIN || n > INT32_MAX)
        throw Error("'" + text + "' is not a valid integer value");
    return static_cast<int32_t>(n);
}

// ------------------------------------------------------------ Access backend

namespace {

struct RawValue {
    MdbHandle* mdb = nullptr;
    MdbColumn* col = nullptr;
    const unsigned char* data = nullptr;
    size_t length = 0;  // 0 for NULL (and for an empty text)
    uint64_t fileSize = 0;
    // The whole file when it is mapped into memory and its pages are stored
    // as they are (not encrypted); null otherwise.
    const unsigned char* mappedFile = nullptr;
};

// The most links a memo's page chain can have in a file of `fileSize` bytes:
// a sound chain meets no row twice and every row of it but the last fills a
// page, so it has at most as many links as the file has pages.
uint64_t MaxMemoChainLinks(uint64_t fileSize, size_t pageSize) { return fileSize / pageSize; }

// Bounds of the value libmdb found on the current row, checked against the
// page buffer.
RawValue CurrentValue(MdbHandle* mdb, MdbTableDef* table, int column) {
    RawValue v;
    v.mdb = mdb;
    v.col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, column));
    const size_t pageSize = static_cast<size_t>(v.mdb->fmt->pg_size);
    if (v.col->cur_value_len <= 0 || v.col->cur_value_start < 0) return v;
    size_t start = static_cast<size_t>(v.col->cur_value_start);
    size_t len = static_cast<size_t>(v.col->cur_value_len);
    if (start > pageSize || len > pageSize - start)
        throw Error("The database is damaged: a value of column '" + std::string(v.col->name) +
                    "' lies outside its page.");
    v.data = v.mdb->pg_buf + start;
    v.length = len;
    return v;
}

// Finds a long-value row straight in the mapped file: the page of the
// pointer's upper 24 bits, the row of its low byte in the page's row-offset
// table. A row starts at its own offset and ends where the row before it
// starts (row 0 at the end of the page); an offset's top three bits are
// flags. Returns false for anything unusual (no mapping, a page past the
// end, a row the page does not have, a flagged, empty or reversed row) and
// leaves such rows to libmdb, which then decides them as before. For a
// sound row both give the same bytes; this one skips libmdb's copying of
// three pages.
bool FindMappedRow(const RawValue& v, uint32_t pgRow, const unsigned char*& p, size_t& n) {
    if (!v.mappedFile) return false;
    constexpr uint16_t kOffsetMask = 0x1fff;
    const size_t pageSize = static_cast<size_t>(v.mdb->fmt->pg_size);
    const size_t countAt = v.mdb->fmt->row_count_offset;
    const uint64_t page = pgRow >> 8;
    const size_t row = pgRow & 0xff;
    if (page == 0 || (page + 1) * pageSize > v.fileSize) return false;
    const unsigned char* pg = v.mappedFile + page * pageSize;
    if (countAt + 2 + 2 * (row + 1) > pageSize) return false;
    if (row >= ReadLe16(pg + countAt)) return false;
    const uint16_t rawStart = ReadLe16(pg + countAt + 2 + 2 * row);
    if (rawStart & ~kOffsetMask) return false;
    const size_t stop = row == 0 ? pageSize : ReadLe16(pg + countAt + 2 * row) & kOffsetMask;
    if (rawStart >= stop || stop > pageSize) return false;
    p = pg + rawStart;
    n = stop - rawStart;
    return true;
}

// The stored bytes of a memo value: a view of the row or page that holds a
// memo of one piece, else of `chain`, where the pieces of a memo spread over
// several pages are collected. The view lasts until the next page read.
std::string_view MemoBytes(const RawValue& v, std::string& chain) {
    if (v.length < jet::kLongValueHeaderSize) return {};
    const uint32_t word = ReadLe32(v.data);
    const size_t memoLength = word & jet::kLongValueLengthMask;
    const uint32_t kind = word & jet::kLongValueKindMask;
    uint32_t pgRow = ReadLe32(v.data + jet::kLongValuePointerOffset);
    const size_t pageSize = static_cast<size_t>(v.mdb->fmt->pg_size);
    auto damaged = [&v] {
        return Error("The database is damaged: a memo of column '" + std::string(v.col->name) +
                     "' cannot be read.");
    };

    if (kind == jet::kLongValueInRow) {
        size_t n = std::min(memoLength, v.length - jet::kLongValueHeaderSize);
        return {reinterpret_cast<const char*>(v.data + jet::kLongValueHeaderSize), n};
    }
    auto fetch = [&](uint32_t pr, const unsigned char*& p, size_t& n) {
        if (FindMappedRow(v, pr, p, n)) return;
        void* buf = nullptr;
        int off = 0;
        size_t len = 0;
        if (mdb_find_pg_row(v.mdb, static_cast<int>(pr), &buf, &off, &len) != 0 || off < 0 ||
            static_cast<size_t>(off) > pageSize || len > pageSize - static_cast<size_t>(off))
            throw damaged();
        p = static_cast<const unsigned char*>(buf) + off;
        n = len;
    };
    if (kind == jet::kLongValueSingleRow) {
        const unsigned char* p;
        size_t n;
        fetch(pgRow, p, n);
        return {reinterpret_cast<const char*>(p), std::min(n, memoLength)};
    }
    // A chain of long-value rows, each starting with the link to the next.
    // A damaged link can lead back into the chain or on for ever: the chain
    // fails as soon as it meets a row twice or has more links than the file
    // has pages, so it never collects more bytes than the file holds.
    auto chainDamaged = [&v](const char* how) {
        return Error("The database is damaged: the page chain of a memo of column '" + std::string(v.col->name) +
                     "' " + how);
    };
    const uint64_t maxLinks = MaxMemoChainLinks(v.fileSize, pageSize);
    std::unordered_set<uint32_t> visited;
    chain.clear();
    chain.reserve(static_cast<size_t>(std::min<uint64_t>(memoLength, v.fileSize)));
    for (uint64_t links = 0; pgRow != 0 && chain.size() < memoLength; ++links) {
        if (links == maxLinks) throw chainDamaged("is longer than the file has pages.");
        if (!visited.insert(pgRow).second) throw chainDamaged("loops.");
        const unsigned char* p;
        size_t n;
        fetch(pgRow, p, n);
        if (n < jet::kLongValueLinkSize) throw damaged();
        pgRow = ReadLe32(p);
        size_t take = std::min(n - jet::kLongValueLinkSize, memoLength - chain.size());
        chain.append(reinterpret_cast<const char*>(p + jet::kLongValueLinkSize), take);
    }
    return chain;
}

bool IsJet3(const MdbHandle* mdb) { return mdb->f->jet_version == MDB_VER_JET3; }

std::string TextOf(const RawValue& v, TUnmappableForm form) {
    std::string out;
    if (v.col->col_type == MDB_MEMO) {
        std::string chain;
        const std::string_view bytes = MemoBytes(v, chain);
        if (IsJet3(v.mdb)) {
            if (bytes.data() == chain.data()) return chain;
            return std::string(bytes);
        }
        out.reserve(bytes.size() / 2 + 16);
        DecodeJet4Text(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), form, out);
        return out;
    }
    if (IsJet3(v.mdb)) return std::string(reinterpret_cast<const char*>(v.data), v.length);
    out.reserve(v.length / 2 + 8);
    DecodeJet4Text(v.data, v.length, form, out);
    return out;
}


class TMdbTableCursor : public TTableCursor {
public:
    TMdbTableCursor(MdbHandle* mdb, MdbTableDef* table, uint64_t fileSize, const unsigned char* mappedFile)
        : mdb_(mdb), table_(table), fileSize_(fileSize), mappedFile_(mappedFile) {
        names_.reserve(table->num_cols);
        for (unsigned i = 0; i < table->num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
            names_.push_back(Utf8ToAnsi(col->name, TUnmappableForm::CharacterReference));
        }
        mdb_rewind_table(table_);
        eof_ = !mdb_fetch_row(table_);
    }
    ~TMdbTableCursor() override { mdb_free_tabledef(table_); }
    TMdbTableCursor(const TMdbTableCursor&) = delete;
    TMdbTableCursor& operator=(const TMdbTableCursor&) = delete;

    const std::vector<std::string>& ColumnNames() const override { return names_; }
    bool Eof() const override { return eof_; }
    void Next() override { eof_ = !mdb_fetch_row(table_); }
    bool IsNull(int column) const override { return Value(column).length == 0; }
    int32_t AsInteger(int column) const override;
    std::string AsString(int column, TUnmappableForm form) const override;

private:
    RawValue Value(int column) const {
        RawValue v = CurrentValue(mdb_, table_, column);
        v.fileSize = fileSize_;
        v.mappedFile = mappedFile_;
        return v;
    }

    MdbHandle* mdb_;
    MdbTableDef* table_;
    uint64_t fileSize_;
    const unsigned char* mappedFile_;
    std::vector<std::string> names_;
    bool eof_ = true;
};

std::string TMdbTableCursor::AsString(int column, TUnmappableForm form) const {
    RawValue v = Value(column);
    if (!v.data) {
        if (v.col->col_type == MDB_BOOL) return v.col->cur_value_len ? "True" : "False";
        return std::string();
    }
    switch (v.col->col_type) {
        case MDB_TEXT:
        case MDB_MEMO:
            return TextOf(v, form);
        case MDB_BYTE:
            return std::to_string(v.data[0]);
        case MDB_INT:
            if (v.length < 2) break;
            return std::to_string(ReadLeSigned(v.data, 2));
        case MDB_LONGINT:
            if (v.length < 4) break;
            return std::to_string(ReadLeSigned(v.data, 4));
        case MDB_FLOAT: {
            if (v.length < 4) break;
            float f;
            std::memcpy(&f, v.data, 4);
            return TextOfDouble(f);
        }
        case MDB_DOUBLE: {
            if (v.length < 8) break;
            double d;
            std::memcpy(&d, v.data, 8);
            return TextOfDouble(d);
        }
        default: {
            char* s = mdb_col_to_string(v.mdb, v.mdb->pg_buf, v.col->cur_value_start, v.col->col_type,
                                        v.col->cur_value_len);
            std::string out = Utf8ToAnsi(s, form);
            g_free(s);
            return out;
        }
    }
    throw Error("The database is damaged: a value of column '" + std::string(v.col->name) +
                "' is too short for its type.");
}

int32_t TMdbTableCursor::AsInteger(int column) const {
    RawValue v = Value(column);
    if (v.col->col_type == MDB_BOOL) return v.col->cur_value_len ? -1 : 0;
    if (!v.data) return 0;
    switch (v.col->col_type) {
        case MDB_BYTE:
            return v.data[0];
        case MDB_INT:
            if (v.length >= 2) return static_cast<int32_t>(ReadLeSigned(v.data, 2));
            break;
        case MDB_LONGINT:
            if (v.length >= 4) return static_cast<int32_t>(ReadLeSigned(v.data, 4));
            break;
        case MDB_FLOAT:
        case MDB_DOUBLE: {
            double d;
            if (v.col->col_type == MDB_FLOAT) {
                if (v.length < 4) break;
                float f;
                std::memcpy(&f, v.data, 4);
                d = f;
            } else {
                if (v.length < 8) break;
                std::memcpy(&d, v.data, 8);
            }
            return IntegerOfDouble(d);
        }
        default:
            return IntegerOfText(AsString(column, TUnmappableForm::CharacterReference));
    }
    throw Error("The database is damaged: a value of column '" + std::string(v.col->name) +
                "' is too short for its type.");
}

// A file mapped read-only into memory, unmapped when this goes.
class TReadOnlyMapping {
public:
    TReadOnlyMapping() = default;
    // Maps the whole of an open file of `size` bytes; Data() stays null when
    // the file cannot be mapped.
    TReadOnlyMapping(int fd, size_t size) {
        if (size == 0) return;
        void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) return;
        data_ = p;
        size_ = size;
    }
    ~TReadOnlyMapping() {
        if (data_) ::munmap(data_, size_);
    }
    TReadOnlyMapping(TReadOnlyMapping&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    TReadOnlyMapping& operator=(TReadOnlyMapping&&) = delete;
    TReadOnlyMapping(const TReadOnlyMapping&) = delete;

    void* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    void* data_ = nullptr;
    size_t size_ = 0;
};

// Closes a file descriptor when it goes out of scope.
struct TFileDescriptor {
    int fd = -1;
    ~TFileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

class TMdbDatabase : public TDatabaseBackend {
public:
    // Takes the handle and the mapping it reads from (if any); the handle
    // is closed before the file is unmapped.
    TMdbDatabase(MdbHandle* mdb, uint64_t fileSize, TReadOnlyMapping mapping)
        : mapping_(std::move(mapping)), mdb_(mdb), fileSize_(fileSize) {}
    ~TMdbDatabase() override { mdb_close(mdb_); }
    TMdbDatabase(const TMdbDatabase&) = delete;
    TMdbDatabase& operator=(const TMdbDatabase&) = delete;

    TDatabaseFormat Format() const override { return TDatabaseFormat::Access; }

    std::vector<std::string> TableNames() const override {
        std::vector<std::string> names;
        GPtrArray* catalog = mdb_->catalog;
        for (guint i = 0; i < catalog->len; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
                names.push_back(Utf8ToAnsi(entry->object_name, TUnmappableForm::CharacterReference));
        }
        return names;
    }

    std::unique_ptr<TTableCursor> OpenTable(const std::string& tableName) override {
        MdbCatalogEntry* found = nullptr;
        const std::string wanted = AsciiLowerCase(tableName);
        GPtrArray* catalog = mdb_->catalog;
        for (guint i = 0; i < catalog->len && !found; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
            if (entry->object_type == MDB_TABLE &&
                AsciiLowerCase(Utf8ToAnsi(entry->object_name, TUnmappableForm::CharacterReference)) == wanted)
                found = entry;
        }
        if (!found)
            throw Error("The Microsoft Jet database engine cannot find the input table or query " +
                        Quoted(tableName) + ".  Make sure it exists and that its name is spelled correctly.");

        MdbTableDef* table = mdb_read_table(found);
        if (!table) throw Error("The table " + Quoted(tableName) + " cannot be read: the database is damaged.");
        if (!mdb_read_columns(table)) {
            mdb_free_tabledef(table);
            throw Error("The columns of table " + Quoted(tableName) + " cannot be read: the database is damaged.");
        }
        // Long-value rows are read from the mapping only where the pages
        // hold what libmdb would read: not when libmdb decrypts them.
        const auto* mapped = static_cast<const unsigned char*>(mapping_.Data());
        if (mdb_->f->db_key != 0) mapped = nullptr;
        return std::make_unique<TMdbTableCursor>(mdb_, table, fileSize_, mapped);
    }

private:
    TReadOnlyMapping mapping_;
    MdbHandle* mdb_;
    uint64_t fileSize_;
};

}  // namespace

namespace {
std::atomic<bool> g_mapAccessFiles{true};
}  // namespace

void SetAccessFileMapping(bool enabled) { g_mapAccessFiles = enabled; }

std::unique_ptr<TDatabaseBackend> OpenAccessDatabase(const std::string& path, uint64_t fileSize) {
    TFileDescriptor file;
    file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file.fd < 0) throw Error("Could not open " + Quoted(path) + ": " + std::strerror(errno) + ".");
    // The size of the file as opened, in case it changed since the caller
    // looked: the mapping must not reach past its end.
    struct stat st;
    if (::fstat(file.fd, &st) == 0) fileSize = static_cast<uint64_t>(st.st_size);
    unsigned char page0[4096];
    const ssize_t read = ::pread(file.fd, page0, sizeof page0, 0);
    if (read < 0) throw Error("Could not read " + Quoted(path) + ": " + std::strerror(errno) + ".");
    const size_t got = static_cast<size_t>(read);

    switch (jet::CheckHeader(page0, got, fileSize)) {
        case jet::FileCheck::NotJet:
            throw Error("Unrecognized database format " + Quoted(path) + ".");
        case jet::FileCheck::TooShort:
            throw Error("Unrecognized database format " + Quoted(path) +
                        ": the file is truncated or damaged.");
        case jet::FileCheck::PasswordProtected:
            throw Error("Not a valid password.");
        case jet::FileCheck::Ok:
            break;
    }

    // libmdb reads the pages of a mapped file by copying them from memory
    // instead of a seek and a read each; a file that cannot be mapped (an
    // odd file system) is read through libmdb's own stream. Opened without
    // MDB_WRITABLE, libmdb never writes to the buffer.
    TReadOnlyMapping mapping = g_mapAccessFiles ? TReadOnlyMapping(file.fd, static_cast<size_t>(fileSize))
                                                : TReadOnlyMapping();
    MdbHandle* mdb = mapping.Data() ? mdb_open_buffer(mapping.Data(), mapping.Size(), MDB_NOFLAGS)
                                    : mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb) throw Error("Unrecognized database format " + Quoted(path) + ".");
    if (!mdb_read_catalog(mdb, MDB_TABLE) || !mdb->catalog || mdb->catalog->len == 0) {
        mdb_close(mdb);
        throw Error("Unrecognized database format " + Quoted(path) +
                    ": its table catalog cannot be read.");
    }
    return std::make_unique<TMdbDatabase>(mdb, fileSize, std::move(mapping));
}

// ---------------------------------------------------------------- connection

struct TAccessTable::Impl {
    TAccessConnection::Impl* connection = nullptr;
    std::unique_ptr<TTableCursor> cursor;  // null while closed or released
    bool active = false;
    std::vector<TAccessField> fields;
    std::unordered_map<std::string, size_t> byName;  // lower-case name -> column

    void Release() { cursor.reset(); }
    // The cursor on its current row, or the error for a missing row.
    TTableCursor& Row() const {
        if (!cursor || cursor->Eof())
            throw Error("Either BOF or EOF is True, or the current record has been deleted.");
        return *cursor;
    }
};

struct TAccessConnection::Impl {
    std::unique_ptr<TDatabaseBackend> backend;
    std::vector<TAccessTable*> tables;  // readers attached to this connection
};

TAccessConnection::TAccessConnection() : impl_(std::make_unique<Impl>()) {}

TAccessConnection::~TAccessConnection() { Close(); }

void TAccessConnection::SetConnectionString(const std::string& connectionString) {
    connectionString_ = connectionString;
}

bool TAccessConnection::Connected() const { return impl_->backend != nullptr; }

TDatabaseFormat TAccessConnection::Format() const {
    return impl_->backend ? impl_->backend->Format() : TDatabaseFormat::Access;
}

void TAccessConnection::Open() {
    if (Connected()) return;
    const std::string path = DataSourceOf(connectionString_);
    if (path.empty()) throw Error("The connection string names no Data Source.");

    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) throw Error("Could not find file " + Quoted(path) + ".");
        throw Error("Could not open " + Quoted(path) + ": " + std::strerror(errno) + ".");
    }
    if (S_ISDIR(st.st_mode)) throw Error(Quoted(path) + " is a folder, not a database file.");
    if (!S_ISREG(st.st_mode)) throw Error(Quoted(path) + " is not a regular file.");

    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw Error("Could not open " + Quoted(path) + ": " + std::strerror(errno) + ".");
    char head[kSqliteHeaderSize];
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);

    if (IsSqliteHeader(std::string_view(head, got)))
        impl_->backend = OpenSqliteDatabase(path);
    else
        impl_->backend = OpenAccessDatabase(path, static_cast<uint64_t>(st.st_size));
}

std::vector<std::string> TAccessConnection::TableNames() const {
    if (!Connected()) throw Error("Operation is not allowed when the object is closed.");
    return impl_->backend->TableNames();
}

void TAccessConnection::Close() {
    if (!impl_->backend) return;
    // A cursor reads through its database: release them first. The readers
    // stay "open" in name but have no rows left.
    for (TAccessTable* table : impl_->tables) table->impl().Release();
    impl_->backend.reset();
}

// --------------------------------------------------------------------- table

TAccessTable::TAccessTable(TAccessConnection& connection, std::string componentName)
    : componentName_(std::move(componentName)),
      impl_(std::make_unique<Impl>()) {
    impl_->connection = &connection.impl();
    impl_->connection->tables.push_back(this);
}

TAccessTable::~TAccessTable() {
    Close();
    auto& tables = impl_->connection->tables;
    tables.erase(std::remove(tables.begin(), tables.end(), this), tables.end());
}

bool TAccessTable::Active() const { return impl_->active; }

TDatabaseFormat TAccessTable::DatabaseFormat() const {
    const auto& backend = impl_->connection->backend;
    return backend ? backend->Format() : TDatabaseFormat::Access;
}

void TAccessTable::Close() {
    impl_->Release();
    impl_->active = false;
    impl_->fields.clear();
    impl_->byName.clear();
}

void TAccessTable::Open(const std::string& tableName) {
    Close();
    TDatabaseBackend* backend = impl_->connection->backend.get();
    if (!backend) throw Error("Operation is not allowed when the object is closed.");
    impl_->cursor = backend->OpenTable(tableName);
    const std::vector<std::string>& names = impl_->cursor->ColumnNames();
    impl_->fields.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        TAccessField& field = impl_->fields[i];
        field.table_ = this;
        field.column_ = static_cast<int>(i);
        field.name_ = names[i];
        impl_->byName.emplace(AsciiLowerCase(field.name_), i);
    }
    impl_->active = true;
}

bool TAccessTable::Eof() const { return !impl_->cursor || impl_->cursor->Eof(); }

void TAccessTable::Next() {
    if (!impl_->active) throw Error("Operation is not allowed when the object is closed.");
    if (Eof()) throw Error("Either BOF or EOF is True, or the current record has been deleted.");
    impl_->cursor->Next();
}

const TAccessField* TAccessTable::FindField(const std::string& name) {
    auto it = impl_->byName.find(AsciiLowerCase(name));
    return it == impl_->byName.end() ? nullptr : &impl_->fields[it->second];
}

const TAccessField& TAccessTable::FieldByName(const std::string& name) {
    const TAccessField* field = FindField(name);
    if (!field) throw Error(componentName_ + ": Field '" + name + "' not found");
    return *field;
}

// --------------------------------------------------------------------- field

bool TAccessField::IsNull() const { return table_->impl().Row().IsNull(column_); }

std::string TAccessField::AsString(TUnmappableForm form) const {
    return table_->impl().Row().AsString(column_, form);
}

int32_t TAccessField::AsInteger() const { return table_->impl().Row().AsInteger(column_); }

}  // namespace tovra
