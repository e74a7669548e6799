#include "platform/little_endian.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovra {
namespace {

TEST(LittleEndianTest, ReadsLowByteFirstWithoutSignSurprises) {
    // Bytes with the high bit set catch a char that sign-extends on its way
    // into the integer.
    const std::uint8_t bytes[] = {0xFE, 0xFF, 0x80, 0x7F, 0x01, 0x00, 0x00, 0x80};
    const char* chars = reinterpret_cast<const char*>(bytes);
    EXPECT_EQ(ReadLe16(bytes), 0xFFFEu);
    EXPECT_EQ(ReadLe16(chars), 0xFFFEu);
    EXPECT_EQ(ReadLe16(bytes + 2), 0x7F80u);
    EXPECT_EQ(ReadLe16(chars + 2), 0x7F80u);
    EXPECT_EQ(ReadLe32(bytes), 0x7F80FFFEu);
    EXPECT_EQ(ReadLe32(bytes + 4), 0x80000001u);
}

TEST(LittleEndianTest, SignedReadsExtendTheTopBitOfTheirWidth) {
    const struct {
        std::vector<std::uint8_t> bytes;
        std::int64_t value;
    } cases[] = {
        {{0x80}, -128},
        {{0x7F}, 127},
        {{0xFE, 0xFF}, -2},
        {{0xFE, 0x7F}, 32766},
        {{0xFE, 0xFF, 0x00, 0x00}, 65534},
        {{0x00, 0x00, 0x00, 0x80}, INT32_MIN},
        {{0xFF, 0xFF, 0xFF, 0x7F}, INT32_MAX},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}, INT64_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadLeSigned(c.bytes.data(), c.bytes.size()), c.value) << c.value;
    }
}

TEST(LittleEndianTest, WritesAndAppendsReadBack) {
    for (std::uint32_t v : {0u, 1u, 0x80u, 0xFFFFu, 0x12345678u, 0x80000000u, 0xFFFFFFFFu}) {
        std::uint8_t buffer[4] = {};
        WriteLe32(buffer, v);
        EXPECT_EQ(ReadLe32(buffer), v);
        WriteLe16(buffer, static_cast<std::uint16_t>(v));
        EXPECT_EQ(ReadLe16(buffer), static_cast<std::uint16_t>(v));

        std::vector<std::uint8_t> out = {0xAA};
        AppendLe32(out, v);
        AppendLe16(out, static_cast<std::uint16_t>(v));
        ASSERT_EQ(out.size(), 7u);
        EXPECT_EQ(out[0], 0xAA);
        EXPECT_EQ(ReadLe32(out.data() + 1), v);
        EXPECT_EQ(ReadLe16(out.data() + 5), static_cast<std::uint16_t>(v));

        std::string text = "x";
        AppendLe16(text, static_cast<std::uint16_t>(v));
        ASSERT_EQ(text.size(), 3u);
        EXPECT_EQ(ReadLe16(text.data() + 1), static_cast<std::uint16_t>(v));
    }
    std::vector<std::uint8_t> out;
    AppendLe32(out, 0x04030201u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace tovra
