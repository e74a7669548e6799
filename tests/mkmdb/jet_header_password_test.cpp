// The database password as a protected file stores it, decoded back with the
// format's own unmasking: RC4 over the masked region of page 0, then the 40
// password bytes XORed with the whole days of the creation date. The RC4 is
// checked against published test vectors in tests/db/jet_format_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "db/jet_format.h"
#include "platform/little_endian.h"
#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {
namespace {

struct TDecodedHeader {
    std::u16string password;
    uint16_t codePage = 0;
    uint32_t sortOrder = 0;
    uint32_t key = 0;
    double created = 0;
};

TDecodedHeader Decode(const std::vector<uint8_t>& image) {
    using namespace jet;
    std::vector<uint8_t> page(image.begin(), image.begin() + kJet4PageSize);
    ApplyHeaderMask(page.data() + kMaskedRegionOffset, kMaskedRegionJet4);
    TDecodedHeader h;
    std::memcpy(&h.created, &page[kCreationDateOffset], 8);
    h.codePage = ReadLe16(&page[kCodePageOffset]);
    h.key = ReadLe32(&page[kDatabaseKeyOffset]);
    h.sortOrder = ReadLe32(&page[kSortOrderOffset]);
    ApplyPasswordDateMask(&page[kPasswordOffset], kPasswordBytesJet4, h.created);
    for (size_t i = 0; i < kPasswordBytesJet4; i += 2) {
        const char16_t c = ReadLe16(&page[kPasswordOffset + i]);
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
            const std::string raw(image.begin() + jet::kPasswordOffset,
                                  image.begin() + jet::kPasswordOffset + jet::kPasswordBytesJet4);
            EXPECT_EQ(raw.find(c.utf8.substr(0, 1) + std::string(1, '\0')), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tovra::mkmdb
