// Layout of a Lectern 5 Bible module (.lt5bible), shared by the reader, the
// module builder and the tests.
//
// All integers are little-endian (platform/little_endian.h); every offset is an absolute byte offset from
// the start of the file. A length-prefixed text is one unsigned length byte
// followed by that many 8-bit characters inside a field of fixed width.
//
//   +---------------------------+  0
//   | header (618 bytes)        |     counts, table offsets, field
//   |                           |     descriptors, magic "LT5BIB", hash
//   +---------------------------+  (anywhere after the header, in any order)
//   | verse record table        |     V records of 11 bytes, canonical order:
//   |                           |     bytes 0-7 unused here, 8 book,
//   |                           |     9 chapter, 10 verse (unsigned bytes)
//   | first-verse table         |     B x uint16: ordinal of each book's
//   |                           |     first verse
//   | highest-chapter table     |     B x uint8
//   | compressed fields         |     zlib streams (RFC 1950) of 8-bit comma
//   |                           |     text: alternate names, book names,
//   |                           |     word list
//   +---------------------------+
//
// Header fields (offset: size, content):
//     0: 200  free; covered by the hash
//   200:  61  length-prefixed title, up to 60 characters
//   261:  11  length-prefixed short code, up to 10 characters ("KJV")
//   272:   2  book count B
//   274:   2  verse count V (also the highest verse ordinal)
//   276:   4  non-zero when the word list is present
//   343:   4  offset of the verse record table (signed)
//   347:   4  offset of the first-verse table (signed)
//   351:   4  offset of the highest-chapter table (signed)
//   355..363  offsets of three further sections, unused here
//   367:  12  field descriptor of the word list
//   403:  12  field descriptor of the alternate book names
//   415:  12  field descriptor of the book names
//   427:  12  field descriptor of a further text, unused here
//   607:   7  magic: length byte 6, then "LT5BIB"
//   614:   4  hash: seeded Adler-32 of bytes 0-613
//
// A field descriptor is three uint32: offset of the compressed bytes (0: the
// field is absent and reads as empty text), number of compressed bytes,
// number of bytes after inflating (0: not stated).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovra::lt5 {

inline constexpr std::size_t kHeaderSize = 618;

inline constexpr std::size_t kTitleOffset = 200;
inline constexpr std::size_t kTitleMaxLength = 60;
inline constexpr std::size_t kShortCodeOffset = 261;
inline constexpr std::size_t kShortCodeMaxLength = 10;
inline constexpr std::size_t kBookCountOffset = 272;
inline constexpr std::size_t kVerseCountOffset = 274;
inline constexpr std::size_t kWordListFlagOffset = 276;

inline constexpr std::size_t kVerseTableOffsetField = 343;
inline constexpr std::size_t kFirstVerseTableOffsetField = 347;
inline constexpr std::size_t kMaxChapterTableOffsetField = 351;

inline constexpr std::size_t kFieldDescriptorSize = 12;
inline constexpr std::size_t kWordListDescriptor = 367;
inline constexpr std::size_t kAltBookNamesDescriptor = 403;
inline constexpr std::size_t kBookNamesDescriptor = 415;
inline constexpr std::size_t kFurtherTextDescriptor = 427;

inline constexpr std::size_t kMagicOffset = 607;
inline constexpr std::size_t kMagicFieldSize = 7;
inline constexpr char kMagicText[] = "LT5BIB";
inline constexpr std::size_t kMagicLength = 6;

inline constexpr std::size_t kHashOffset = 614;
inline constexpr std::size_t kHashedSize = 614;
inline constexpr std::uint32_t kPrimaryHashSeed = 0x4C2B9E17u;
inline constexpr std::uint32_t kSecondaryHashSeed = 0x91D3A6F0u;

inline constexpr std::size_t kVerseRecordSize = 11;
inline constexpr std::size_t kRecordBookByte = 8;
inline constexpr std::size_t kRecordChapterByte = 9;
inline constexpr std::size_t kRecordVerseByte = 10;

// The largest text a compressed field may inflate to. The real name lists are
// a few hundred bytes and the word list of a whole Bible well under 1 MiB; a
// stream that yields more is treated as damaged (or as a decompression bomb).
inline constexpr std::size_t kMaxUnpackedFieldSize = 16u * 1024u * 1024u;

}  // namespace tovra::lt5
