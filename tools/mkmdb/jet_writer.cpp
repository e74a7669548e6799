#include "tools/mkmdb/jet_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "db/jet_format.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "tools/mkmdb/jet_header.h"
#include "tools/mkmdb/utf16_text.h"

namespace tovra::mkmdb {

namespace {

using namespace jet;

constexpr uint32_t kPage = kJet4PageSize;
constexpr size_t kMaxRowBytes = kPage - kDataHeaderSize - 2;  // one row alone on a page
constexpr size_t kMaxRowsPerPage = 255;        // row numbers of page pointers are one byte
constexpr size_t kInlineMemoLimit = 64;        // memos up to this many bytes stay in the row
constexpr size_t kLongValueChunk = kMaxRowBytes - kLongValueLinkSize;  // data bytes per chained row
constexpr uint32_t kColumnUnknown = 0x0659;    // the value Access writes beside every column

// A column as the file stores it.
struct TPhysColumn {
    std::string name;
    std::vector<unsigned char> nameUtf16;
    uint8_t type = kColumnText;
    uint8_t flags = 0;
    uint16_t length = 0;     // bytes of a fixed column or the maximum of a Text column
    uint16_t fixedOffset = 0;
    uint16_t varIndex = 0;
    bool fixed = false;
    bool longValue = false;  // Memo or OLE: stored through a long-value header
};

// A table as the file stores it; cells already checked.
struct TPhysTable {
    std::string name;
    bool system = false;
    std::vector<TPhysColumn> columns;
    const std::vector<TRow>* rows = nullptr;
    uint16_t fixedSize = 0;
    uint16_t varCount = 0;
    uint32_t nextAutoNumber = 0;
};

std::string Where(const std::string& table, size_t row, const std::string& column) {
    return "table \"" + table + "\", row " + std::to_string(row + 1) + ", column \"" + column + "\"";
}

// Parses a decimal integer; nothing on malformed text.
std::optional<int64_t> ParseInteger(std::string_view s) {
    int64_t v = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || ptr != end || s.empty()) return std::nullopt;
    return v;
}

std::optional<double> ParseReal(std::string_view s) {
    double v = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || ptr != end || s.empty() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<bool> ParseBoolean(std::string_view s) {
    const std::string l = AsciiLowerCase(s);
    if (l == "1" || l == "-1" || l == "true" || l == "yes") return true;
    if (l == "0" || l == "false" || l == "no") return false;
    return std::nullopt;
}

const char* TypeName(TColumnType type) {
    switch (type) {
        case TColumnType::Text: return "Text";
        case TColumnType::Memo: return "Memo";
        case TColumnType::LongInteger: return "Long Integer";
        case TColumnType::Integer: return "Integer";
        case TColumnType::Byte: return "Byte";
        case TColumnType::Boolean: return "Boolean";
        case TColumnType::Double: return "Double";
    }
    return "?";
}

std::vector<unsigned char> Utf16OrThrow(std::string_view text, const std::string& what) {
    auto utf16 = Utf8ToUtf16Le(text);
    if (!utf16) throw Error(what + ": not valid UTF-8");
    return std::move(*utf16);
}

void CheckName(const std::string& name, const std::string& what) {
    if (name.empty()) throw Error(what + " has an empty name");
    const auto utf16 = Utf16OrThrow(name, what + " \"" + name + "\"");
    if (utf16.size() / 2 > 64) throw Error(what + " \"" + name + "\": name longer than 64 characters");
}

// Fills column layout: fixed columns get offsets in column order, variable
// columns get their index in the variable-offset table.
void LayOutColumns(TPhysTable& table) {
    uint16_t fixedOffset = 0;
    uint16_t varIndex = 0;
    for (auto& c : table.columns) {
        if (c.fixed) {
            c.fixedOffset = fixedOffset;
            if (c.type != kColumnBoolean) fixedOffset = static_cast<uint16_t>(fixedOffset + c.length);
        } else {
            c.varIndex = varIndex++;
        }
    }
    table.fixedSize = fixedOffset;
    table.varCount = varIndex;
}

TPhysColumn MakeColumn(const std::string& name, uint8_t type, uint16_t textLength, bool system) {
    TPhysColumn c;
    c.name = name;
    c.nameUtf16 = Utf16OrThrow(name, "column \"" + name + "\"");
    c.type = type;
    switch (type) {
        case kColumnBoolean: c.fixed = true; c.length = 1; break;
        case kColumnByte: c.fixed = true; c.length = 1; break;
        case kColumnInteger: c.fixed = true; c.length = 2; break;
        case kColumnLong: c.fixed = true; c.length = 4; break;
        case kColumnDouble:
        case kColumnDateTime: c.fixed = true; c.length = 8; break;
        case kColumnText:
        case kColumnBinary: c.length = textLength; break;
        case kColumnMemo:
        case kColumnOle: c.longValue = true; c.length = 0; break;
        default: break;
    }
    c.flags = static_cast<uint8_t>((c.fixed ? kColumnFixedLength : 0) | kColumnNullable | (system ? kColumnSystem : 0));
    return c;
}

// ---------------------------------------------------------------- pages

class TImage {
public:
    uint32_t NewPage(PageType type) {
        pages_.emplace_back(kPage, 0);
        pages_.back()[0] = type;
        pages_.back()[1] = 0x01;
        return static_cast<uint32_t>(pages_.size() - 1);
    }
    uint8_t* Page(uint32_t number) { return pages_[number].data(); }
    uint32_t Count() const { return static_cast<uint32_t>(pages_.size()); }
    void SetPage(uint32_t number, std::vector<uint8_t> bytes) { pages_[number] = std::move(bytes); }

    // A data page owned by the table whose definition is on `owner`, or a
    // long-value page when `longValue` is set.
    uint32_t NewDataPage(uint32_t owner, bool longValue) {
        const uint32_t n = NewPage(kPageData);
        uint8_t* p = Page(n);
        if (longValue)
            std::memcpy(p + kDataOwnerOffset, kLongValueOwner, 4);
        else
            WriteLe32(p + kDataOwnerOffset, owner);
        WriteLe16(p + kDataFreeSpaceOffset, static_cast<uint16_t>(kPage - kDataHeaderSize));
        return n;
    }
    static uint16_t RowCount(const uint8_t* p) { return ReadLe16(p + kDataRowCountOffset); }
    static size_t RowsStart(const uint8_t* p) {
        const uint16_t rows = RowCount(p);
        if (rows == 0) return kPage;
        const uint8_t* last = p + kDataHeaderSize + 2 * (rows - 1);
        return static_cast<size_t>(ReadLe16(last) & kRowOffsetMask);
    }
    bool Fits(uint32_t page, size_t length) {
        const uint8_t* p = Page(page);
        const uint16_t rows = RowCount(p);
        if (rows >= kMaxRowsPerPage) return false;
        const size_t used = kDataHeaderSize + 2 * (static_cast<size_t>(rows) + 1);
        const size_t start = RowsStart(p);
        return start >= used && start - used >= length;
    }
    // Stores a row below the lowest one; returns its row number.
    uint8_t AddRow(uint32_t page, const std::vector<uint8_t>& row) {
        uint8_t* p = Page(page);
        const uint16_t rows = RowCount(p);
        const size_t start = RowsStart(p) - row.size();
        std::memcpy(p + start, row.data(), row.size());
        WriteLe16(p + kDataHeaderSize + 2 * rows, static_cast<uint16_t>(start));
        WriteLe16(p + kDataRowCountOffset, static_cast<uint16_t>(rows + 1));
        WriteLe16(p + kDataFreeSpaceOffset, static_cast<uint16_t>(start - (kDataHeaderSize + 2 * (rows + 1u))));
        return static_cast<uint8_t>(rows);
    }
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        out.reserve(pages_.size() * kPage);
        for (const auto& p : pages_) out.insert(out.end(), p.begin(), p.end());
        return out;
    }

private:
    std::vector<std::vector<uint8_t>> pages_;
};

// Pages owned by one table, by purpose; they become its usage maps.
struct TTablePages {
    uint32_t tdef = 0;
    std::vector<uint32_t> data;
    std::vector<uint32_t> dataWithRoom;
    std::map<size_t, std::vector<uint32_t>> longValues;  // by column position
    std::map<size_t, uint32_t> openLongValuePage;
    uint32_t rowCount = 0;
};

class TWriter {
public:
    explicit TWriter(TImage& image) : image_(image) {}

