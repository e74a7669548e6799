// Conversions between 8-bit text in a Windows code page, UTF-16 and UTF-8.
//
// All text inside tovra is 8-bit text in the ANSI code page (Windows-1252);
// other code pages appear only where RTF names them (\ansicpg, font charsets).
// Single-byte code pages are served from tables built once from iconv; the
// multi-byte ones (932, 936, 949, 950) go through iconv directly. Whatever a
// code page cannot represent becomes "?", as the Windows conversions do.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tovra {

// The system's ANSI code page. Code page 0 stands for it everywhere.
inline constexpr int kAnsiCodePage = 1252;

// True when iconv knows the Windows code page (0 counts as the ANSI one).
bool IsKnownCodePage(int codePage);

// The Windows code page of an RTF/GDI font charset (\fcharset): 0 ANSI 1252,
// 77 Mac 10000, 128 932, 129 949, 130 1361, 134 936, 136 950, 161 1253,
// 162 1254, 163 1258, 177 1255, 178 1256, 186 1257, 204 1251, 222 874,
// 238 1250, 255 OEM 437. Default (1), symbol (2) and unknown charsets give
// 0, the ANSI code page.
int CharsetToCodePage(int charset);

// 8-bit text in `codePage` to UTF-16. Bytes that do not form a character
// become "?". An unknown code page is treated as the ANSI code page.
std::u16string CodePageToUtf16(std::string_view text, int codePage);

// UTF-16 to 8-bit text in `codePage`; characters it lacks become "?".
std::string Utf16ToCodePage(std::u16string_view text, int codePage);

// Receives a character that the target code page cannot hold and appends its
// stand-in to `out`.
using UnmappableHandler = void (*)(char32_t codePoint, std::string& out);

// UTF-8 to 8-bit text in a single-byte code page. Malformed UTF-8 counts as
// U+FFFD. Each character the code page lacks goes to `unmappable`; a null
// handler writes "?".
std::string Utf8ToCodePage(std::string_view utf8, int codePage, UnmappableHandler unmappable);

// 8-bit text in a code page to UTF-8.
std::string CodePageToUtf8(std::string_view text, int codePage);

// Decoding of 8-bit text a byte at a time, for readers that meet the bytes
// of one character separately (RTF writes each byte of a double-byte
// character as an escape of its own). Built from iconv on first use of a
// code page and kept for the process.
struct CodePageDecoder {
    // The character of each byte on its own: U+FFFD for a byte that is no
    // character by itself (undefined in the code page, or a lead byte).
    std::array<char16_t, 256> single{};
    // The bytes that start a two-byte character; none in a single-byte
    // code page.
    std::array<bool, 256> lead{};
    // Double-byte code pages: the character of every lead byte (0x80 and
    // above) with every byte after it, row by row; empty otherwise.
    std::vector<char16_t> pairs;

    // The character of a lead byte and the byte after it; U+FFFD when the
    // two form none.
    char16_t Pair(unsigned char leadByte, unsigned char trail) const {
        if (pairs.empty() || leadByte < 0x80) return u'\uFFFD';
        return pairs[(leadByte - 0x80u) * 256u + trail];
    }
};

// The decoder of a single-byte or double-byte Windows code page (0 is the
// ANSI one), or nullptr when iconv does not know the code page or its
// characters take more than two bytes (UTF-8).
const CodePageDecoder* DecoderFor(int codePage);

// The byte of a character in the ANSI code page, or -1 when the code page
// lacks it. Bytes that Windows-1252 leaves undefined stand for the C1
// controls of the same value, as in CodePageToUtf16.
int AnsiByteOf(char32_t codePoint);

}  // namespace tovra
