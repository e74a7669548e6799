// The Jet file format (Microsoft Access 97 and 2000), as far as tovra reads
// and writes it: the constants shared by the database reader (db/), the
// test-database writer (tools/mkmdb) and their tests, the one RC4 of the
// format, and the pages the writer produces.
//
// A file is a sequence of pages of one size, 2048 bytes in Jet 3 and 4096 in
// Jet 4; page n starts at byte n * page size. The first byte of a page gives
// its type. Integers are little-endian (platform/little_endian.h). A page
// pointer names one row of a data page: page number << 8 | row number.
// Offsets below are Jet 4 unless a Jet 3 value is given.
//
// Page 0, the database definition:
//
//   +--------+------+----------------------------------------------------+
//   | 0x00   |    4 | 00 01 00 00                                        |
//   | 0x04   |   16 | "Standard Jet DB\0" ("Standard ACE DB\0" for ACE)  |
//   | 0x14   |    1 | version: 0 Jet 3, 1 Jet 4, 2 and up ACE            |
//   | 0x18   |  128 | masked region, RC4 with the key C7 DA 39 6B        |
//   |        |      | (Jet 3: 126 bytes); inside it:                     |
//   |   0x3C |    2 |   code page (1252)                                 |
//   |   0x3E |    4 |   database key (0: the pages are not encrypted)    |
//   |   0x42 |   40 |   password, UCS-2, 0-filled (Jet 3: 20 bytes);     |
//   |        |      |   Jet 4 XORs it once more with the whole days of   |
//   |        |      |   the creation date as 4 repeated LE bytes         |
//   |   0x6E |    4 |   sort order (0x0409 General)                      |
//   |   0x72 |    8 |   creation date: double, days since 1899-12-30     |
//   +--------+------+----------------------------------------------------+
//
// A data page (type 0x01) holds rows, stored from the end of the page down:
//
//   +--------+------+----------------------------------------------------+
//   | 0x00   |    1 | 0x01                                               |
//   | 0x01   |    1 | 0x01                                               |
//   | 0x02   |    2 | free bytes between the offset table and the rows   |
//   | 0x04   |    4 | page of the owning table's definition, or "LVAL"   |
//   |        |      | on a long-value page                               |
//   | 0x08   |    4 | 0                                                  |
//   | 0x0C   |    2 | row count N                                        |
//   | 0x0E   |   2N | row offsets; the low 13 bits are the offset, 0x4000|
//   |        |      | marks a lookup and 0x8000 a deleted row            |
//   |        |  ... | free space                                         |
//   |        |  ... | row N-1 ... row 1, row 0 (ending at the page end)  |
//   +--------+------+----------------------------------------------------+
//
// Row i runs from its offset to the offset of row i-1 (row 0 to the end of
// the page). A row of a table:
//
//   2 bytes   column count
//   n bytes   fixed-length columns, each at its fixed offset
//   n bytes   variable-length columns, in column order
//   2 bytes   end of the variable data (offset from the start of the row)
//   2 bytes   per variable column its offset, the last column first
//   2 bytes   variable column count
//   n bytes   null mask, one bit per column from the low bit of the first
//             byte: 1 present, 0 NULL (for a Boolean: its value)
//
// A memo or OLE column holds a 12-byte long-value header in the row:
//
//   +------+---+----------------------------------------------------------+
//   | 0x00 | 4 | length in bytes (low 30 bits) | where the bytes are:     |
//   |      |   |   0x80000000 in the row, after these 12 bytes            |
//   |      |   |   0x40000000 in one row of a long-value page             |
//   |      |   |   0          in a chain of rows on long-value pages      |
//   | 0x04 | 4 | page pointer of the (first) long-value row               |
//   | 0x08 | 4 | 0                                                        |
//   +------+---+----------------------------------------------------------+
//
// Each row of a chain starts with the 4-byte page pointer of the next row (0
// in the last one), followed by its part of the bytes. A chain never meets a
// row twice, and as each of its rows but the last fills a page, it has no
// more links than the file has pages; a reader that follows a longer chain
// is reading a damaged file.
//
// A table definition page (type 0x02):
//
//   +------+------+------------------------------------------------------+
//   | 0x00 |    1 | 0x02                                                 |
//   | 0x01 |    1 | 0x01                                                 |
//   | 0x02 |    2 | free bytes minus 8                                   |
//   | 0x04 |    4 | next definition page (0: none)                       |
//   | 0x08 |    4 | length of the definition                             |
//   | 0x0C |    4 | 0x0659 (as Access writes it)                         |
//   | 0x10 |    4 | row count                                            |
//   | 0x14 |    4 | next AutoNumber value                                |
//   | 0x18 |    1 | AutoNumber flag (1)                                  |
//   | 0x28 |    1 | table type: 0x4E user, 0x53 system                   |
//   | 0x29 |    2 | highest column count                                 |
//   | 0x2B |    2 | variable column count                                |
//   | 0x2D |    2 | column count C                                       |
//   | 0x2F |    4 | logical index count                                  |
//   | 0x33 |    4 | physical index count                                 |
//   | 0x37 |    4 | page pointer of the used-pages map                   |
//   | 0x3B |    4 | page pointer of the free-space map                   |
//   | 0x3F |  25C | column entries (below), in column order              |
//   |      |  ... | column names: 2-byte length in bytes, then UCS-2     |
//   |      | 10 n | per long-value column: 2-byte column number, its     |
//   |      |      | used-pages and free-space map pointers               |
//   |      |    2 | 0xFFFF                                               |
//   +------+------+------------------------------------------------------+
//
//   Column entry: 0 type, 1 0x0659 (4 bytes), 5 column number, 7 index among
//   the variable columns, 9 column number, 11 sort order (text) or
//   precision and scale, 15 flags, 16 1 for compressed text, 21 offset among
//   the fixed columns, 23 length (bytes of a fixed column, the maximum of a
//   Text column, 0 for long values).
//
// A usage map is one row of a data page. Type 0 holds the bitmap itself:
// 0x00, the 4-byte number of the first page it covers, 64 bytes of bits (bit
// n from the low bit of the first byte: page first + n). Type 1 points to
// bitmap pages: 0x01, then 4-byte page numbers, the k-th covering pages
// k * kPagesPerBitmapPage onwards. A bitmap page (type 0x05) is 05 01 00 00
// and then its bits.
//
// The files tools/mkmdb writes hold, in this order:
//
//   page 0        the database definition
//   page 1        the global usage map: a data page with two map rows
//   page 2        the definition of the catalog, MSysObjects
//   pages 3..     the definition of each user table, in the order given
//   then          the catalog's rows, then each table's rows, on data pages
//                 filled in row order, and the long-value pages of each memo
//                 column as its values need them: a value of up to 64 bytes
//                 stays in its row, longer ones that fit a page share
//                 long-value pages, a value longer than a page gets a chain
//                 of pages of its own
//   then          the usage maps: bitmap pages and the data pages that hold
//                 the map rows of every table, the catalog first
//
// Text is stored as uncompressed UCS-2; no table has an index.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace tovra::jet {

