// Page 0 checks that keep libmdb away from files it cannot read safely.
#include "db/jet_header.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace tovra::jet {

void ApplyHeaderMask(unsigned char* region, size_t length) {
    unsigned char key[4] = {static_cast<unsigned char>(kHeaderRc4Key & 0xFF),
                            static_cast<unsigned char>((kHeaderRc4Key >> 8) & 0xFF),
                            static_cast<unsigned char>((kHeaderRc4Key >> 16) & 0xFF),
                            static_cast<unsigned char>((kHeaderRc4Key >> 24) & 0xFF)};
    unsigned char s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        region[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

FileCheck CheckHeader(const unsigned char* data, size_t available, uint64_t fileSize) {
    static const char kJet[] = "Standard Jet DB";
    static const char kAce[] = "Standard ACE DB";
    if (available < kMaskedRegionOffset + kMaskedRegionJet4) return FileCheck::NotJet;
    if (data[0] != 0 || data[1] != 1 || data[2] != 0 || data[3] != 0) return FileCheck::NotJet;
    if (std::memcmp(data + 4, kJet, 15) != 0 && std::memcmp(data + 4, kAce, 15) != 0)
        return FileCheck::NotJet;

    const bool jet3 = data[kVersionOffset] == 0;
    const uint64_t pageSize = jet3 ? 2048 : 4096;
    // Page 0 (definition), page 1 and page 2 (the catalog's table definition)
    // must be there, and the file is made of whole pages.
    if (fileSize < 3 * pageSize || fileSize % pageSize != 0) return FileCheck::TooShort;

    const size_t regionLength = jet3 ? kMaskedRegionJet3 : kMaskedRegionJet4;
    std::vector<unsigned char> region(data + kMaskedRegionOffset,
                                      data + kMaskedRegionOffset + regionLength);
    ApplyHeaderMask(region.data(), region.size());
    const unsigned char* password = region.data() + (kPasswordOffset - kMaskedRegionOffset);
    const size_t passwordBytes = jet3 ? kPasswordBytesJet3 : kPasswordBytesJet4;

    unsigned char dateMask[4] = {0, 0, 0, 0};
    if (!jet3) {
        double created;
        std::memcpy(&created, region.data() + (kCreationDateOffset - kMaskedRegionOffset),
                    sizeof created);
        if (std::isfinite(created) && created >= 0 && created < 4294967296.0) {
            uint32_t days = static_cast<uint32_t>(created);
            for (int i = 0; i < 4; ++i) dateMask[i] = static_cast<unsigned char>(days >> (8 * i));
        }
    }
    for (size_t i = 0; i < passwordBytes; ++i) {
        if ((password[i] ^ dateMask[i % 4]) != 0) return FileCheck::PasswordProtected;
    }
    return FileCheck::Ok;
}

}  // namespace tovra::jet
