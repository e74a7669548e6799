// The formatting records of the RTF reader: character, paragraph, border,
// section, document, table row and cell, and paragraph-numbering markers.
//
// The reader keeps one set of these records per open group and applies every
// formatting control word to the current set. Each record has Reset() (its
// defaults) and Assign() (the copy the reader makes when a group opens or
// closes); Assign() copies only what the group mechanism carries, which is
// not always every field (see each record). The document builder reads the
// records of the reader's current state while it handles the reader's events.
//
// Lengths are twips (1/1440 inch) unless a field says otherwise. Colours are
// TColor values 0x00BBGGRR with two reserved values: clWindowText
// (0xFF000008, the default text colour) and clNone (0x1FFFFFFF, no colour).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/color.h"

namespace tovra {

// The default text colour and "no colour" as the reader writes them.
inline constexpr TColor kRtfDefaultColor = clWindowText;
inline constexpr TColor kRtfNoColor = clNone;

// Bits of TRDRTFCharProperties::Style and of marker FontStyle.
enum : uint8_t {
    rtf_fs_Bold = 1,
    rtf_fs_Italic = 2,
    rtf_fs_Underline = 4,
    rtf_fs_StrikeOut = 8,
};
// Bit of TRDRTFCharProperties::StyleEx.
enum : uint8_t { rtf_fsx_AllCaps = 1 };

// Bits of marker ExplicitFlags: what a numbering group gave explicitly.
enum : uint8_t {
    rtf_mef_Font = 1,
    rtf_mef_Size = 2,
    rtf_mef_Color = 4,
};

// Border side indexes (also the parameter of brdrl, brdrt, brdrr, brdrb).
enum : uint8_t {
    rtf_side_Left = 0,
    rtf_side_Top = 1,
    rtf_side_Right = 2,
    rtf_side_Bottom = 3,
};

// Half points to points, rounded to the nearest integer with ties to the
// even one (21 -> 10, 23 -> 12, 24 -> 12).
int32_t RtfHalfPointsToPoints(int32_t halfPoints);

// Character formatting. The fields a group copies are in the trivially
// copyable base, so that the copy is one block move. (In this base and the
// paragraph and section ones the byte fields come first: the block then has
// no padding to copy.)
struct TRDRTFCharFormat {
    bool Hidden = false;
    uint8_t Style = 0;    // rtf_fs_* bits
    uint8_t StyleEx = 0;  // rtf_fsx_* bits
    uint8_t VShift = 0;   // 0 normal, 1 subscript, 2 superscript
    int32_t Size = 12;    // points
    TColor Color = kRtfDefaultColor;
    TColor BackColor = kRtfNoColor;
    int32_t FontIndex = 0;    // index into the reader's font list
    int32_t CharScale = 100;  // percent
    int32_t CharSpacing = 0;  // twips
};

struct TRDRTFCharProperties : TRDRTFCharFormat {
    std::string FontNameOverride;  // set only while a SYMBOL field's character is reported

    // Every field to its default; the font is index 0, not the deff font.
    void Reset() { *this = TRDRTFCharProperties(); }
    // Copies every field except FontNameOverride, i.e. the base.
    void Assign(const TRDRTFCharProperties& s) { static_cast<TRDRTFCharFormat&>(*this) = s; }
};

struct TRDRTFBorderSide {
    uint8_t Style = 0;  // border style code, 0 = none
    int32_t Width = 0;
    TColor Color = 0;
    int32_t Spacing = 0;
};

// Four optional border sides, indexed by rtf_side_*.
struct TRDRTFParaBorder {
    std::array<std::optional<TRDRTFBorderSide>, 4> Sides;