// ------------------------------------------------------------------ pages

inline constexpr std::size_t kJet3PageSize = 2048;
inline constexpr std::size_t kJet4PageSize = 4096;

enum PageType : std::uint8_t {
    kPageDatabaseDefinition = 0x00,
    kPageData = 0x01,
    kPageTableDefinition = 0x02,
    kPageUsageBitmap = 0x05,
};

inline constexpr std::uint32_t kGlobalUsageMapPage = 1;
inline constexpr std::uint32_t kCatalogDefinitionPage = 2;

inline constexpr std::uint32_t PagePointer(std::uint32_t page, std::uint8_t row) { return page << 8 | row; }
inline constexpr std::uint32_t PageOfPointer(std::uint32_t pointer) { return pointer >> 8; }
inline constexpr std::uint8_t RowOfPointer(std::uint32_t pointer) { return static_cast<std::uint8_t>(pointer); }

// ---------------------------------------------------------------- page 0

inline constexpr std::size_t kSignatureOffset = 0x04;
inline constexpr char kJetSignature[] = "Standard Jet DB";
inline constexpr char kAceSignature[] = "Standard ACE DB";
inline constexpr std::size_t kSignatureLength = 15;

inline constexpr std::size_t kVersionOffset = 0x14;
inline constexpr std::uint8_t kVersionJet3 = 0;
inline constexpr std::uint8_t kVersionJet4 = 1;

