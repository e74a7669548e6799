// Character classification and letter case of the 256 bytes of the ANSI code
// page (Windows-1252), as Windows-1252 text means them.
//
// The tables are derived once, on first use, from the Unicode properties of
// the characters the bytes stand for (the byte-to-Unicode mapping comes from
// the code-page layer), so they never depend on the process's C locale:
//   - digits are the decimal digits 0-9 only; the superscripts 1, 2 and 3 and
//     the vulgar fractions are numbers but not digits, as in Unicode (Nd);
//   - white space is TAB, LF, VT, FF, CR and SPACE. The no-break space 0xA0 is
//     deliberately not white space: an author writes it to keep a visible,
//     unbreakable gap, and the clean-up passes must not treat it like the
//     line breaks and blanks that a writer emits between tags;
//   - letters are the bytes whose character is a Unicode letter (L*): A-Z,
//     a-z, the Latin-1 letters (not the multiplication and division signs),
//     and from the 0x80-0x9F range f-hook, S/s caron, OE/oe, Z/z caron,
//     Y diaeresis and the modifier letter circumflex 0x88;
//   - upper/lower pairs are the Unicode simple case mappings whose partner is
//     also in the code page: E-acute/e-acute, S/s caron (0x8A/0x9A),
//     OE/oe (0x8C/0x9C), Z/z caron (0x8E/0x9E), Y diaeresis (0x9F/0xFF).
//     Sharp s, micro sign and f-hook have no partner in the code page and keep
//     their case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovra {

// One byte's classes; a byte may belong to several.
enum AnsiCharClass : std::uint16_t {
    accDigit = 1u << 0,     // \d: 0-9
    accSpace = 1u << 1,     // \s: TAB LF VT FF CR SPACE
    accLetter = 1u << 2,    // any letter, cased or not
    accUpper = 1u << 3,     // upper-case letter (Unicode Lu)
    accLower = 1u << 4,     // lower-case letter (Unicode Ll)
    accControl = 1u << 5,   // C0/C1 controls, DEL and the bytes the code page leaves undefined
    accPunct = 1u << 6,     // visible character that is neither letter nor digit
    accPrint = 1u << 7,     // everything that is not a control
    accHexDigit = 1u << 8,  // 0-9, A-F, a-f
};

// The classification of the 256 bytes. Built once; shared, read-only.
class AnsiCharTables {
public:
    // The tables of the ANSI code page.
    static const AnsiCharTables& Get();

    std::uint16_t Classes(unsigned char c) const { return classes_[c]; }
    bool Is(unsigned char c, AnsiCharClass cls) const { return (classes_[c] & cls) != 0; }
    bool IsDigit(unsigned char c) const { return Is(c, accDigit); }
    bool IsSpace(unsigned char c) const { return Is(c, accSpace); }
    bool IsLetter(unsigned char c) const { return Is(c, accLetter); }
    bool IsUpper(unsigned char c) const { return Is(c, accUpper); }
    bool IsLower(unsigned char c) const { return Is(c, accLower); }
    // Letter, digit or underscore: the \w class.
    bool IsWord(unsigned char c) const { return Is(c, accLetter) || Is(c, accDigit) || c == '_'; }

    // The partner of a cased letter, or the byte itself.
    unsigned char ToUpper(unsigned char c) const { return upper_[c]; }
    unsigned char ToLower(unsigned char c) const { return lower_[c]; }
    // Swaps the case of a letter that has a partner; other bytes stay.
    unsigned char FlipCase(unsigned char c) const { return upper_[c] != c ? upper_[c] : lower_[c]; }

    // 256-entry tables, indexed by byte value.
    const unsigned char* UpperTable() const { return upper_; }
    const unsigned char* LowerTable() const { return lower_; }

private:
    AnsiCharTables();

    std::uint16_t classes_[256];
    unsigned char upper_[256];
    unsigned char lower_[256];
};

// The text with every letter upper-cased (lower-cased) by the ANSI tables.
std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);

// True when `a` and `b` differ in letter case at most, by the ANSI tables
// (so "ÉLIE" equals "élie"; ASCII-only names use platform/ascii.h).
bool EqualsIgnoringAnsiCase(std::string_view a, std::string_view b);

}  // namespace tovra
