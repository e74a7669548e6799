// The header hash. The sums are reduced by one conditional subtraction per
// step, exactly as the module writer does; for seeds whose halves are not
// below 65521 this differs from a true modulo, so no batching is done.
#include "refbible/seeded_adler32.h"

namespace tovra {

std::uint32_t SeededAdler32(std::uint32_t seed, const std::uint8_t* data, std::size_t size) {
    constexpr std::uint32_t kBase = 65521;
    std::uint32_t s1 = seed & 0xFFFFu;
    std::uint32_t s2 = (seed >> 16) & 0xFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        s1 += data[i];
        if (s1 >= kBase) s1 -= kBase;
        s2 += s1;
        if (s2 >= kBase) s2 -= kBase;
    }
    return s1 + s2 * 65536u;
}

}  // namespace tovra
