#include "tools/mkmdb/jet_header.h"

#include <algorithm>
#include <cstring>

#include "db/jet_format.h"
#include "platform/little_endian.h"
#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {

std::vector<uint8_t> BuildHeaderPage(const std::vector<unsigned char>& passwordUtf16Le) {
    using namespace jet;
    std::vector<uint8_t> page(kJet4PageSize, 0);
    uint8_t* p = page.data();
    // Page type 0, then the file signature and the Jet version.
    p[0] = kPageDatabaseDefinition;
    p[1] = 0x01;
    std::memcpy(p + kSignatureOffset, kJetSignature, kSignatureLength);
    p[kVersionOffset] = kVersionJet4;
    // Fields of the masked region, as Access 2000 lays them out.
    static constexpr uint8_t kLeadIn[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                          0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                          0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::memcpy(p + kMaskedRegionOffset, kLeadIn, sizeof kLeadIn);
    WriteLe16(p + kCodePageOffset, 1252);
    WriteLe32(p + kDatabaseKeyOffset, 0);  // not encrypted
    WriteLe16(p + 0x6A, 0x21AA);
    WriteLe32(p + kSortOrderOffset, kSortOrderGeneral);
    std::memcpy(p + kCreationDateOffset, &kJetCreationDate, sizeof kJetCreationDate);

    uint8_t* password = p + kPasswordOffset;
    if (!passwordUtf16Le.empty())
        std::memcpy(password, passwordUtf16Le.data(), std::min(passwordUtf16Le.size(), kPasswordBytesJet4));
    ApplyPasswordDateMask(password, kPasswordBytesJet4, kJetCreationDate);
    ApplyHeaderMask(p + kMaskedRegionOffset, kMaskedRegionJet4);

    // Plain fields after the masked region.
    WriteLe32(p + 0x98, 0x0654);
    std::memcpy(p + 0x9C, "4.0", 4);
    p[0xE00] = 0x01;
    p[0xE01] = 0x01;
    for (size_t off = 0xE03; off < kJet4PageSize; off += 2) p[off] = 0x01;
    return page;
}

}  // namespace tovra::mkmdb
