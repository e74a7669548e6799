// Reset and copy semantics of the reader's formatting records, the marker
// copy, the shading mix and the highlight colours.
#include "richtext/rtf_properties.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(RtfPropertiesTest, HalfPointsRoundToTheEvenNeighbour) {
    const std::pair<int32_t, int32_t> cases[] = {{21, 10}, {23, 12}, {24, 12}, {25, 12}, {27, 14},
                                                 {1, 0},   {3, 2},   {0, 0},   {-21, -10}, {-23, -12}};
    for (auto [half, points] : cases) EXPECT_EQ(RtfHalfPointsToPoints(half), points) << half;
}

TEST(RtfPropertiesTest, CharCopyLeavesTheFontNameOverride) {
    TRDRTFCharProperties source;
    source.Hidden = true;
    source.Size = 7;
    source.Color = 0x123456;
    source.BackColor = 0x654321;
    source.FontIndex = 3;
    source.Style = rtf_fs_Bold | rtf_fs_StrikeOut;
    source.StyleEx = rtf_fsx_AllCaps;
    source.CharScale = 80;
    source.VShift = 2;
    source.CharSpacing = -20;
    source.FontNameOverride = "Symbol";
    TRDRTFCharProperties target;
    target.FontNameOverride = "Wingdings";
    target.Assign(source);
    EXPECT_EQ(target.FontNameOverride, "Wingdings");
    target.FontNameOverride = source.FontNameOverride;
    EXPECT_EQ(std::tie(target.Hidden, target.Size, target.Color, target.BackColor, target.FontIndex, target.Style,
                       target.StyleEx, target.CharScale, target.VShift, target.CharSpacing),
              std::tie(source.Hidden, source.Size, source.Color, source.BackColor, source.FontIndex, source.Style,
                       source.StyleEx, source.CharScale, source.VShift, source.CharSpacing));
    target.Reset();
    EXPECT_EQ(target.Size, 12);
    EXPECT_EQ(target.Color, kRtfDefaultColor);
    EXPECT_EQ(target.BackColor, kRtfNoColor);
    EXPECT_EQ(target.CharScale, 100);
    EXPECT_TRUE(target.FontNameOverride.empty());
}

TEST(RtfPropertiesTest, ParaCopyIsDeepAndRemovesWhatTheSourceLacks) {
    TRDRTFParaProperties source;
    source.Border.emplace().Side(rtf_side_Top).Style = 1;
    source.Marker.emplace().TextAfter = ")";
    TRDRTFParaProperties target;
    target.Assign(source);
    source.Border->Side(rtf_side_Top).Style = 4;
    source.Marker->TextAfter = ".";
    EXPECT_EQ(target.Border->Side(rtf_side_Top).Style, 1);
    EXPECT_EQ(target.Marker->TextAfter, ")");

    target.Assign(TRDRTFParaProperties());
    EXPECT_FALSE(target.Border);
    EXPECT_FALSE(target.Marker);
}

TEST(RtfPropertiesTest, BorderSidesAreCreatedBlackAndResetToNoColour) {
    TRDRTFParaBorder border;
    EXPECT_FALSE(border.HasSide(rtf_side_Left));
    TRDRTFBorderSide& left = border.Side(rtf_side_Left);
    EXPECT_EQ(left.Color, 0u);
    EXPECT_FALSE(border.HasSide(rtf_side_Left));  // exists, but without a style
    left.Style = 1;
    left.Width = 15;
    EXPECT_TRUE(border.HasSide(rtf_side_Left));
    border.Reset();
    ASSERT_TRUE(border.Sides[rtf_side_Left]);
    EXPECT_EQ(border.Sides[rtf_side_Left]->Color, kRtfNoColor);
    EXPECT_EQ(border.Sides[rtf_side_Left]->Width, 0);
    EXPECT_FALSE(border.Sides[rtf_side_Top]);  // reset creates no side

    TRDRTFParaBorder other;
    other.Side(rtf_side_Bottom).Style = 2;
    border.Assign(other);
    EXPECT_FALSE(border.Sides[rtf_side_Left]);
    EXPECT_TRUE(border.HasSide(rtf_side_Bottom));
}

