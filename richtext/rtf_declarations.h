// The declarations an RTF stream makes before its text: the font table, the
// colour table, the style sheet, the list table and the list overrides. The
// reader fills them while it reads; the document builder reads them during
// the reader's events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/color.h"
#include "richtext/rtf_properties.h"

namespace tovra {

struct TRDRTFFont {
    int32_t Number = 0;
    std::string Name;    // exactly as written before ";"
    uint8_t Family = 0;  // 0 nil, 1 roman, 2 swiss, 3 modern, 4 script, 5 decor, 6 tech, 7 bidi
    uint8_t Charset = 0;
};
using TRDRTFFontList = std::vector<TRDRTFFont>;

// Colour values 0x00BBGGRR; kRtfDefaultColor stands for "auto".
using TRDRTFColorList = std::vector<TColor>;

struct TRDRTFStyleSheetEntry {
    TRDRTFParaProperties ParaProps;
    TRDRTFCharProperties CharProps;
    bool Additive = false;
    bool Hidden = false;
    int32_t Number = 0;
    uint8_t Kind = 1;  // 0 character, 1 paragraph, 2 section
    std::string Name;
    int32_t BasedOn = -1;  // index of the entry it is based on, -1 none
    int32_t Next = -1;     // index of the next entry; the entry itself by default
};
using TRDRTFStyleSheet = std::vector<TRDRTFStyleSheetEntry>;

struct TRDRTFListLevel97 : TRDRTFCustomMarkerProperties {
    bool Old = false;
    bool Legal = false;
    bool NoRestart = false;
    std::string LevelText;       // first byte: the RTF length prefix
    std::u16string LevelTextW;   // filled once a \u appears in the level text
    std::string LevelNumbers;
    int32_t Follow = 0;
    int32_t LeftIndent = 0;
    int32_t FirstIndent = 0;
    int32_t TabPosition = 0;
};

struct TRDRTFList97 {
    int32_t ListId = 0;
    bool Simple = false;
    std::string Name;
    std::vector<TRDRTFListLevel97> Levels;
};
using TRDRTFListTable97 = std::vector<TRDRTFList97>;

struct TRDRTFListOverrideLevel97 {
    bool StartOverridden = false;
    int32_t Start = 1;
};

struct TRDRTFListOverride97 {
    int32_t ListIndex = -1;  // index of the list with the matching ListId, -1 none
    int32_t Number = 0;      // the ls number
    int32_t Count = 0;
    std::vector<TRDRTFListOverrideLevel97> Levels;
};
using TRDRTFListOverrideTable97 = std::vector<TRDRTFListOverride97>;

}  // namespace tovra
