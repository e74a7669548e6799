// The RTF control words and control symbols the reader knows: one shared,
// sorted table of 305 records, found through a hash index built once.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tovra {

// How a keyword acts.
enum TRDRTFKeywordKind : uint8_t {
    kwChar = 0,         // Code is a character to insert
    kwWideChar = 1,     // Default is a UTF-16 code unit, Code its 8-bit fallback
    kwDestination = 2,  // Code names a destination change
    kwProperty = 3,     // Code names a property
    kwSpecial = 4,      // Code 0 bin, 1 the apostrophe symbol, 2 the asterisk symbol
};

// What a property keyword affects (the reader flushes text before a
// character-formatting keyword).
enum TRDRTFAffects : uint8_t {
    rtf_af_None = 0,
    rtf_af_Char = 1,
    rtf_af_Para = 2,
};

struct TRDRTFsymbol {
    std::string_view Keyword;  // case-sensitive, without the backslash
    int32_t Default;
    bool UseDefault;  // ignore any parameter and use Default
    TRDRTFKeywordKind Kind;
    uint8_t Code;
    TRDRTFAffects Affects;
};

inline constexpr size_t kRtfKeywordCount = 305;

// The table in ascending byte order of Keyword, sorted on first use.
std::span<const TRDRTFsymbol> RtfKeywordTable();

// The record of a keyword, or nullptr when the reader does not know it.
const TRDRTFsymbol* FindRtfKeyword(std::string_view keyword);

}  // namespace tovra
