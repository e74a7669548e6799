// UTF-16 surrogate pairs: how a code point above U+FFFF is split into two
// code units and joined again.
#pragma once

namespace tovra {

inline constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point of a high and a low surrogate.
inline constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// The two units of a code point from U+10000 to U+10FFFF.
inline constexpr char16_t HighSurrogateOf(char32_t codePoint) {
    return static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
}
inline constexpr char16_t LowSurrogateOf(char32_t codePoint) {
    return static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
}

}  // namespace tovra
