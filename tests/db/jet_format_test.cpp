// The format's RC4 against published test vectors, and the page 0 checks on
// headers built here byte by byte and on an independently written file.
#include "db/jet_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "db/jet_header.h"
#include "platform/little_endian.h"

namespace tovra::jet {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

TEST(JetFormatTest, Rc4MatchesPublishedVectorsAndUndoesItself) {
    const struct {
        const char* key;
        const char* plain;
        std::vector<std::uint8_t> cipher;
    } cases[] = {
        {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
        {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
        {"Secret", "Attack at dawn",
         {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const std::vector<std::uint8_t> key = Bytes(c.key);
        std::vector<std::uint8_t> data = Bytes(c.plain);
        Rc4(key.data(), key.size(), data.data(), data.size());
        EXPECT_EQ(data, c.cipher);
        Rc4(key.data(), key.size(), data.data(), data.size());
        EXPECT_EQ(data, Bytes(c.plain));
    }
}

TEST(JetFormatTest, PasswordDateMaskUsesTheWholeDaysAndUndoesItself) {
    std::uint8_t field[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ApplyPasswordDateMask(field, sizeof field, 38143.546523784724);  // 38143 = 0x94FF
    const std::uint8_t masked[8] = {1 ^ 0xFF, 2 ^ 0x94, 3, 4, 5 ^ 0xFF, 6 ^ 0x94, 7, 8};
    EXPECT_EQ(std::memcmp(field, masked, sizeof field), 0);
    ApplyPasswordDateMask(field, sizeof field, 38143.546523784724);
    const std::uint8_t plain[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(std::memcmp(field, plain, sizeof field), 0);
    // A date that is no day count masks nothing.
    for (double date : {-1.0, 5e9, std::nan("")}) {
        ApplyPasswordDateMask(field, sizeof field, date);
        EXPECT_EQ(std::memcmp(field, plain, sizeof field), 0) << date;
    }
}

// Page 0 of a Jet 3 or Jet 4 file with `password` (8-bit for Jet 3, UCS-2
// bytes for Jet 4) masked the way Access masks it.
std::vector<std::uint8_t> HeaderPage(std::uint8_t version, const std::vector<std::uint8_t>& password,
                                     const char* signature = kJetSignature) {
    const bool jet3 = version == kVersionJet3;
    std::vector<std::uint8_t> page(jet3 ? kJet3PageSize : kJet4PageSize, 0);
    page[1] = 0x01;
    std::memcpy(page.data() + kSignatureOffset, signature, kSignatureLength);
    page[kVersionOffset] = version;
    if (!password.empty()) std::memcpy(page.data() + kPasswordOffset, password.data(), password.size());
    if (!jet3) {
        const double created = 40000.25;
        std::memcpy(page.data() + kCreationDateOffset, &created, sizeof created);
        ApplyPasswordDateMask(page.data() + kPasswordOffset, kPasswordBytesJet4, created);
    }
    ApplyHeaderMask(page.data() + kMaskedRegionOffset, jet3 ? kMaskedRegionJet3 : kMaskedRegionJet4);
    return page;
}

TEST(JetFormatTest, HeaderChecksFollowVersionSizeAndPassword) {
    const std::vector<std::uint8_t> none;
    const std::vector<std::uint8_t> ucs2 = {'S', 0, 'e', 0, 'l', 0, 'a', 0, 'h', 0};
    std::vector<std::uint8_t> twentieth(kPasswordBytesJet3, 0);
    twentieth.back() = 'x';
    std::vector<std::uint8_t> fortieth(kPasswordBytesJet4, 0);
    fortieth.back() = 'x';
    const struct {
        const char* name;
        std::vector<std::uint8_t> page;
        std::uint64_t pages;  // the file's size in pages of its version
        FileCheck expected;
    } cases[] = {
        {"Jet 4, no password", HeaderPage(kVersionJet4, none), 3, FileCheck::Ok},
        {"Jet 4, password", HeaderPage(kVersionJet4, ucs2), 3, FileCheck::PasswordProtected},
        {"Jet 4, fortieth byte", HeaderPage(kVersionJet4, fortieth), 3, FileCheck::PasswordProtected},
        {"Jet 3, no password", HeaderPage(kVersionJet3, none), 3, FileCheck::Ok},
        {"Jet 3, password", HeaderPage(kVersionJet3, Bytes("Selah")), 3, FileCheck::PasswordProtected},
        {"Jet 3, twentieth byte", HeaderPage(kVersionJet3, twentieth), 3, FileCheck::PasswordProtected},
        {"ACE", HeaderPage(2, none, kAceSignature), 3, FileCheck::Ok},
        {"no catalog page", HeaderPage(kVersionJet4, none), 2, FileCheck::TooShort},
        {"Jet 3, no catalog page", HeaderPage(kVersionJet3, none), 2, FileCheck::TooShort},
        {"other signature", HeaderPage(kVersionJet4, none, "Standard XYZ DB"), 3, FileCheck::NotJet},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint64_t size = c.pages * c.page.size();
        EXPECT_EQ(CheckHeader(c.page.data(), c.page.size(), size), c.expected);
    }
    const std::vector<std::uint8_t> page = HeaderPage(kVersionJet4, none);
    EXPECT_EQ(CheckHeader(page.data(), page.size(), 3 * kJet4PageSize + 1), FileCheck::TooShort);
    EXPECT_EQ(CheckHeader(page.data(), kMaskedRegionOffset + kMaskedRegionJet4 - 1, 3 * kJet4PageSize),
              FileCheck::NotJet);
}

TEST(JetFormatTest, IndependentlyWrittenPasswordDecodes) {
    // password.dct of the shared fixtures comes from another Access writer,
    // protected by the password "Selah-1611".
    const std::filesystem::path fixture = std::filesystem::path(TOVRA_SHARED_DIR) / "fixtures" / "password.dct";
    if (!std::filesystem::exists(fixture)) GTEST_SKIP() << "shared fixture absent: " << fixture;
    std::ifstream in(fixture, std::ios::binary);
    std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(file.size(), 3 * kJet4PageSize);
    EXPECT_EQ(CheckHeader(file.data(), kJet4PageSize, file.size()), FileCheck::PasswordProtected);

    ApplyHeaderMask(file.data() + kMaskedRegionOffset, kMaskedRegionJet4);
    double created;
    std::memcpy(&created, file.data() + kCreationDateOffset, sizeof created);
    ApplyPasswordDateMask(file.data() + kPasswordOffset, kPasswordBytesJet4, created);
    std::u16string password;
    for (std::size_t i = 0; i < kPasswordBytesJet4; i += 2)
        if (const char16_t c = ReadLe16(file.data() + kPasswordOffset + i)) password.push_back(c);
    EXPECT_EQ(password, u"Selah-1611");
}

}  // namespace
}  // namespace tovra::jet
