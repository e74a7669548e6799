// Conversions between 8-bit text in a Windows code page, UTF-16 and UTF-8.
//
// All text inside tovra is 8-bit text in the ANSI code page (Windows-1252);
// other code pages appear only where RTF names them (\ansicpg, font charsets).
// Single-byte code pages are served from tables built once from iconv; the
// multi-byte ones (932, 936, 949, 950) go through iconv directly. Whatever a
// code page cannot represent becomes "?", as the Windows conversions do.
#pragma once

#include <string>
#include <string_view>

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

// Appends the UTF-8 form of one code point.
void AppendUtf8(char32_t codePoint, std::string& out);

}  // namespace tovra
