// Little-endian integers in byte buffers: the byte order of the Jet database
// pages, of the reference module's header and of UTF-16LE text. Readers and
// writers take a pointer to the first byte; the caller guarantees that the
// bytes are there (bounds are the caller's to check).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovra {

inline std::uint16_t ReadLe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint16_t ReadLe16(const char* p) { return ReadLe16(reinterpret_cast<const std::uint8_t*>(p)); }

inline std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The two's-complement value of the `n` bytes at `p` (1 to 8), sign-extended.
inline std::int64_t ReadLeSigned(const std::uint8_t* p, std::size_t n) {
    std::uint64_t u = 0;
    for (std::size_t i = 0; i < n; ++i) u |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    if (n < 8 && (u >> (8 * n - 1)) & 1) u |= ~0ull << (8 * n);
    return static_cast<std::int64_t>(u);
}

inline void WriteLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void WriteLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void AppendLe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void AppendLe16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

inline void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace tovra