    // Writes all rows of `table`; its definition page is already allocated.
    void WriteRows(const TPhysTable& table, TTablePages& pages,
                   const std::vector<std::vector<TCell>>& rows) {
        uint32_t current = 0;
        bool haveCurrent = false;
        for (size_t r = 0; r < rows.size(); ++r) {
            const std::vector<uint8_t> row = BuildRow(table, pages, rows[r], r);
            if (!haveCurrent || !image_.Fits(current, row.size())) {
                current = image_.NewDataPage(pages.tdef, false);
                pages.data.push_back(current);
                haveCurrent = true;
            }
            image_.AddRow(current, row);
            ++pages.rowCount;
        }
        if (haveCurrent) Retire(pages, current);
    }

private:
    // Only the last data page of a table is left with room for more rows.
    static void Retire(TTablePages& pages, uint32_t page) { pages.dataWithRoom.push_back(page); }

    // Stores a long value too big for the row; returns its 12-byte header.
    std::vector<uint8_t> StoreLongValue(TTablePages& pages, size_t column, const std::vector<unsigned char>& bytes) {
        std::vector<uint8_t> header(kLongValueHeaderSize, 0);
        const size_t n = bytes.size();
        if (n <= kInlineMemoLimit) {
            WriteLe32(header.data(), static_cast<uint32_t>(n) | kLongValueInRow);
            header.insert(header.end(), bytes.begin(), bytes.end());
            return header;
        }
        auto& owned = pages.longValues[column];
        if (n <= kMaxRowBytes) {
            // One row on a long-value page, shared with other short values.
            auto open = pages.openLongValuePage.find(column);
            if (open == pages.openLongValuePage.end() || !image_.Fits(open->second, n)) {
                const uint32_t page = image_.NewDataPage(0, true);
                owned.push_back(page);
                open = pages.openLongValuePage.insert_or_assign(column, page).first;
            }
            std::vector<uint8_t> row(bytes.begin(), bytes.end());
            const uint8_t rowNumber = image_.AddRow(open->second, row);
            WriteLe32(header.data(), static_cast<uint32_t>(n) | kLongValueSingleRow);
            WriteLe32(header.data() + kLongValuePointerOffset, PagePointer(open->second, rowNumber));
            return header;
        }
        // A chain of rows, each alone on its own page, each naming the next.
        const size_t chunks = (n + kLongValueChunk - 1) / kLongValueChunk;
        std::vector<uint32_t> chain(chunks);
        for (size_t k = 0; k < chunks; ++k) {
            chain[k] = image_.NewDataPage(0, true);
            owned.push_back(chain[k]);
        }
        for (size_t k = 0; k < chunks; ++k) {
            const size_t from = k * kLongValueChunk;
            const size_t len = std::min(kLongValueChunk, n - from);
            std::vector<uint8_t> row;
            row.reserve(len + 4);
            AppendLe32(row, k + 1 < chunks ? PagePointer(chain[k + 1], 0) : 0);
            row.insert(row.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                       bytes.begin() + static_cast<std::ptrdiff_t>(from + len));
            image_.AddRow(chain[k], row);
        }
        WriteLe32(header.data(), static_cast<uint32_t>(n) | kLongValueChain);
        WriteLe32(header.data() + kLongValuePointerOffset, PagePointer(chain[0], 0));
        return header;
    }