    // The side, created (black, no style) when it does not exist yet.
    TRDRTFBorderSide& Side(int index);
    // True when the side exists with a style other than 0.
    bool HasSide(int index) const { return Sides[index] && Sides[index]->Style != 0; }
    // Existing sides go back to style 0, width 0, no colour, spacing 0.
    void Reset();
    // Copies the source's sides; sides the source lacks are removed.
    void Assign(const TRDRTFParaBorder& source) { Sides = source.Sides; }
};

// Fields shared by the old-style paragraph-numbering markers and the list
// levels of the list table.
struct TRDRTFCustomMarkerProperties {
    uint8_t ListType = 0;  // 0 decimal, 1 lower letter, 2 upper letter, 3 lower roman, 4 upper roman, 5 bullet
    int32_t FontIndex = 0;
    int32_t FontSize = 12;  // points
    int32_t Indent = 0;
    int32_t Space = 0;
    int32_t Start = 0;
    uint8_t FontStyle = 0;  // rtf_fs_* bits
    TColor Color = kRtfDefaultColor;
    uint8_t Alignment = 0;      // 0 left, 1 right, 2 centre
    uint8_t ExplicitFlags = 0;  // rtf_mef_* bits
};

// The marker of an old-style numbered paragraph (a pn group).
struct TRDRTFMarkerProperties : TRDRTFCustomMarkerProperties {
    int32_t Level = 0;  // 1-9 numbered levels, 10 body, 11 bullet
    bool Hanging = false;
    std::string TextAfter;
    std::string TextBefore;
};

// Copies a marker into another. Always: ListType, Alignment, Indent, Space,
// Start, ExplicitFlags, TextAfter, TextBefore, Hanging. Not partial: also
// FontIndex, FontStyle, Color, FontSize and Level. Partial: Color, FontIndex
// and FontSize only where the copied ExplicitFlags bit is clear, each of the
// four FontStyle bits only where ExplicitFlags bit 3 + n is clear; Level stays.
void CopyMarker(TRDRTFMarkerProperties& target, const TRDRTFMarkerProperties& source, bool partial);

// Paragraph formatting: the plain fields, trivially copyable.
struct TRDRTFParaFormat {
    uint8_t Alignment = 0;  // 0 left, 1 right, 2 centre, 3 justify
    uint8_t CurBorderSide = 0;
    uint8_t LineSpacingMultiple = 1;
    bool InTable = false;
    bool Positioned = false;
    int32_t LeftIndent = 0;
    int32_t RightIndent = 0;
    int32_t FirstIndent = 0;
    int32_t SpaceBefore = 0;
    int32_t SpaceAfter = 0;
    int32_t LineSpacing = 240;
    TColor ShadingColor = kRtfNoColor;
    int32_t NestingLevel = 1;
    int32_t ListOverrideIndex = -1;  // index into the reader's override list
    int32_t ListLevel = 0;
};

struct TRDRTFParaProperties : TRDRTFParaFormat {
    std::optional<TRDRTFParaBorder> Border;  // created on first use
    std::optional<TRDRTFMarkerProperties> Marker;  // set when a pn group ends

    // Every field to its default; Border and Marker are removed.
    void Reset() { *this = TRDRTFParaProperties(); }
    // Copies every field, Border and Marker deeply. (In line: the reader
    // copies paragraph formatting twice for every group, and mostly neither
    // side has a border or a marker, when copying them would change nothing.)
    void Assign(const TRDRTFParaProperties& s) {
        static_cast<TRDRTFParaFormat&>(*this) = s;
        if (Border || Marker || s.Border || s.Marker) AssignBorderAndMarker(s);
    }
    void AssignBorderAndMarker(const TRDRTFParaProperties& s);
    // True when the paragraph's border has the side with a style.
    bool HasBorderSide(int index) const { return Border && Border->HasSide(index); }
};

// The eleven section-wide default markers created by pnseclvl.
using TRDRTFDefaultMarkers = std::array<TRDRTFMarkerProperties, 11>;

// Section formatting: the fields a group copies, trivially copyable.
struct TRDRTFSectionFormat {
    uint8_t BreakType = 4;  // page
    uint8_t PageNumberFormat = 0;
    int32_t ColumnCount = 1;
    int32_t PageNumberX = 720;
    int32_t PageNumberY = 720;
};

struct TRDRTFSectionProperties : TRDRTFSectionFormat {
    int32_t HeaderY = 720;
    int32_t FooterY = 720;
    std::unique_ptr<TRDRTFDefaultMarkers> DefaultMarkers;

    TRDRTFSectionProperties() = default;
    TRDRTFSectionProperties(TRDRTFSectionProperties&&) noexcept = default;
    TRDRTFSectionProperties& operator=(TRDRTFSectionProperties&&) noexcept = default;
    TRDRTFSectionProperties(const TRDRTFSectionProperties& other) : TRDRTFSectionFormat(other) { *this = other; }
    // A full copy (HeaderY and FooterY included); the reader uses Assign.
    TRDRTFSectionProperties& operator=(const TRDRTFSectionProperties& other);

