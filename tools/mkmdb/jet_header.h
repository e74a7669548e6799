// The database definition page (page 0) of a Jet 4 file.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tovra::mkmdb {

// Page 0 with the Jet 4 signature, code page 1252, the General sort order,
// the creation date and the database password (empty: none). The password
// is stored as UCS-2 in the 40 bytes at 0x42, masked by the integer part of
// the creation date repeated as a 4-byte little-endian value; bytes 0x18 to
// 0x97 are then RC4-encoded with the fixed Jet key. `passwordUtf16Le` holds
// at most 40 bytes.
std::vector<uint8_t> BuildHeaderPage(const std::vector<unsigned char>& passwordUtf16Le);

// RC4 over `data` in place with the given key (the header's encoding is its
// own inverse).
void Rc4Transform(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length);

inline constexpr uint8_t kJetHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
inline constexpr size_t kJetHeaderEncodedStart = 0x18;
inline constexpr size_t kJetHeaderEncodedLength = 128;
inline constexpr size_t kJetPasswordOffset = 0x42;
inline constexpr size_t kJetPasswordLength = 40;
inline constexpr size_t kJetCreationDateOffset = 0x72;

}  // namespace tovra::mkmdb