inline constexpr std::size_t kMaskedRegionOffset = 0x18;
inline constexpr std::size_t kMaskedRegionJet3 = 126;
inline constexpr std::size_t kMaskedRegionJet4 = 128;
inline constexpr std::uint8_t kHeaderRc4Key[4] = {0xC7, 0xDA, 0x39, 0x6B};

inline constexpr std::size_t kCodePageOffset = 0x3C;
inline constexpr std::size_t kDatabaseKeyOffset = 0x3E;
inline constexpr std::size_t kPasswordOffset = 0x42;
inline constexpr std::size_t kPasswordBytesJet3 = 20;
inline constexpr std::size_t kPasswordBytesJet4 = 40;
inline constexpr std::size_t kSortOrderOffset = 0x6E;
inline constexpr std::size_t kCreationDateOffset = 0x72;

inline constexpr std::uint16_t kSortOrderGeneral = 0x0409;

// ------------------------------------------------------------ data pages

inline constexpr std::size_t kDataFreeSpaceOffset = 0x02;
inline constexpr std::size_t kDataOwnerOffset = 0x04;
inline constexpr char kLongValueOwner[] = "LVAL";  // the owner of a long-value page
inline constexpr std::size_t kDataRowCountOffset = 0x0C;
inline constexpr std::size_t kDataHeaderSize = 0x0E;  // the row offset table follows
inline constexpr std::uint16_t kRowOffsetMask = 0x1FFF;
inline constexpr std::uint16_t kRowLookupFlag = 0x4000;
inline constexpr std::uint16_t kRowDeletedFlag = 0x8000;

// ----------------------------------------------------------- long values

inline constexpr std::size_t kLongValueHeaderSize = 12;
inline constexpr std::size_t kLongValuePointerOffset = 4;
inline constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFF;
inline constexpr std::uint32_t kLongValueKindMask = 0xC0000000;
inline constexpr std::uint32_t kLongValueInRow = 0x80000000;
inline constexpr std::uint32_t kLongValueSingleRow = 0x40000000;
inline constexpr std::uint32_t kLongValueChain = 0x00000000;
inline constexpr std::size_t kLongValueLinkSize = 4;  // the next-row pointer of a chained row

// ----------------------------------------------------- table definitions

inline constexpr std::size_t kTdefNextPageOffset = 0x04;
inline constexpr std::size_t kTdefLengthOffset = 0x08;
inline constexpr std::size_t kTdefRowCountOffset = 0x10;
inline constexpr std::size_t kTdefAutoNumberOffset = 0x14;
inline constexpr std::size_t kTdefAutoNumberFlagOffset = 0x18;
inline constexpr std::size_t kTdefTableTypeOffset = 0x28;
inline constexpr std::size_t kTdefMaxColumnsOffset = 0x29;
inline constexpr std::size_t kTdefVariableColumnsOffset = 0x2B;
inline constexpr std::size_t kTdefColumnCountOffset = 0x2D;
inline constexpr std::size_t kTdefLogicalIndexesOffset = 0x2F;
inline constexpr std::size_t kTdefPhysicalIndexesOffset = 0x33;
inline constexpr std::size_t kTdefUsedPagesMapOffset = 0x37;
inline constexpr std::size_t kTdefFreePagesMapOffset = 0x3B;
inline constexpr std::size_t kTdefColumnsOffset = 0x3F;
// The free-space field of a definition page counts 8 bytes less than are free.
inline constexpr std::size_t kTdefFreeSpaceBias = 8;
inline constexpr std::uint8_t kTableTypeUser = 0x4E;
inline constexpr std::uint8_t kTableTypeSystem = 0x53;
inline constexpr std::uint16_t kEndOfColumnMaps = 0xFFFF;

