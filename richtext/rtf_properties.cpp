// Reset and copy operations of the RTF reader's formatting records, the
// marker copy, the highlight colours and the cell shading mix.
#include "richtext/rtf_properties.h"

#include <algorithm>
#include <type_traits>

namespace tovra {

// The group copy moves these bases as blocks.
static_assert(std::is_trivially_copyable_v<TRDRTFCharFormat>);
static_assert(std::is_trivially_copyable_v<TRDRTFParaFormat>);
static_assert(std::is_trivially_copyable_v<TRDRTFSectionFormat>);
static_assert(std::is_trivially_copyable_v<TRDRTFDocProperties>);

int32_t RtfHalfPointsToPoints(int32_t halfPoints) {
    // Banker's rounding of halfPoints / 2: only odd values are ties.
    int32_t q = halfPoints / 2;  // truncates towards zero
    int32_t r = halfPoints % 2;
    if (r != 0 && (q % 2) != 0) q += r;  // tie to the even neighbour
    return q;
}

TRDRTFBorderSide& TRDRTFParaBorder::Side(int index) {
    auto& side = Sides[static_cast<size_t>(index & 3)];
    if (!side) side.emplace();
    return *side;
}

void TRDRTFParaBorder::Reset() {
    for (auto& side : Sides) {
        if (side) *side = TRDRTFBorderSide{0, 0, kRtfNoColor, 0};
    }
}

void CopyMarker(TRDRTFMarkerProperties& t, const TRDRTFMarkerProperties& s, bool partial) {
    t.ListType = s.ListType;
    t.Alignment = s.Alignment;
    t.Indent = s.Indent;
    t.Space = s.Space;
    t.Start = s.Start;
    t.ExplicitFlags = s.ExplicitFlags;
    t.TextAfter = s.TextAfter;
    t.TextBefore = s.TextBefore;
    t.Hanging = s.Hanging;
    if (!partial) {
        t.FontIndex = s.FontIndex;
        t.FontStyle = s.FontStyle;
        t.Color = s.Color;
        t.FontSize = s.FontSize;
        t.Level = s.Level;
        return;
    }
    if (!(t.ExplicitFlags & rtf_mef_Color)) t.Color = s.Color;
    if (!(t.ExplicitFlags & rtf_mef_Font)) t.FontIndex = s.FontIndex;
    if (!(t.ExplicitFlags & rtf_mef_Size)) t.FontSize = s.FontSize;
    for (int bit = 0; bit < 4; ++bit) {
        if (t.ExplicitFlags & (1u << (3 + bit))) continue;
        uint8_t mask = static_cast<uint8_t>(1u << bit);
        t.FontStyle = static_cast<uint8_t>((t.FontStyle & ~mask) | (s.FontStyle & mask));
    }
}

void TRDRTFParaProperties::AssignBorderAndMarker(const TRDRTFParaProperties& s) {
    Border = s.Border;
    Marker = s.Marker;
}

TRDRTFSectionProperties& TRDRTFSectionProperties::operator=(const TRDRTFSectionProperties& o) {
    if (this == &o) return *this;
    Assign(o);
    HeaderY = o.HeaderY;
    FooterY = o.FooterY;
    return *this;
}

void TRDRTFSectionProperties::Reset() {
    ColumnCount = 1;
    BreakType = 4;
    PageNumberX = 720;
    PageNumberY = 720;
    PageNumberFormat = 0;
    HeaderY = 720;
    FooterY = 720;
    DefaultMarkers.reset();
}

void TRDRTFSectionProperties::AssignWithMarkers(const TRDRTFSectionProperties& s) {
    if (this == &s) return;
    static_cast<TRDRTFSectionFormat&>(*this) = s;
    if (!s.DefaultMarkers) {
        DefaultMarkers.reset();
    } else if (DefaultMarkers) {
        *DefaultMarkers = *s.DefaultMarkers;
    } else {
        DefaultMarkers = std::make_unique<TRDRTFDefaultMarkers>(*s.DefaultMarkers);
    }
}

TRDRTFDefaultMarkers& TRDRTFSectionProperties::EnsureDefaultMarkers() {
    if (!DefaultMarkers) DefaultMarkers = std::make_unique<TRDRTFDefaultMarkers>();
    return *DefaultMarkers;
}

void TRDRTFRowProperties::Reset() {
    Heading = false;
    Gap = 0;
    Left = 0;
    Height = 0;
    Padding.fill(0);
    Spacing.fill(0);
    UsePadding.fill(false);
    UseSpacing.fill(false);
    BestWidth = 0;
    Alignment = 0;
    Border.Reset();
    CurBorderSide = 0;
    Cells.assign(1, TRDRTFCellProperties());
    NeedsShadingMix = true;
    LastCellOpen = true;
    HasFixedSizes = false;
}

void TRDRTFRowProperties::Assign(const TRDRTFRowProperties& s) {
    if (this == &s) return;
    Gap = s.Gap;
    Left = s.Left;
    Height = s.Height;
    Padding = s.Padding;
    Spacing = s.Spacing;
    UsePadding = s.UsePadding;
    UseSpacing = s.UseSpacing;
    BestWidth = s.BestWidth;
    Alignment = s.Alignment;
    Border = s.Border;
    CurBorderSide = s.CurBorderSide;
    Cells = s.Cells;
    NeedsShadingMix = s.NeedsShadingMix;
    LastCellOpen = s.LastCellOpen;
    HasFixedSizes = s.HasFixedSizes;
}

TRDRTFCellProperties& TRDRTFRowProperties::CurrentCell() {
    if (Cells.empty()) Cells.emplace_back();
    return Cells.back();
}

void TRDRTFRowProperties::FinishRow() {
    if (LastCellOpen) {
        if (!Cells.empty()) Cells.pop_back();
        LastCellOpen = false;
    }
    if (NeedsShadingMix) {
        for (auto& cell : Cells) MixCellShading(cell);
        NeedsShadingMix = false;
    }
}

TColor RtfColorToRgb(TColor color) {
    if (color == kRtfNoColor) return clWhite;
    if (!IsSystemColor(color)) return color & 0x00FFFFFFu;
    // The classic Windows defaults of the system colours.
    static constexpr TColor kSystemColors[] = {
        0xC8D0D4,  //  0 scroll bar
        0xA56E3A,  //  1 background
        0x6A240A,  //  2 active caption
        0x808080,  //  3 inactive caption
        0xC8D0D4,  //  4 menu
        0xFFFFFF,  //  5 window
        0x000000,  //  6 window frame
        0x000000,  //  7 menu text
        0x000000,  //  8 window text
        0xFFFFFF,  //  9 caption text
        0xC8D0D4,  // 10 active border
        0xC8D0D4,  // 11 inactive border
        0x808080,  // 12 application workspace
        0x6A240A,  // 13 highlight
        0xFFFFFF,  // 14 highlight text
        0xC8D0D4,  // 15 button face
        0x808080,  // 16 button shadow
        0x808080,  // 17 grey text
        0x000000,  // 18 button text
        0xC8D0D4,  // 19 inactive caption text
        0xFFFFFF,  // 20 button highlight
        0x404040,  // 21 3-D dark shadow
        0xC8D0D4,  // 22 3-D light
        0x000000,  // 23 info text
        0xE1FFFF,  // 24 info background
    };
    uint32_t index = color & 0xFFu;
    if (index < std::size(kSystemColors)) return kSystemColors[index];
    return 0x000000;
}

void MixCellShading(TRDRTFCellProperties& cell) {
    if (cell.Shading < 1) return;
    // Shading above 100 % would extrapolate beyond both colours.
    int64_t s = std::min<int64_t>(cell.Shading, 10000);
    TColor a = RtfColorToRgb(cell.Color);
    TColor b = RtfColorToRgb(cell.PatternColor);
    TColor mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int64_t ca = (a >> shift) & 0xFF;
        int64_t cb = (b >> shift) & 0xFF;
        int64_t c = (ca * (10000 - s) + cb * s) / 10000;
        mixed |= static_cast<TColor>(c) << shift;
    }
    cell.Color = mixed;
    cell.Shading = 0;
    cell.PatternColor = 0;
}

TColor RtfHighlightColor(int32_t index) {
    static constexpr TColor kHighlight[17] = {
        kRtfNoColor, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
        0x800000,    0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0,
    };
    if (index < 1 || index > 16) return kRtfNoColor;
    return kHighlight[index];
}

}  // namespace tovra