TEST(RtfPropertiesTest, SectionCopyKeepsHeaderAndFooterPositions) {
    TRDRTFSectionProperties source;
    source.ColumnCount = 2;
    source.BreakType = 0;
    source.PageNumberX = 1;
    source.PageNumberY = 2;
    source.PageNumberFormat = 3;
    source.HeaderY = 100;
    source.FooterY = 200;
    source.EnsureDefaultMarkers()[4].Level = 5;
    TRDRTFSectionProperties target;
    target.Assign(source);
    EXPECT_EQ(target.ColumnCount, 2);
    EXPECT_EQ(target.BreakType, 0);
    EXPECT_EQ(target.PageNumberX, 1);
    EXPECT_EQ(target.PageNumberY, 2);
    EXPECT_EQ(target.PageNumberFormat, 3);
    EXPECT_EQ(target.HeaderY, 720);
    EXPECT_EQ(target.FooterY, 720);
    ASSERT_TRUE(target.DefaultMarkers);
    EXPECT_EQ((*target.DefaultMarkers)[4].Level, 5);
    EXPECT_NE(target.DefaultMarkers.get(), source.DefaultMarkers.get());
    target.Reset();
    EXPECT_FALSE(target.DefaultMarkers);
    EXPECT_EQ(target.BreakType, 4);
}

TEST(RtfPropertiesTest, RowResetKeepsThePercentFlagAndCopyKeepsHeading) {
    TRDRTFRowProperties row;
    row.WidthIsPercent = true;
    row.Heading = true;
    row.Gap = 108;
    row.Border.Side(rtf_side_Left).Style = 1;
    row.Cells.resize(3);
    row.LastCellOpen = false;
    row.NeedsShadingMix = false;
    row.Reset();
    EXPECT_TRUE(row.WidthIsPercent);
    EXPECT_FALSE(row.Heading);
    EXPECT_EQ(row.Gap, 0);
    EXPECT_EQ(row.Cells.size(), 1u);
    EXPECT_TRUE(row.LastCellOpen);
    EXPECT_TRUE(row.NeedsShadingMix);
    ASSERT_TRUE(row.Border.Sides[rtf_side_Left]);
    EXPECT_EQ(row.Border.Sides[rtf_side_Left]->Style, 0);

    TRDRTFRowProperties source;
    source.Gap = 50;
    source.Cells.resize(2);
    TRDRTFRowProperties target;
    target.Heading = true;
    target.WidthIsPercent = true;
    target.Assign(source);
    EXPECT_TRUE(target.Heading);
    EXPECT_TRUE(target.WidthIsPercent);
    EXPECT_EQ(target.Gap, 50);
    EXPECT_EQ(target.Cells.size(), 2u);
}

TEST(RtfPropertiesTest, FinishRowDropsTheOpenCellAndMixesOnce) {
    TRDRTFRowProperties row;
    row.CurrentCell().RightBoundary = 1000;
    row.Cells.emplace_back();
    row.Cells[0].Color = clWhite;
    row.Cells[0].PatternColor = clBlack;
    row.Cells[0].Shading = 2500;
    row.FinishRow();
    ASSERT_EQ(row.Cells.size(), 1u);
    EXPECT_EQ(row.Cells[0].Color, 0xBFBFBFu);
    EXPECT_FALSE(row.LastCellOpen);
    EXPECT_FALSE(row.NeedsShadingMix);
    row.Cells[0].Shading = 5000;  // a second end of the same row changes nothing
    row.FinishRow();
    EXPECT_EQ(row.Cells.size(), 1u);
    EXPECT_EQ(row.Cells[0].Color, 0xBFBFBFu);
}