    std::vector<uint8_t> BuildRow(const TPhysTable& table, TTablePages& pages, const std::vector<TCell>& cells,
                                  size_t rowIndex) {
        const size_t ncols = table.columns.size();
        std::vector<uint8_t> fixedArea(table.fixedSize, 0);
        std::vector<std::vector<uint8_t>> varData(table.varCount);
        std::vector<uint8_t> nullMask((ncols + 7) / 8, 0);
        for (size_t c = 0; c < ncols; ++c) {
            const TPhysColumn& col = table.columns[c];
            const TCell& cell = cells[c];
            auto markPresent = [&] { nullMask[c / 8] |= static_cast<uint8_t>(1u << (c % 8)); };
            if (col.type == kColumnBoolean) {
                if (cell && *ParseBoolean(*cell)) markPresent();
                continue;
            }
            if (!cell) continue;
            markPresent();
            uint8_t* f = fixedArea.data() + col.fixedOffset;
            switch (col.type) {
                case kColumnByte: f[0] = static_cast<uint8_t>(*ParseInteger(*cell)); break;
                case kColumnInteger: WriteLe16(f, static_cast<uint16_t>(*ParseInteger(*cell))); break;
                case kColumnLong: WriteLe32(f, static_cast<uint32_t>(*ParseInteger(*cell))); break;
                case kColumnDouble:
                case kColumnDateTime: {
                    const double v = *ParseReal(*cell);
                    std::memcpy(f, &v, 8);
                    break;
                }
                case kColumnText:
                case kColumnBinary: {
                    auto bytes = *Utf8ToUtf16Le(*cell);
                    varData[col.varIndex].assign(bytes.begin(), bytes.end());
                    break;
                }
                case kColumnMemo:
                case kColumnOle:
                    varData[col.varIndex] = StoreLongValue(pages, c, *Utf8ToUtf16Le(*cell));
                    break;
                default: break;
            }
        }
        std::vector<uint8_t> row;
        AppendLe16(row, static_cast<uint16_t>(ncols));
        row.insert(row.end(), fixedArea.begin(), fixedArea.end());
        if (table.varCount > 0) {
            std::vector<uint16_t> offsets(table.varCount);
            for (size_t v = 0; v < varData.size(); ++v) {
                offsets[v] = static_cast<uint16_t>(row.size());
                row.insert(row.end(), varData[v].begin(), varData[v].end());
            }
            if (row.size() + 2 + 2 * offsets.size() + 2 + nullMask.size() > kMaxRowBytes)
                throw Error("table \"" + table.name + "\", row " + std::to_string(rowIndex + 1) +
                            ": the row needs more than one page (" + std::to_string(kMaxRowBytes) + " bytes)");
            AppendLe16(row, static_cast<uint16_t>(row.size()));  // end of data
            for (size_t v = offsets.size(); v-- > 0;) AppendLe16(row, offsets[v]);
            AppendLe16(row, table.varCount);
        }
        row.insert(row.end(), nullMask.begin(), nullMask.end());
        return row;
    }

