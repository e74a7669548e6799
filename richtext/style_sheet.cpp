// Default styles, InvalidItems and paragraph-style matching.
#include "richtext/style_sheet.h"

#include "platform/error.h"

namespace tovra {

void ThrowListIndexError(int index) { throw EListError(index); }

void MarkInvalid(TFontInfo& style) {
    style.Color = clWhite;
    style.BackColor = clRed;
}

void MarkInvalid(TParaInfo& style) {
    style.SpaceBefore = 1;
    style.SpaceAfter = 1;
    style.LeftIndent = 1;
    style.RightIndent = 1;
    style.Border.Color = clRed;
    style.Border.Style = rdbSingle;
    style.Border.Width = 2;
    style.Border.BorderOffsets = TRDRect{1, 1, 1, 1};
}

bool TParaInfo::IsSimilarTo(const TParaInfo& o) const {
    return Alignment == o.Alignment && FirstIndent == o.FirstIndent && LeftIndent == o.LeftIndent &&
           RightIndent == o.RightIndent && SpaceBefore == o.SpaceBefore && SpaceAfter == o.SpaceAfter &&
           LineSpacing == o.LineSpacing && LineSpacingType == o.LineSpacingType && Options == o.Options &&
           BiDiMode == o.BiDiMode && NextParaNo == o.NextParaNo && Background.Color == o.Background.Color &&
           Background.BorderOffsets == o.Background.BorderOffsets && Border.Style == o.Border.Style &&
           Border.Color == o.Border.Color && Border.Width == o.Border.Width &&
           Border.InternalWidth == o.Border.InternalWidth && Border.BorderOffsets == o.Border.BorderOffsets &&
           Border.VisibleBorders == o.Border.VisibleBorders;
}

int TParaInfos::FindSuchParaStyle(int baseStyleNo, const TParaInfo& style) const {
    if (InRange(baseStyleNo) && At(baseStyleNo).IsSimilarTo(style)) return baseStyleNo;
    for (int i = 0; i < Count(); ++i) {
        if (i != baseStyleNo && At(i).IsSimilarTo(style)) return i;
    }
    return -1;
}

TRDStyle::TRDStyle() {
    ResetTextStyles();
    ResetParaStyles();
}

void TRDStyle::ResetTextStyles() {
    TextStyles.Clear();
    TextStyles.Add().StyleName = "Normal text";
    struct Default {
        const char* name;
        TFontStyle style;
        TColor color;
        bool jump;
    };
    static constexpr Default kDefaults[] = {
        {"Heading", fsBold, clBlue, false},       {"Subheading", fsBold, clNavy, false},
        {"Keywords", fsItalic, clMaroon, false},  {"Jump 1", fsUnderline, clGreen, true},
        {"Jump 2", fsUnderline, clGreen, true},
    };
    for (const Default& d : kDefaults) {
        TFontInfo& s = TextStyles.Add();
        s.StyleName = d.name;
        s.Style.Include(d.style);
        s.Color = d.color;
        if (d.jump) {
            s.Jump = true;
            s.JumpCursor = JumpCursor;
        }
    }
}

void TRDStyle::ResetParaStyles() {
    ParaStyles.Clear();
    ParaStyles.Add();
    TParaInfo& centered = ParaStyles.Add();
    centered.StyleName = "Centered";
    centered.Alignment = rdaCenter;
}

}  // namespace tovra
