#include "tools/mkmdb/jet_header.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"
#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {

void Rc4Transform(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length) {
    uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<uint8_t>(j + s[i] + key[static_cast<size_t>(i) % keyLength]);
        std::swap(s[i], s[j]);
    }
    uint8_t a = 0;
    uint8_t b = 0;
    for (size_t k = 0; k < length; ++k) {
        a = static_cast<uint8_t>(a + 1);
        b = static_cast<uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        data[k] ^= s[static_cast<uint8_t>(s[a] + s[b])];
    }
}

std::vector<uint8_t> BuildHeaderPage(const std::vector<unsigned char>& passwordUtf16Le) {
    std::vector<uint8_t> page(kJetPageSize, 0);
    uint8_t* p = page.data();
    // Page type 0, then the file signature and the Jet version (1 = Jet 4).
    p[1] = 0x01;
    std::memcpy(p + 4, "Standard Jet DB", 15);
    p[0x14] = 0x01;
    // Fields of the encoded block, as Access 2000 lays them out.
    static constexpr uint8_t kLeadIn[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                          0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                          0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::memcpy(p + 0x18, kLeadIn, sizeof kLeadIn);
    WriteLe16(p + 0x3C, 1252);  // default code page
    WriteLe32(p + 0x3E, 0);     // database key: not encrypted
    WriteLe16(p + 0x6A, 0x21AA);
    WriteLe32(p + 0x6E, 0x0409);  // General sort order
    std::memcpy(p + kJetCreationDateOffset, &kJetCreationDate, sizeof kJetCreationDate);

    uint8_t password[kJetPasswordLength] = {};
    const size_t passwordBytes = std::min(passwordUtf16Le.size(), kJetPasswordLength);
    if (passwordBytes > 0) std::memcpy(password, passwordUtf16Le.data(), passwordBytes);
    const uint32_t mask = static_cast<uint32_t>(static_cast<int64_t>(kJetCreationDate));
    for (size_t i = 0; i < kJetPasswordLength; ++i)
        p[kJetPasswordOffset + i] = password[i] ^ static_cast<uint8_t>(mask >> (8 * (i % 4)));

    Rc4Transform(kJetHeaderKey, sizeof kJetHeaderKey, p + kJetHeaderEncodedStart, kJetHeaderEncodedLength);

    // Plain fields after the encoded block.
    WriteLe32(p + 0x98, 0x0654);
    std::memcpy(p + 0x9C, "4.0", 4);
    p[0xE00] = 0x01;
    p[0xE01] = 0x01;
    for (size_t off = 0xE03; off < kJetPageSize; off += 2) p[off] = 0x01;
    return page;
}

}  // namespace tovra::mkmdb