TEST(RtfPropertiesTest, ShadingMixesPerChannel) {
    struct Case {
        TColor color, pattern;
        int32_t shading;
        TColor mixed;
    };
    const Case cases[] = {
        {kRtfNoColor, clBlack, 2500, 0xBFBFBF},  // no colour counts as white
        {0x0000FF, 0xFF0000, 5000, 0x7F007F},
        {kRtfDefaultColor, clWhite, 10000, 0xFFFFFF},  // system colour through its RGB value
        {clWhite, clBlack, 20000, 0x000000},           // more than 100 % is 100 %
    };
    for (const Case& c : cases) {
        TRDRTFCellProperties cell;
        cell.Color = c.color;
        cell.PatternColor = c.pattern;
        cell.Shading = c.shading;
        MixCellShading(cell);
        EXPECT_EQ(cell.Color, c.mixed) << c.shading;
        EXPECT_EQ(cell.Shading, 0);
        EXPECT_EQ(cell.PatternColor, 0u);
    }
    TRDRTFCellProperties unshaded;
    unshaded.PatternColor = clRed;
    MixCellShading(unshaded);
    EXPECT_EQ(unshaded.Color, kRtfNoColor);
    EXPECT_EQ(unshaded.PatternColor, clRed);
}

TEST(RtfPropertiesTest, HighlightTable) {
    const TColor expected[] = {kRtfNoColor, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF,
                               0x00FFFF,    0xFFFFFF, 0x800000, 0x808000, 0x008000, 0x800080, 0x000080,
                               0x008080,    0x808080, 0xC0C0C0, kRtfNoColor};
    for (int i = 0; i < 18; ++i) EXPECT_EQ(RtfHighlightColor(i), expected[i]) << i;
    EXPECT_EQ(RtfHighlightColor(-1), kRtfNoColor);
}

TRDRTFMarkerProperties SampleMarker() {
    TRDRTFMarkerProperties m;
    m.ListType = 3;
    m.FontIndex = 2;
    m.FontSize = 9;
    m.Indent = 100;
    m.Space = 200;
    m.Start = 4;
    m.FontStyle = rtf_fs_Bold | rtf_fs_Underline;
    m.Color = clRed;
    m.Alignment = 2;
    m.Level = 3;
    m.Hanging = true;
    m.TextAfter = ")";
    m.TextBefore = "(";
    return m;
}

TEST(RtfPropertiesTest, FullMarkerCopyTakesEverything) {
    TRDRTFMarkerProperties source = SampleMarker();
    source.ExplicitFlags = rtf_mef_Color | rtf_mef_Font | rtf_mef_Size;
    TRDRTFMarkerProperties target;
    CopyMarker(target, source, false);
    EXPECT_EQ(target.FontIndex, 2);
    EXPECT_EQ(target.FontSize, 9);
    EXPECT_EQ(target.Color, clRed);
    EXPECT_EQ(target.FontStyle, source.FontStyle);
    EXPECT_EQ(target.Level, 3);
    EXPECT_EQ(target.ExplicitFlags, source.ExplicitFlags);
    EXPECT_EQ(target.TextBefore, "(");
    EXPECT_TRUE(target.Hanging);
}

TEST(RtfPropertiesTest, PartialMarkerCopySkipsExplicitValuesAndKeepsLevel) {
    TRDRTFMarkerProperties source = SampleMarker();
    source.ExplicitFlags = rtf_mef_Color | rtf_mef_Size;
    TRDRTFMarkerProperties target;
    target.Level = 7;
    target.Color = clBlue;
    target.FontSize = 30;
    CopyMarker(target, source, true);
    EXPECT_EQ(target.Level, 7);
    EXPECT_EQ(target.Color, clBlue);     // colour bit set: kept
    EXPECT_EQ(target.FontSize, 30);      // size bit set: kept
    EXPECT_EQ(target.FontIndex, 2);      // font bit clear: copied
    EXPECT_EQ(target.FontStyle, source.FontStyle);
    EXPECT_EQ(target.ListType, 3);
    EXPECT_EQ(target.Indent, 100);
    EXPECT_EQ(target.Space, 200);
    EXPECT_EQ(target.Start, 4);
    EXPECT_EQ(target.Alignment, 2);
    EXPECT_EQ(target.TextAfter, ")");

    // Bits 3-6 of the flags protect the four style bits one by one.
    source.ExplicitFlags = 1u << 3;  // protects bold
    source.FontStyle = rtf_fs_Italic;
    target.FontStyle = rtf_fs_Bold;
    CopyMarker(target, source, true);
    EXPECT_EQ(target.FontStyle, rtf_fs_Bold | rtf_fs_Italic);
}

}  // namespace
}  // namespace tovra
