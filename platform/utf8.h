// UTF-8: decoding one character at a time and encoding one code point.
//
// Well-formed UTF-8 is what the Unicode standard allows: the shortest form of
// a Unicode scalar value (U+0000-U+10FFFF without the surrogates
// U+D800-U+DFFF), never cut off at the end of the text. Everything else is
// malformed; what a malformed sequence stands for is the caller's choice
// (U+FFFD for text that must go on, a refusal for input that must be valid).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tovra {

// U+FFFD, the stand-in for a character that could not be decoded.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// True for U+0000-U+10FFFF outside the surrogate range.
inline constexpr bool IsUnicodeScalarValue(char32_t codePoint) {
    return codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
}

// Decodes the character that starts at `pos` (which must be below
// text.size()) and moves `pos` past it. On a malformed sequence returns
// nothing and leaves `pos` where it was.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of `codePoint` (at most U+10FFFF; the caller decides
// whether surrogates may pass).
void AppendUtf8(char32_t codePoint, std::string& out);

}  // namespace tovra
