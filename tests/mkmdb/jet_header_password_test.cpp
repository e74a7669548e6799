// The database password as a protected file stores it, decoded back the way
// the format notes describe: RC4 over bytes 0x18-0x97 of page 0, then the
// 40 password bytes at 0x42 XORed with the integer part of the creation date
// (the double at 0x72) as a repeated 4-byte little-endian mask.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {
namespace {

// An RC4 of the test's own, so that the writer's is not checked against itself.
std::vector<uint8_t> Rc4(const std::vector<uint8_t>& key, std::vector<uint8_t> data) {
    std::vector<int> s(256);
    for (int i = 0; i < 256; ++i) s[i] = i;
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % key.size()]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (size_t k = 0, i = 0, j = 0; k < data.size(); ++k) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[k] ^= static_cast<uint8_t>(s[(s[i] + s[j]) & 0xFF]);
    }
    return data;
}

struct TDecodedHeader {
    std::u16string password;
    uint16_t codePage = 0;
    uint32_t sortOrder = 0;
    uint32_t key = 0;
    double created = 0;
};

TDecodedHeader Decode(const std::vector<uint8_t>& image) {
    std::vector<uint8_t> page(image.begin(), image.begin() + kJetPageSize);
    const auto plain = Rc4({0xC7, 0xDA, 0x39, 0x6B}, std::vector<uint8_t>(page.begin() + 0x18, page.begin() + 0x18 + 128));
    std::copy(plain.begin(), plain.end(), page.begin() + 0x18);
    TDecodedHeader h;
    std::memcpy(&h.created, &page[0x72], 8);
    h.codePage = static_cast<uint16_t>(page[0x3C] | (page[0x3D] << 8));
    std::memcpy(&h.key, &page[0x3E], 4);
    std::memcpy(&h.sortOrder, &page[0x6E], 4);
    const uint32_t mask = static_cast<uint32_t>(static_cast<int64_t>(h.created));
    for (size_t i = 0; i < 40; i += 2) {
        const uint8_t lo = page[0x42 + i] ^ static_cast<uint8_t>(mask >> (8 * (i % 4)));
        const uint8_t hi = page[0x43 + i] ^ static_cast<uint8_t>(mask >> (8 * ((i + 1) % 4)));
        const char16_t c = static_cast<char16_t>(lo | (hi << 8));
        if (c == 0) break;
        h.password.push_back(c);
    }
    return h;
}

TEST(JetHeaderPassword, StoredMaskedAndDecodesBack) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"a", u"a"},
        {"Selah-1611", u"Selah-1611"},
        {"12345678901234567890", u"12345678901234567890"},
        {"\xCF\x80\xCE\xAC\xCF\x83\xCF\x87\xCE\xB1", u"\u03C0\u03AC\u03C3\u03C7\u03B1"},  // πάσχα
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        TDatabaseDef db;
        db.password = c.utf8;
        db.tables.push_back({"Dictionary", {{"Topic", TColumnType::Text, 10, false}}, {{"Selah"}}});
        const auto image = BuildJetImage(db);
        const TDecodedHeader h = Decode(image);
        EXPECT_EQ(h.password, c.utf16);
        EXPECT_EQ(h.codePage, 1252);
        EXPECT_EQ(h.sortOrder, 0x409u);
        EXPECT_EQ(h.key, 0u);  // not an encrypted database
        EXPECT_DOUBLE_EQ(h.created, kJetCreationDate);
        if (!c.utf8.empty()) {
            // The password must not be readable in the file as it stands.
            const std::string raw(image.begin() + 0x42, image.begin() + 0x42 + 40);
            EXPECT_EQ(raw.find(c.utf8.substr(0, 1) + std::string(1, '\0')), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tovra::mkmdb
