// The database definition page (page 0) of a Jet file, as far as tovra
// looks at it before handing a file to libmdb.
//
//   0x00  4 bytes  00 01 00 00
//   0x04 16 bytes  "Standard Jet DB\0" (or "Standard ACE DB\0")
//   0x14  1 byte   version: 0 Jet 3 (2 KB pages), 1 Jet 4 (4 KB pages), 2+ ACE
//   0x18           start of the region masked with RC4 (key 0x6B39DAC7):
//                  126 bytes in Jet 3, 128 bytes in Jet 4
//   0x42 20/40 B   database password (Jet 3 / Jet 4 UCS-2), inside the region;
//                  in Jet 4 further masked with the 4 little-endian bytes of
//                  the whole days of the creation date
//   0x72  8 bytes  creation date (double, days since 1899-12-30), inside the region
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovra::jet {

inline constexpr uint32_t kHeaderRc4Key = 0x6B39DAC7;
inline constexpr size_t kVersionOffset = 0x14;
inline constexpr size_t kMaskedRegionOffset = 0x18;
inline constexpr size_t kMaskedRegionJet3 = 126;
inline constexpr size_t kMaskedRegionJet4 = 128;
inline constexpr size_t kPasswordOffset = 0x42;
inline constexpr size_t kPasswordBytesJet3 = 20;
inline constexpr size_t kPasswordBytesJet4 = 40;
inline constexpr size_t kCreationDateOffset = 0x72;

enum class FileCheck { Ok, NotJet, TooShort, PasswordProtected };

// Checks the first page of a file: the Jet signature, that the file holds at
// least the definition page and the catalog page, and whether a database
// password is set. `data` is the start of the file, `fileSize` its length.
FileCheck CheckHeader(const unsigned char* data, size_t available, uint64_t fileSize);

// Applies (or removes: it is its own inverse) the RC4 mask of the definition
// page to `length` bytes.
void ApplyHeaderMask(unsigned char* region, size_t length);

}  // namespace tovra::jet
