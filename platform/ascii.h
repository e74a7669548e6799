// Letter case of the ASCII letters A-Z and a-z alone, for the names that
// file formats and the database provider compare without regard to case:
// table, column, section and setting names, keywords, fixed markers such as
// "{\rtf". Every other byte stays as it is, so the result never depends on
// the locale. Text in the ANSI code page that follows the locale's case
// rules goes through ansi_char_tables.h instead.
#pragma once

#include <string>
#include <string_view>

namespace tovra {

inline constexpr char AsciiToLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline constexpr char AsciiToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` with A-Z lowered.
std::string AsciiLowerCase(std::string_view text);

// True when `a` and `b` differ in the case of ASCII letters at most.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when `text` begins with `prefix`, ASCII letter case ignored.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// True when `part` occurs in `text`, ASCII letter case ignored. An empty
// `part` occurs everywhere.
bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part);

}  // namespace tovra