inline constexpr std::size_t kColumnEntrySize = 25;
inline constexpr std::size_t kColumnTypeOffset = 0;
inline constexpr std::size_t kColumnNumberOffset = 5;
inline constexpr std::size_t kColumnVariableIndexOffset = 7;
inline constexpr std::size_t kColumnNumberAgainOffset = 9;
inline constexpr std::size_t kColumnSortOrderOffset = 11;
inline constexpr std::size_t kColumnFlagsOffset = 15;
inline constexpr std::size_t kColumnCompressedTextOffset = 16;
inline constexpr std::size_t kColumnFixedOffsetOffset = 21;
inline constexpr std::size_t kColumnLengthOffset = 23;
inline constexpr std::size_t kColumnMapEntrySize = 10;

enum ColumnType : std::uint8_t {
    kColumnBoolean = 0x01,
    kColumnByte = 0x02,
    kColumnInteger = 0x03,
    kColumnLong = 0x04,
    kColumnMoney = 0x05,
    kColumnFloat = 0x06,
    kColumnDouble = 0x07,
    kColumnDateTime = 0x08,
    kColumnBinary = 0x09,
    kColumnText = 0x0A,
    kColumnOle = 0x0B,
    kColumnMemo = 0x0C,
};

enum ColumnFlag : std::uint8_t {
    kColumnFixedLength = 0x01,
    kColumnNullable = 0x02,
    kColumnAutoLong = 0x04,
    kColumnSystem = 0x10,
};

// ------------------------------------------------------------ usage maps

inline constexpr std::uint8_t kUsageMapInline = 0x00;
inline constexpr std::uint8_t kUsageMapIndirect = 0x01;
inline constexpr std::size_t kUsageMapStartOffset = 1;  // type 0: first page covered
inline constexpr std::size_t kUsageMapBitsOffset = 5;   // type 0: the bitmap
inline constexpr std::size_t kUsageMapBitmapBytes = 64;
inline constexpr std::size_t kUsageMapRowSize = kUsageMapBitsOffset + kUsageMapBitmapBytes;
inline constexpr std::size_t kBitmapPageHeaderSize = 4;
inline constexpr std::uint32_t kPagesPerBitmapPage = (kJet4PageSize - kBitmapPageHeaderSize) * 8;

// ------------------------------------------------------------------- RC4

// RC4 over `data` in place with `key`; applied twice it gives the data back.
inline void Rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length) {
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[static_cast<std::size_t>(i) % keyLength]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t k = 0; k < length; ++k) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        data[k] ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
    }
}

// Masks (or unmasks) the region of page 0 that starts at kMaskedRegionOffset.
inline void ApplyHeaderMask(std::uint8_t* region, std::size_t length) {
    Rc4(kHeaderRc4Key, sizeof kHeaderRc4Key, region, length);
}

// XORs a Jet 4 password field (already unmasked from RC4) with the whole days
// of the creation date, repeated as 4 little-endian bytes; applied twice it
// gives the field back. A date that is not a number from 0 to 2^32 days
// masks nothing.
inline void ApplyPasswordDateMask(std::uint8_t* password, std::size_t length, double creationDate) {
    std::uint32_t days = 0;
    if (std::isfinite(creationDate) && creationDate >= 0 && creationDate < 4294967296.0)
        days = static_cast<std::uint32_t>(creationDate);
    for (std::size_t i = 0; i < length; ++i) password[i] ^= static_cast<std::uint8_t>(days >> (8 * (i % 4)));
}

}  // namespace tovra::jet