    // Defaults; the default markers are removed.
    void Reset();
    // Copies everything except HeaderY and FooterY; default markers deeply.
    // (In line for the common case of no default markers on either side:
    // the reader copies section formatting twice for every group.)
    void Assign(const TRDRTFSectionProperties& source) {
        if (DefaultMarkers || source.DefaultMarkers) return AssignWithMarkers(source);
        static_cast<TRDRTFSectionFormat&>(*this) = source;
    }
    void AssignWithMarkers(const TRDRTFSectionProperties& source);
    // The default markers, created when missing.
    TRDRTFDefaultMarkers& EnsureDefaultMarkers();
};

struct TRDRTFDocProperties {
    int32_t PaperWidth = 12240;
    int32_t PaperHeight = 15480;
    int32_t MarginLeft = 1800;
    int32_t MarginRight = 1800;
    int32_t MarginTop = 1440;
    int32_t MarginBottom = 1440;
    int32_t PageNumberStart = 1;
    bool FacingPages = false;
    bool Landscape = false;

    void Reset() { *this = TRDRTFDocProperties(); }
    void Assign(const TRDRTFDocProperties& source) { *this = source; }
};

// One cell of the row being defined.
struct TRDRTFCellProperties {
    uint8_t HMerge = 0;  // 0 none, 1 first, 2 merged
    uint8_t VMerge = 0;
    bool WidthIsPercent = false;
    int32_t BestWidth = 0;  // > 0 twips, < 0 fiftieths of a percent, 0 none
    TColor Color = kRtfNoColor;
    uint8_t VAlign = 0;  // 0 top, 1 bottom, 2 centre
    TRDRTFParaBorder Border;
    uint8_t CurBorderSide = 0;
    int32_t RightBoundary = 0;
    TColor PatternColor = 0;
    int32_t Shading = 0;  // hundredths of a percent
    int32_t BestHeight = 0;
};

using TRDRTFCellPropsList = std::vector<TRDRTFCellProperties>;

// The table row being defined; the last cell of Cells is the current cell.
struct TRDRTFRowProperties {
    bool WidthIsPercent = false;  // kept by trowd and by group ends
    bool Heading = false;         // kept by group ends
    int32_t Gap = 0;
    int32_t Left = 0;
    int32_t Height = 0;
    std::array<int32_t, 4> Padding{};  // left, top, right, bottom
    std::array<int32_t, 4> Spacing{};
    std::array<bool, 4> UsePadding{};
    std::array<bool, 4> UseSpacing{};
    int32_t BestWidth = 0;
    uint8_t Alignment = 0;  // 0 left, 1 right, 2 centre
    TRDRTFParaBorder Border;
    uint8_t CurBorderSide = 0;
    TRDRTFCellPropsList Cells = TRDRTFCellPropsList(1);
    bool NeedsShadingMix = true;
    bool LastCellOpen = true;
    bool HasFixedSizes = false;

    // trowd: every field except WidthIsPercent to its reset value; the
    // border's existing sides are reset and Cells holds one fresh cell.
    void Reset();
    // Copies every field except WidthIsPercent and Heading.
    void Assign(const TRDRTFRowProperties& source);
    // The current (last) cell; a fresh one is added when Cells is empty.
    TRDRTFCellProperties& CurrentCell();
    // At the end of a row: drops a last cell that no cellx closed, and mixes
    // the shading of every cell once.
    void FinishRow();
};

// The RGB value of a colour: system colours (0xFF0000nn) through the usual
// Windows defaults, clNone as white, RGB colours unchanged.
TColor RtfColorToRgb(TColor color);

// Mixes a cell's colour with its pattern colour by its shading (hundredths
// of a percent, limited to 0..10000): for shading >= 1 the cell colour
// becomes the mix (no colour counts as white), and Shading and PatternColor
// become 0.
void MixCellShading(TRDRTFCellProperties& cell);

// The fixed highlight colours 1..16; every other value gives clNone.
TColor RtfHighlightColor(int32_t index);

}  // namespace tovra