    TImage& image_;
};

// ------------------------------------------------------------ usage maps

// Type 0 map: start page and a 64-byte bitmap.
std::vector<uint8_t> InlineMap(const std::vector<uint32_t>& pages) {
    std::vector<uint8_t> row(kUsageMapRowSize, 0);
    row[0] = kUsageMapInline;
    if (pages.empty()) return row;
    const uint32_t first = *std::min_element(pages.begin(), pages.end());
    const uint32_t start = first - first % 8;
    WriteLe32(row.data() + kUsageMapStartOffset, start);
    for (uint32_t p : pages) {
        const uint32_t bit = p - start;
        if (bit < kUsageMapBitmapBytes * 8)
            row[kUsageMapBitsOffset + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
    return row;
}

// Type 1 map: pointers to bitmap pages, each covering kPagesPerBitmapPage pages.
std::vector<uint8_t> IndirectMap(TImage& image, const std::vector<uint32_t>& pages) {
    std::vector<uint8_t> row(kUsageMapRowSize, 0);
    row[0] = kUsageMapIndirect;
    std::map<uint32_t, uint32_t> bitmapPages;
    for (uint32_t p : pages) {
        const uint32_t slot = p / kPagesPerBitmapPage;
        if (1 + 4 * (static_cast<size_t>(slot) + 1) > kUsageMapRowSize)
            throw Error("the database is larger than its usage maps can describe");
        auto it = bitmapPages.find(slot);
        if (it == bitmapPages.end()) {
            const uint32_t n = image.NewPage(kPageUsageBitmap);
            it = bitmapPages.emplace(slot, n).first;
            WriteLe32(row.data() + 1 + 4 * slot, n);
        }
        const uint32_t bit = p % kPagesPerBitmapPage;
        image.Page(it->second)[kBitmapPageHeaderSize + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
    return row;
}

// Places map rows on shared map pages; returns the page/row pointer.
class TMapStore {
public:
    explicit TMapStore(TImage& image) : image_(image) {}
    uint32_t Add(const std::vector<uint8_t>& row) {
        if (!havePage_ || !image_.Fits(page_, row.size())) {
            page_ = image_.NewDataPage(0, false);
            havePage_ = true;
        }
        return PagePointer(page_, image_.AddRow(page_, row));
    }

private:
    TImage& image_;
    uint32_t page_ = 0;
    bool havePage_ = false;
};

std::vector<uint8_t> TableDefinition(const TPhysTable& table, const TTablePages& pages, uint32_t usedMap,
                                     uint32_t freeMap, const std::map<size_t, std::pair<uint32_t, uint32_t>>& columnMaps) {
    std::vector<uint8_t> t(kPage, 0);
    uint8_t* p = t.data();
    p[0] = kPageTableDefinition;
    p[1] = 0x01;
    WriteLe32(p + 12, kColumnUnknown);
    WriteLe32(p + kTdefRowCountOffset, pages.rowCount);
    WriteLe32(p + kTdefAutoNumberOffset, table.nextAutoNumber);
    p[kTdefAutoNumberFlagOffset] = 0x01;
    p[kTdefTableTypeOffset] = table.system ? kTableTypeSystem : kTableTypeUser;
    const auto ncols = static_cast<uint16_t>(table.columns.size());
    WriteLe16(p + kTdefMaxColumnsOffset, ncols);
    WriteLe16(p + kTdefVariableColumnsOffset, table.varCount);
    WriteLe16(p + kTdefColumnCountOffset, ncols);
    WriteLe32(p + kTdefLogicalIndexesOffset, 0);
    WriteLe32(p + kTdefPhysicalIndexesOffset, 0);
    WriteLe32(p + kTdefUsedPagesMapOffset, usedMap);
    WriteLe32(p + kTdefFreePagesMapOffset, freeMap);
    size_t off = kTdefColumnsOffset;
    for (uint16_t c = 0; c < ncols; ++c) {
        const TPhysColumn& col = table.columns[c];
        uint8_t* e = p + off;
        e[kColumnTypeOffset] = col.type;
        WriteLe32(e + 1, kColumnUnknown);
        WriteLe16(e + kColumnNumberOffset, c);
        WriteLe16(e + kColumnVariableIndexOffset, col.fixed ? 0 : col.varIndex);
        WriteLe16(e + kColumnNumberAgainOffset, c);
        const bool textual = col.type == kColumnText || col.type == kColumnMemo;
        WriteLe16(e + kColumnSortOrderOffset, textual || table.system ? kSortOrderGeneral : 0);
        e[kColumnFlagsOffset] = col.flags;
        e[kColumnCompressedTextOffset] = 0x00;  // text is stored without Unicode compression
        WriteLe16(e + kColumnFixedOffsetOffset, col.fixed ? col.fixedOffset : 0);
        WriteLe16(e + kColumnLengthOffset, col.length);
        off += kColumnEntrySize;
    }
    for (const auto& col : table.columns) {
        if (off + 2 + col.nameUtf16.size() > kPage) throw Error("table \"" + table.name + "\": too many columns for one definition page");
        WriteLe16(p + off, static_cast<uint16_t>(col.nameUtf16.size()));
        std::memcpy(p + off + 2, col.nameUtf16.data(), col.nameUtf16.size());
        off += 2 + col.nameUtf16.size();
    }
    for (const auto& [column, maps] : columnMaps) {
        if (off + 12 > kPage) throw Error("table \"" + table.name + "\": too many columns for one definition page");
        WriteLe16(p + off, static_cast<uint16_t>(column));
        WriteLe32(p + off + 2, maps.first);
        WriteLe32(p + off + 6, maps.second);
        off += kColumnMapEntrySize;
    }
    if (off + 2 + kTdefFreeSpaceBias > kPage)
        throw Error("table \"" + table.name + "\": too many columns for one definition page");
    WriteLe16(p + off, kEndOfColumnMaps);
    off += 2;
    WriteLe32(p + kTdefLengthOffset, static_cast<uint32_t>(off));
    WriteLe16(p + kDataFreeSpaceOffset, static_cast<uint16_t>(kPage - off - kTdefFreeSpaceBias));
    return t;
}

// The catalog columns, in column-number order, as Access 2000 defines them.
TPhysTable CatalogTable() {
    TPhysTable t;
    t.name = "MSysObjects";
    t.system = true;
    struct SystemColumn { const char* name; uint8_t type; uint16_t length; };
    static constexpr SystemColumn kSystemColumns[] = {
        {"Id", kColumnLong, 0},          {"ParentId", kColumnLong, 0},      {"Name", kColumnText, 510},
        {"Type", kColumnInteger, 0},     {"DateCreate", kColumnDateTime, 0}, {"DateUpdate", kColumnDateTime, 0},
        {"Owner", kColumnBinary, 510},   {"Flags", kColumnLong, 0},         {"Database", kColumnMemo, 0},
        {"Connect", kColumnMemo, 0},     {"ForeignName", kColumnText, 510}, {"RmtInfoShort", kColumnBinary, 510},
        {"RmtInfoLong", kColumnOle, 0},  {"Lv", kColumnOle, 0},             {"LvProp", kColumnOle, 0},
        {"LvModule", kColumnOle, 0},     {"LvExtra", kColumnOle, 0},
    };
    for (const auto& s : kSystemColumns) t.columns.push_back(MakeColumn(s.name, s.type, s.length, true));
    LayOutColumns(t);
    return t;
}

TPhysTable UserTable(const TTableDef& def) {
    TPhysTable t;
    t.name = def.name;
    t.rows = &def.rows;
    for (const auto& c : def.columns) {
        uint8_t type = kColumnText;
        switch (c.type) {
            case TColumnType::Text: type = kColumnText; break;
            case TColumnType::Memo: type = kColumnMemo; break;
            case TColumnType::LongInteger: type = kColumnLong; break;
            case TColumnType::Integer: type = kColumnInteger; break;
            case TColumnType::Byte: type = kColumnByte; break;
            case TColumnType::Boolean: type = kColumnBoolean; break;
            case TColumnType::Double: type = kColumnDouble; break;
        }
        TPhysColumn col = MakeColumn(c.name, type, static_cast<uint16_t>(c.length * 2), false);
        if (c.autoNumber) {
            col.flags |= kColumnAutoLong;
            int64_t highest = 0;
            const size_t index = static_cast<size_t>(&c - def.columns.data());
            for (const auto& row : def.rows)
                if (row[index]) highest = std::max(highest, *ParseInteger(*row[index]));
            t.nextAutoNumber = static_cast<uint32_t>(highest + 1);
        }
        t.columns.push_back(std::move(col));
    }
    LayOutColumns(t);
    return t;
}

}  // namespace

void ValidateDatabase(const TDatabaseDef& database) {
    if (!database.sql.empty()) throw Error("sql statements are for SQLite databases only (tovra-mksqlite)");
    const auto password = Utf16OrThrow(database.password, "the database password");
    if (password.size() > kPasswordBytesJet4)
        throw Error("the database password is longer than 20 characters");
    std::map<std::string, std::string> tableNames;
    for (const auto& table : database.tables) {
        CheckName(table.name, "a table");
        if (AsciiLowerCase(table.name).rfind("msys", 0) == 0)
            throw Error("table \"" + table.name + "\": names starting with MSys are kept for system tables");
        const auto [it, fresh] = tableNames.emplace(AsciiLowerCase(table.name), table.name);
        if (!fresh) throw Error("duplicate table \"" + table.name + "\" (already defined as \"" + it->second + "\")");
        if (table.columns.empty()) throw Error("table \"" + table.name + "\" has no columns");
        if (table.columns.size() > 255) throw Error("table \"" + table.name + "\" has more than 255 columns");
        std::map<std::string, std::string> columnNames;
        int autoNumbers = 0;
        for (const auto& col : table.columns) {
            CheckName(col.name, "a column of table \"" + table.name + "\"");
            const auto [cit, cfresh] = columnNames.emplace(AsciiLowerCase(col.name), col.name);
            if (!cfresh)
                throw Error("table \"" + table.name + "\": duplicate column \"" + col.name + "\" (already defined as \"" +
                            cit->second + "\")");
            if (col.type == TColumnType::Text && (col.length < 1 || col.length > 255))
                throw Error("table \"" + table.name + "\", column \"" + col.name + "\": Text length " +
                            std::to_string(col.length) + " is outside 1-255");
            if (col.autoNumber && col.type != TColumnType::LongInteger)
                throw Error("table \"" + table.name + "\", column \"" + col.name + "\": only a Long Integer can be an AutoNumber");
            if (col.autoNumber && ++autoNumbers > 1)
                throw Error("table \"" + table.name + "\" has more than one AutoNumber column");
        }
        for (size_t r = 0; r < table.rows.size(); ++r) {
            const TRow& row = table.rows[r];
            if (row.size() != table.columns.size())
                throw Error("table \"" + table.name + "\", row " + std::to_string(r + 1) + ": " + std::to_string(row.size()) +
                            " values for " + std::to_string(table.columns.size()) + " columns");
            for (size_t c = 0; c < row.size(); ++c) {
                const TColumnDef& col = table.columns[c];
                const TCell& cell = row[c];
                const std::string where = Where(table.name, r, col.name);
                if (!cell) {
                    if (col.type == TColumnType::Boolean) throw Error(where + ": a Boolean cannot be NULL");
                    continue;
                }
                const std::string& v = *cell;
                auto integerIn = [&](int64_t lo, int64_t hi) {
                    const auto n = ParseInteger(v);
                    if (!n) throw Error(where + ": \"" + v + "\" is not a whole number");
                    if (*n < lo || *n > hi)
                        throw Error(where + ": " + v + " is outside the range of " + TypeName(col.type) + " (" +
                                    std::to_string(lo) + " to " + std::to_string(hi) + ")");
                };
                switch (col.type) {
                    case TColumnType::Text: {
                        const auto utf16 = Utf16OrThrow(v, where);
                        if (utf16.size() / 2 > static_cast<size_t>(col.length))
                            throw Error(where + ": value of " + std::to_string(utf16.size() / 2) +
                                        " characters is too long for Text (" + std::to_string(col.length) + ")");
                        break;
                    }
                    case TColumnType::Memo: {
                        const auto utf16 = Utf16OrThrow(v, where);
                        if (utf16.size() >= (1u << 30)) throw Error(where + ": memo longer than 1 GB");
                        break;
                    }
                    case TColumnType::LongInteger:
                        integerIn(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
                        break;
                    case TColumnType::Integer: integerIn(-32768, 32767); break;
                    case TColumnType::Byte: integerIn(0, 255); break;
                    case TColumnType::Boolean:
                        if (!ParseBoolean(v)) throw Error(where + ": \"" + v + "\" is not a Boolean (0, 1, true, false)");
                        break;
                    case TColumnType::Double:
                        if (!ParseReal(v)) throw Error(where + ": \"" + v + "\" is not a number");
                        break;
                }
            }
        }
    }
}

std::vector<uint8_t> BuildJetImage(const TDatabaseDef& database) {
    ValidateDatabase(database);
    TImage image;
    image.NewPage(kPageDatabaseDefinition);        // 0: database definition (filled last)
    const uint32_t globalMap = image.NewDataPage(kGlobalUsageMapPage, false);
    TPhysTable catalog = CatalogTable();
    std::vector<TPhysTable> tables;
    for (const auto& def : database.tables) tables.push_back(UserTable(def));

    std::vector<TTablePages> pages(tables.size() + 1);
    pages[0].tdef = image.NewPage(kPageTableDefinition);  // 2: catalog definition
    for (size_t t = 0; t < tables.size(); ++t) pages[t + 1].tdef = image.NewPage(kPageTableDefinition);

    // Catalog rows: the three containers, the catalog itself, the user tables.
    const std::string date = [] {
        char buf[64];
        auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, kJetCreationDate);
        (void)ec;
        return std::string(buf, ptr);
    }();
    constexpr int64_t kTablesContainer = 0x0F000001;
    constexpr int64_t kRootContainer = 0x0F000000;
    std::vector<std::vector<TCell>> catalogRows;
    auto catalogRow = [&](int64_t id, int64_t parent, const std::string& name, int type, int64_t flags) {
        std::vector<TCell> row(catalog.columns.size());
        row[0] = std::to_string(static_cast<int32_t>(id));
        row[1] = std::to_string(static_cast<int32_t>(parent));
        row[2] = name;
        row[3] = std::to_string(type);
        row[4] = date;
        row[5] = date;
        row[7] = std::to_string(static_cast<int32_t>(flags));
        catalogRows.push_back(std::move(row));
    };
    catalogRow(kTablesContainer, kRootContainer, "Tables", 3, static_cast<int32_t>(0x80000000u));
    catalogRow(0x0F000002, kRootContainer, "Databases", 3, static_cast<int32_t>(0x80000000u));
    catalogRow(0x0F000003, kRootContainer, "Relationships", 3, static_cast<int32_t>(0x80000000u));
    catalogRow(pages[0].tdef, kTablesContainer, "MSysObjects", 1, static_cast<int32_t>(0x80000000u));
    for (size_t t = 0; t < tables.size(); ++t) catalogRow(pages[t + 1].tdef, kTablesContainer, tables[t].name, 1, 0);

    TWriter writer(image);
    writer.WriteRows(catalog, pages[0], catalogRows);
    for (size_t t = 0; t < tables.size(); ++t) writer.WriteRows(tables[t], pages[t + 1], database.tables[t].rows);

    // Usage maps, then the definitions that point at them.
    TMapStore maps(image);
    for (size_t t = 0; t <= tables.size(); ++t) {
        const TPhysTable& table = t == 0 ? catalog : tables[t - 1];
        TTablePages& owned = pages[t];
        const uint32_t used = maps.Add(IndirectMap(image, owned.data));
        const uint32_t free = maps.Add(InlineMap(owned.dataWithRoom));
        std::map<size_t, std::pair<uint32_t, uint32_t>> columnMaps;
        for (size_t c = 0; c < table.columns.size(); ++c) {
            if (!table.columns[c].longValue) continue;
            const auto& lv = owned.longValues[c];
            const uint32_t lvUsed = maps.Add(InlineMap(lv));
            const uint32_t lvFree = maps.Add(InlineMap(lv));
            columnMaps.emplace(c, std::make_pair(lvUsed, lvFree));
        }
        image.SetPage(owned.tdef, TableDefinition(table, owned, used, free, columnMaps));
    }

    // Global map: pages past the end of the file within its window are free.
    {
        std::vector<uint8_t> freeRow(kUsageMapRowSize, 0);
        for (uint32_t p = image.Count(); p < kUsageMapBitmapBytes * 8; ++p)
            freeRow[kUsageMapBitsOffset + p / 8] |= static_cast<uint8_t>(1u << (p % 8));
        image.AddRow(globalMap, freeRow);
        image.AddRow(globalMap, std::vector<uint8_t>(kUsageMapRowSize, 0));
    }

    image.SetPage(0, BuildHeaderPage(*Utf8ToUtf16Le(database.password)));
    return image.Bytes();
}

void WriteJetFile(const TDatabaseDef& database, const std::string& path) {
    const std::vector<uint8_t> bytes = BuildJetImage(database);
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace tovra::mkmdb
