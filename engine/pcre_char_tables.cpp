// Builds the PCRE2 table block for Windows-1252.
//
// The block is four parts: lower-case map (256 bytes), flip-case map (256),
// ten class bitmaps of 32 bytes (space, hex digit, digit, upper, lower, word,
// graph, print, punct, cntrl, in an order private to PCRE2) and a per-byte
// type-bit table (256). The order of the bitmaps and the meaning of the type
// bits are not part of PCRE2's documented interface, so they are learnt from
// a block that pcre2_maketables() makes: every bitmap and type bit is
// recognised by which of a few ASCII characters it holds, and those are the
// same in every locale. The Windows-1252 classes then replace the locale's.
#include "engine/pcre_char_tables.h"

#include "platform/ansi_char_tables.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <array>
#include <cstring>

namespace tovra {
namespace {

constexpr std::size_t kLowerOffset = 0;
constexpr std::size_t kFlipOffset = 256;
constexpr std::size_t kBitmapOffset = 512;
constexpr std::size_t kBitmapCount = 10;
constexpr std::size_t kTypeOffset = kBitmapOffset + kBitmapCount * 32;
constexpr std::size_t kTablesLength = kTypeOffset + 256;

enum class Bitmap { Space, HexDigit, Digit, Upper, Lower, Word, Graph, Print, Punct, Control, Unknown };

bool Has(const std::uint8_t* bitmap, unsigned char c) { return (bitmap[c / 8] >> (c % 8)) & 1; }

// Identifies a class bitmap by the probe characters it holds.
Bitmap Recognise(const std::uint8_t* bitmap) {
    static constexpr unsigned char kProbes[] = {' ', '0', 'A', 'a', '_', '!', 'g', 0x01};
    unsigned signature = 0;
    for (std::size_t i = 0; i < sizeof kProbes; ++i)
        if (Has(bitmap, kProbes[i])) signature |= 1u << i;
    enum : unsigned { sp = 1, d0 = 2, uA = 4, la = 8, us = 16, ex = 32, lg = 64, c1 = 128 };
    switch (signature) {
        case sp: return Bitmap::Space;
        case d0 | uA | la: return Bitmap::HexDigit;
        case d0: return Bitmap::Digit;
        case uA: return Bitmap::Upper;
        case la | lg: return Bitmap::Lower;
        case d0 | uA | la | us | lg: return Bitmap::Word;
        case d0 | uA | la | us | ex | lg: return Bitmap::Graph;
        case sp | d0 | uA | la | us | ex | lg: return Bitmap::Print;
        case us | ex: return Bitmap::Punct;
        case c1: return Bitmap::Control;
        default: return Bitmap::Unknown;
    }
}

bool InClass(const AnsiCharTables& ansi, Bitmap bitmap, unsigned char c) {
    switch (bitmap) {
        case Bitmap::Space: return ansi.IsSpace(c);
        case Bitmap::HexDigit: return ansi.Is(c, accHexDigit);
        case Bitmap::Digit: return ansi.IsDigit(c);
        case Bitmap::Upper: return ansi.IsUpper(c);
        case Bitmap::Lower: return ansi.IsLower(c);
        case Bitmap::Word: return ansi.IsWord(c);
        case Bitmap::Graph: return ansi.IsLetter(c) || ansi.IsDigit(c) || ansi.Is(c, accPunct);
        case Bitmap::Print: return ansi.Is(c, accPrint);
        case Bitmap::Punct: return ansi.Is(c, accPunct);
        case Bitmap::Control: return ansi.Is(c, accControl);
        case Bitmap::Unknown: break;
    }
    return false;
}

struct TypeBits {
    std::uint8_t space = 0, letter = 0, lowerLetter = 0, digit = 0, word = 0;
};

// Learns the type bits from the block made for the current locale.
bool LearnTypeBits(const std::uint8_t* types, TypeBits& bits) {
    auto type = [types](char c) -> std::uint8_t { return types[static_cast<unsigned char>(c)]; };
    bits.space = type(' ');
    bits.word = type('_');
    bits.digit = type('0') & ~bits.word;
    bits.letter = type('A') & ~bits.word;
    bits.lowerLetter = type('a') & ~type('A');  // absent in older layouts
    const std::uint8_t all[] = {bits.space, bits.word, bits.digit, bits.letter, bits.lowerLetter};
    if (!bits.space || !bits.word || !bits.digit || !bits.letter) return false;
    for (std::size_t i = 0; i < 5; ++i)
        for (std::size_t j = i + 1; j < 5; ++j)
            if (all[i] & all[j]) return false;
    return type('0') == (bits.digit | bits.word) && type('A') == (bits.letter | bits.word) &&
           type('a') == (bits.letter | bits.lowerLetter | bits.word) && type('\t') == bits.space;
}

struct TableBlock {
    std::array<std::uint8_t, kTablesLength> bytes{};
    bool valid = false;
};

TableBlock Build() {
    TableBlock block;
    const std::uint8_t* locale = pcre2_maketables(nullptr);
    if (!locale) return block;
    std::memcpy(block.bytes.data(), locale, kTablesLength);
    pcre2_maketables_free(nullptr, locale);
    std::uint8_t* tables = block.bytes.data();

    // The map parts sit at fixed places; check them before trusting the rest.
    if (tables[kLowerOffset + 'A'] != 'a' || tables[kFlipOffset + 'A'] != 'a' || tables[kFlipOffset + 'a'] != 'A')
        return block;
    std::array<Bitmap, kBitmapCount> roles{};
    unsigned seen = 0;
    for (std::size_t i = 0; i < kBitmapCount; ++i) {
        roles[i] = Recognise(tables + kBitmapOffset + 32 * i);
        if (roles[i] == Bitmap::Unknown) return block;
        seen |= 1u << static_cast<unsigned>(roles[i]);
    }
    if (seen != (1u << kBitmapCount) - 1) return block;  // each class exactly once
    TypeBits bits;
    if (!LearnTypeBits(tables + kTypeOffset, bits)) return block;
    const std::uint8_t known = bits.space | bits.letter | bits.lowerLetter | bits.digit | bits.word;

    const AnsiCharTables& ansi = AnsiCharTables::Get();
    for (int b = 0; b < 256; ++b) {
        const unsigned char c = static_cast<unsigned char>(b);
        tables[kLowerOffset + b] = ansi.ToLower(c);
        tables[kFlipOffset + b] = ansi.FlipCase(c);
        for (std::size_t i = 0; i < kBitmapCount; ++i) {
            std::uint8_t& byte = tables[kBitmapOffset + 32 * i + b / 8];
            const std::uint8_t bit = static_cast<std::uint8_t>(1u << (b % 8));
            byte = InClass(ansi, roles[i], c) ? (byte | bit) : (byte & ~bit);
        }
        // Bits this code does not know (pattern metacharacters in some
        // versions) concern ASCII only and stay as PCRE2 made them.
        std::uint8_t type = b < 0x80 ? (tables[kTypeOffset + b] & ~known) : 0;
        if (ansi.IsSpace(c)) type |= bits.space;
        if (ansi.IsLetter(c)) type |= bits.letter;
        if (ansi.IsLower(c)) type |= bits.lowerLetter;
        if (ansi.IsDigit(c)) type |= bits.digit;
        if (ansi.IsWord(c)) type |= bits.word;
        tables[kTypeOffset + b] = type;
    }
    block.valid = true;
    return block;
}

}  // namespace

const std::uint8_t* AnsiPcreTables() {
    static const TableBlock block = Build();
    return block.valid ? block.bytes.data() : nullptr;
}

}  // namespace tovra
