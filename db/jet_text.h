// Jet 4 text values decoded to Windows-1252.
#pragma once

#include <cstddef>
#include <string>

#include "db/access_reader.h"

namespace tovra {

// Appends a Jet 4 text value: UCS-2 little-endian, or the compressed form
// that starts with FF FE and switches between one-byte characters (the low
// byte of characters up to U+00FF) and two-byte ones at each 00. Characters
// Windows-1252 lacks are appended in `form`; a trailing odd byte is dropped.
void DecodeJet4Text(const unsigned char* bytes, std::size_t size, TUnmappableForm form, std::string& out);

// Appends one character in Windows-1252, or in `form` when the code page
// lacks it.
void AppendAnsiCharacter(char32_t codePoint, TUnmappableForm form, std::string& out);

}  // namespace tovra
