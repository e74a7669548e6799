// The Adler-32 recurrence started from an arbitrary 32-bit seed; the module
// header hash. With the seed 1 it is the standard Adler-32.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovra {

// s1 and s2 start as the low and high halves of `seed`; each byte is added to
// s1 and s1 to s2, each sum brought back by one subtraction of 65521 when it
// reaches 65521. Result: s1 + s2 * 65536.
std::uint32_t SeededAdler32(std::uint32_t seed, const std::uint8_t* data, std::size_t size);

}  // namespace tovra
