// Derives the ANSI byte classes from a small piece of Unicode knowledge: the
// general categories and simple case mappings of the characters that
// Windows-1252 can stand for (Latin-1, Latin Extended-A and the handful of
// punctuation, symbol and letter characters of its 0x80-0x9F range). A code
// point outside that knowledge counts as a visible symbol without case.
#include "platform/ansi_char_tables.h"

#include "platform/code_page.h"

namespace tovra {
namespace {

enum class Category { Control, Space, Separator, Digit, Upper, Lower, OtherLetter, Symbol };

struct UnicodeInfo {
    Category category = Category::Symbol;
    char32_t upper = 0;  // simple upper-case mapping, 0 for none
    char32_t lower = 0;  // simple lower-case mapping, 0 for none
};

UnicodeInfo Cased(Category category, char32_t partner) {
    UnicodeInfo info;
    info.category = category;
    if (category == Category::Upper) info.lower = partner;
    else info.upper = partner;
    return info;
}

// Latin Extended-A (U+0100-U+017F): pairs alternate, upper first, except in
// the two runs where they start on an odd code point.
UnicodeInfo LatinExtendedA(char32_t u) {
    if (u == 0x0130) return Cased(Category::Upper, 'i');     // I with dot above
    if (u == 0x0131) return Cased(Category::Lower, 'I');     // dotless i
    if (u == 0x0138) return Cased(Category::Lower, 0);       // kra
    if (u == 0x0149) return Cased(Category::Lower, 0);       // n preceded by apostrophe
    if (u == 0x0178) return Cased(Category::Upper, 0x00FF);  // Y with diaeresis
    if (u == 0x017F) return Cased(Category::Lower, 'S');     // long s
    const bool oddRun = (u >= 0x0139 && u <= 0x0148) || (u >= 0x0179 && u <= 0x017E);
    const bool upper = oddRun ? (u % 2 == 1) : (u % 2 == 0);
    return upper ? Cased(Category::Upper, u + 1) : Cased(Category::Lower, u - 1);
}

UnicodeInfo Describe(char32_t u) {
    UnicodeInfo info;
    if (u >= 0x09 && u <= 0x0D) {
        info.category = Category::Space;
    } else if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) {
        info.category = Category::Control;
    } else if (u == 0x20) {
        info.category = Category::Space;
    } else if (u == 0x00A0) {  // no-break space: a separator, not white space
        info.category = Category::Separator;
    } else if (u >= '0' && u <= '9') {
        info.category = Category::Digit;
    } else if (u >= 'A' && u <= 'Z') {
        return Cased(Category::Upper, u + 0x20);
    } else if (u >= 'a' && u <= 'z') {
        return Cased(Category::Lower, u - 0x20);
    } else if (u == 0x00AA || u == 0x00BA) {  // feminine and masculine ordinal
        info.category = Category::OtherLetter;
    } else if (u == 0x00B5) {  // micro sign; its upper case is Greek Mu
        return Cased(Category::Lower, 0x039C);
    } else if ((u >= 0x00C0 && u <= 0x00DE) && u != 0x00D7) {
        return Cased(Category::Upper, u + 0x20);
    } else if (u == 0x00DF) {  // sharp s: no single-character upper case
        info.category = Category::Lower;
    } else if ((u >= 0x00E0 && u <= 0x00FE) && u != 0x00F7) {
        return Cased(Category::Lower, u - 0x20);
    } else if (u == 0x00FF) {
        return Cased(Category::Lower, 0x0178);
    } else if (u >= 0x0100 && u <= 0x017F) {
        return LatinExtendedA(u);
    } else if (u == 0x0192) {  // f with hook
        return Cased(Category::Lower, 0x0191);
    } else if (u == 0x02C6) {  // modifier letter circumflex (Lm)
        info.category = Category::OtherLetter;
    }
    // Everything else Windows-1252 holds (soft hyphen, Latin-1 signs,
    // small tilde, general punctuation, euro, trade mark) is a visible
    // symbol, punctuation or separator without case.
    return info;
}

}  // namespace

AnsiCharTables::AnsiCharTables() {
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
    const std::u16string units = CodePageToUtf16(all, kAnsiCodePage);

    // Byte of each code point the code page holds, to find case partners.
    auto byteOf = [&](char32_t u) -> int {
        if (u == 0) return -1;
        for (int b = 0; b < 256 && b < static_cast<int>(units.size()); ++b)
            if (units[b] == u) return b;
        return -1;
    };

    for (int b = 0; b < 256; ++b) {
        // A single-byte code page gives one unit per byte; should the layer
        // ever disagree, the byte counts as undefined.
        const bool mapped = units.size() == 256;
        const char32_t u = mapped ? units[b] : static_cast<char32_t>(b < 0x80 ? b : 0x81);
        const UnicodeInfo info = Describe(u);
        std::uint16_t cls = 0;
        switch (info.category) {
            case Category::Control: cls = accControl; break;
            case Category::Space: cls = (u == 0x20) ? (accSpace | accPrint) : (accSpace | accControl); break;
            case Category::Separator: cls = accPrint; break;
            case Category::Digit: cls = accDigit | accPrint; break;
            case Category::Upper: cls = accLetter | accUpper | accPrint; break;
            case Category::Lower: cls = accLetter | accLower | accPrint; break;
            case Category::OtherLetter: cls = accLetter | accPrint; break;
            case Category::Symbol: cls = accPunct | accPrint; break;
        }
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f')) cls |= accHexDigit;
        classes_[b] = cls;

        upper_[b] = static_cast<unsigned char>(b);
        lower_[b] = static_cast<unsigned char>(b);
        if (mapped) {
            const int up = byteOf(info.upper);
            const int low = byteOf(info.lower);
            if (up >= 0) upper_[b] = static_cast<unsigned char>(up);
            if (low >= 0) lower_[b] = static_cast<unsigned char>(low);
        }
    }
}

const AnsiCharTables& AnsiCharTables::Get() {
    static const AnsiCharTables tables;
    return tables;
}

std::string AnsiUpperCase(std::string_view text) {
    const unsigned char* table = AnsiCharTables::Get().UpperTable();
    std::string out(text);
    for (char& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

std::string AnsiLowerCase(std::string_view text) {
    const unsigned char* table = AnsiCharTables::Get().LowerTable();
    std::string out(text);
    for (char& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

bool EqualsIgnoringAnsiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const unsigned char* lower = AnsiCharTables::Get().LowerTable();
    for (size_t i = 0; i < a.size(); ++i)
        if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])]) return false;
    return true;
}

}  // namespace tovra
