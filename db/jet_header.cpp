// Page 0 checks that keep libmdb away from files it cannot read safely.
#include "db/jet_header.h"

#include <cstring>
#include <vector>

#include "db/jet_format.h"

namespace tovra::jet {

FileCheck CheckHeader(const unsigned char* data, size_t available, uint64_t fileSize) {
    if (available < kMaskedRegionOffset + kMaskedRegionJet4) return FileCheck::NotJet;
    if (data[0] != 0 || data[1] != 1 || data[2] != 0 || data[3] != 0) return FileCheck::NotJet;
    if (std::memcmp(data + kSignatureOffset, kJetSignature, kSignatureLength) != 0 &&
        std::memcmp(data + kSignatureOffset, kAceSignature, kSignatureLength) != 0)
        return FileCheck::NotJet;

    const bool jet3 = data[kVersionOffset] == kVersionJet3;
    const uint64_t pageSize = jet3 ? kJet3PageSize : kJet4PageSize;
    // Page 0 (definition), page 1 and page 2 (the catalog's table definition)
    // must be there, and the file is made of whole pages.
    if (fileSize < (kCatalogDefinitionPage + 1) * pageSize || fileSize % pageSize != 0)
        return FileCheck::TooShort;

    const size_t regionLength = jet3 ? kMaskedRegionJet3 : kMaskedRegionJet4;
    std::vector<unsigned char> region(data + kMaskedRegionOffset, data + kMaskedRegionOffset + regionLength);
    ApplyHeaderMask(region.data(), region.size());
    unsigned char* password = region.data() + (kPasswordOffset - kMaskedRegionOffset);
    const size_t passwordBytes = jet3 ? kPasswordBytesJet3 : kPasswordBytesJet4;
    if (!jet3) {
        double created;
        std::memcpy(&created, region.data() + (kCreationDateOffset - kMaskedRegionOffset), sizeof created);
        ApplyPasswordDateMask(password, passwordBytes, created);
    }
    for (size_t i = 0; i < passwordBytes; ++i)
        if (password[i] != 0) return FileCheck::PasswordProtected;
    return FileCheck::Ok;
}

}  // namespace tovra::jet
