#include "refbible/seeded_adler32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "refbible/module_format.h"

namespace tovra {
namespace {

TEST(SeededAdler32Test, SeedOneIsStandardAdler32) {
    std::mt19937 random(7);
    // Long runs of 0xFF push both sums over the modulus many times.
    for (std::size_t size : {0u, 1u, 13u, 614u, 5552u, 5553u, 70000u}) {
        std::vector<std::uint8_t> bytes(size);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        std::vector<std::uint8_t> ones(size, 0xFF);
        for (const auto* data : {&bytes, &ones}) {
            const auto expected = adler32(1, data->data(), static_cast<uInt>(data->size()));
            EXPECT_EQ(SeededAdler32(1, data->data(), data->size()), expected) << size;
        }
    }
}

TEST(SeededAdler32Test, SeedHalvesStartTheSums) {
    const std::uint8_t none[1] = {};
    EXPECT_EQ(SeededAdler32(lt5::kPrimaryHashSeed, none, 0), lt5::kPrimaryHashSeed);
    const std::uint8_t one[1] = {5};
    // s1 = 0x9E17 + 5, s2 = 0x4C2B + s1.
    EXPECT_EQ(SeededAdler32(lt5::kPrimaryHashSeed, one, 1), (0x9E17u + 5) + ((0x4C2Bu + 0x9E17u + 5) << 16));
}

TEST(SeededAdler32Test, ReducesByOneSubtractionNotByModulo) {
    // s1 = 65520 stays; s2 = 65535 + 65520 = 131055, minus 65521 once = 65534
    // (a true modulo would give 13).
    const std::uint8_t zero[1] = {0};
    EXPECT_EQ(SeededAdler32(0xFFFFFFF0u, zero, 1), 65520u + 65534u * 65536u);
}

}  // namespace
}  // namespace tovra
