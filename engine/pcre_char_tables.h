// PCRE2 character tables for the ANSI code page (Windows-1252).
//
// PCRE2 classifies the 256 byte values through one block of tables: lower
// case, flipped case, class bitmaps and per-byte type bits. The block is
// normally made by pcre2_maketables() from the process's C locale; here it is
// filled from the Windows-1252 tables of platform/ansi_char_tables.h instead,
// so matching does not depend on the locale the process runs in.
#pragma once

#include <cstdint>

namespace tovra {

// The tables, built once and kept for the program's lifetime. Null when the
// installed PCRE2 lays its tables out in a way this code does not recognise;
// PCRE2's built-in ASCII tables then serve instead.
const std::uint8_t* AnsiPcreTables();

}  // namespace tovra
