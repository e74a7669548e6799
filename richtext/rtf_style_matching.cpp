// Style matching of the document builder: the text and paragraph style of
// each run, an existing style of the style sheet when one is equal in every
// compared property, otherwise a new one.
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/ansi_char_tables.h"
#include "richtext/rtf_builder_internal.h"

namespace tovra {

using namespace rtf_builder_detail;

namespace {

TRDAlignment ParaAlignmentOf(uint8_t rtfAlignment) {
    return rtfAlignment <= 3 ? static_cast<TRDAlignment>(rtfAlignment) : rdaLeft;
}

// The sign of a vertical shift: 0 normal, -1 subscript, 1 superscript.
int VShiftSign(uint8_t rtfVShift) { return rtfVShift == 0 ? 0 : (rtfVShift == 1 ? -1 : 1); }
int VShiftSign(int32_t styleVShift) { return styleVShift == 0 ? 0 : (styleVShift < 0 ? -1 : 1); }

}  // namespace

namespace rtf_builder_detail {

// The border of a paragraph as a paragraph style describes it.
struct ParaBorder {
    TRDBorderStyle kind = rdbNone;
    int32_t width = 0;
    int32_t inner = 0;
    TColor color = clNone;
    TRDBooleanRect visible{false, false, false, false};

    int64_t TotalWidth() const {
        switch (kind) {
        case rdbSingle: return width;
        case rdbDouble: return 2 * int64_t{width} + inner;
        case rdbTriple: return 3 * int64_t{width} + 2 * int64_t{inner};
        case rdbThickInside:
        case rdbThickOutside: return 3 * int64_t{width} + inner;
        case rdbNone: break;
        }
        return 0;
    }
};

}  // namespace rtf_builder_detail

namespace {

// The first present side among top, left, bottom and right decides the
// border's kind, width and colour.
ParaBorder BorderOf(const TRDRTFParaProperties& para, int ppi) {
    ParaBorder b;
    if (!para.Border) return b;
    b.visible.Left = para.HasBorderSide(rtf_side_Left);
    b.visible.Top = para.HasBorderSide(rtf_side_Top);
    b.visible.Right = para.HasBorderSide(rtf_side_Right);
    b.visible.Bottom = para.HasBorderSide(rtf_side_Bottom);
    static constexpr int kOrder[] = {rtf_side_Top, rtf_side_Left, rtf_side_Bottom, rtf_side_Right};
    int sideIndex = -1;
    for (int s : kOrder) {
        if (para.HasBorderSide(s)) {
            sideIndex = s;
            break;
        }
    }
    if (sideIndex < 0) return b;
    const TRDRTFBorderSide& side = *para.Border->Sides[static_cast<size_t>(sideIndex)];
    const bool farSide = sideIndex == rtf_side_Right || sideIndex == rtf_side_Bottom;
    b.color = side.Color;
    // w = Width * F, kept exact: round(k * w / d) = RoundRatio(k * Width * ppi, d * 1440).
    const int64_t wp = int64_t{side.Width} * ppi;
    auto roundW = [wp](int64_t times, int64_t div) { return RoundRatio(wp * times, 1440 * div); };
    const TRDBorderStyle thinThick = farSide ? rdbThickInside : rdbThickOutside;
    const TRDBorderStyle thickThin = farSide ? rdbThickOutside : rdbThickInside;
    switch (side.Style) {
    case 2:  // thick
        b.kind = rdbSingle, b.width = roundW(2, 1), b.inner = 0;
        break;
    case 4:   // double
    case 22:  // wavy double
        b.kind = rdbDouble, b.width = roundW(1, 1), b.inner = 2 * b.width - 1;
        break;
    case 7:  // hairline
        b.kind = rdbSingle, b.width = 1, b.inner = 0;
        break;
    case 11:  // triple
        b.kind = rdbTriple, b.width = roundW(1, 1), b.inner = 2 * b.width - 1;
        break;
    case 12:  // thin-thick small
        b.kind = thinThick, b.width = roundW(1, 2), b.inner = b.width + (b.width + 1) / 2;
        break;
    case 15:  // thin-thick medium
        b.kind = thinThick, b.width = roundW(1, 2), b.inner = 2 * b.width + (b.width + 1) / 2;
        break;
    case 18:  // thin-thick large
        b.kind = thinThick, b.width = 1, b.inner = roundW(1, 1) + 1;
        break;
    case 13:  // thick-thin small: measured like the medium one
    case 16:  // thick-thin medium
        b.kind = thickThin, b.width = roundW(1, 2), b.inner = 2 * b.width + (b.width + 1) / 2;
        break;
    case 19:  // thick-thin large
        b.kind = thickThin, b.width = 1, b.inner = roundW(1, 1) + 1;
        break;
    case 14:  // thin-thick-thin small
        b.kind = rdbTriple, b.width = roundW(1, 3), b.inner = 2 * b.width - 1;
        break;
    case 17:  // thin-thick-thin medium
        b.kind = rdbTriple, b.width = roundW(1, 2), b.inner = 3 * b.width - 1;
        break;
    case 20:  // thin-thick-thin large
        b.kind = rdbTriple, b.width = 1, b.inner = roundW(1, 1);
        break;
    default:
        b.kind = rdbSingle, b.width = roundW(1, 1), b.inner = 0;
        break;
    }
    return b;
}

bool LineSpacingCompatible(const TParaInfo& style, uint8_t multiple, int64_t percent) {
    if (multiple == 0) return true;
    if (style.LineSpacingType == rdlsSpaceBetween) return style.LineSpacing <= 1 && percent <= 100;
    return style.LineSpacing == percent || (style.LineSpacing < 100 && percent < 100);
}

bool BorderCompatible(const TParaInfo& style, const ParaBorder& b) {
    if (b.kind == rdbNone) return style.Border.Style == rdbNone;
    const TRDBorder& s = style.Border;
    return s.Style == b.kind && s.Width == b.width && s.InternalWidth == b.inner && s.Color == b.color &&
           s.VisibleBorders.Left == b.visible.Left && s.VisibleBorders.Top == b.visible.Top &&
           s.VisibleBorders.Right == b.visible.Right && s.VisibleBorders.Bottom == b.visible.Bottom;
}


// Hashing of the compared properties of styles, so that the search for an
// equal style stays fast when hostile input adds thousands of styles.
uint64_t Mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return h;
}

uint64_t HashLowerName(std::string_view name) {
    const AnsiCharTables& t = AnsiCharTables::Get();
    uint64_t h = 1469598103934665603ull;
    for (char c : name) {
        h ^= t.ToLower(static_cast<unsigned char>(c));
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

namespace rtf_builder_detail {

// The properties a run's text style must equal (the charset is compared
// separately: a style of the default charset matches any).
struct TextKey {
    std::string_view name;
    int32_t size = 0;
    TColor color = 0;
    TColor backColor = 0;
    TFontStyles style;
    int32_t charScale = 100;
    int32_t spacing = 0;
    int vshift = 0;
    bool unicode = false;
    bool jump = false;
    uint8_t charset = 0;

    uint64_t Hash(bool anyJump) const {
        uint64_t h = HashLowerName(name);
        for (uint64_t v : {uint64_t(uint32_t(size)), uint64_t(color), uint64_t(backColor), uint64_t(style.Bits()),
                           uint64_t(uint32_t(charScale)), uint64_t(uint32_t(spacing)), uint64_t(vshift + 1),
                           uint64_t(unicode), uint64_t(anyJump ? 0 : jump)}) {
            h = Mix(h, v);
        }
        return h;
    }
    // Every property but the name, exactly, for RecentTextStyles.
    RecentTextStyles::Fields Fields() const {
        return {size, int64_t{color}, int64_t{backColor}, style.Bits(), charScale, spacing, vshift, unicode, jump,
                charset};
    }
    static TextKey Of(const TFontInfo& s) {
        TextKey k;
        k.name = s.FontName;
        k.size = s.Size;
        k.color = s.Color;
        k.backColor = s.BackColor;
        k.style = s.Style;
        k.charScale = s.CharScale;
        k.spacing = s.CharSpacing;
        k.vshift = VShiftSign(s.VShift);
        k.unicode = s.Unicode;
        k.jump = s.Jump;
        k.charset = s.Charset;
        return k;
    }
    bool MatchedBy(const TFontInfo& s, bool anyJump) const {
        return s.Size == size && s.Color == color && s.BackColor == backColor && s.Style == style &&
               (s.Charset == charset || s.Charset == DEFAULT_CHARSET) && s.CharScale == charScale &&
               s.CharSpacing == spacing && s.StyleEx.Empty() && VShiftSign(s.VShift) == vshift &&
               s.Unicode == unicode && (anyJump || s.Jump == jump) && EqualsIgnoringAnsiCase(s.FontName, name);
    }
};

// The properties a paragraph style must equal, besides the line spacing and
// the details of the border.
struct ParaKey {
    TRDAlignment alignment = rdaLeft;
    int32_t left = 0, right = 0, first = 0, before = 0, after = 0;
    TColor shading = 0;
    TRDBorderStyle border = rdbNone;

    uint64_t Hash() const {
        uint64_t h = 0;
        for (uint64_t v : {uint64_t(alignment), uint64_t(uint32_t(left)), uint64_t(uint32_t(right)),
                           uint64_t(uint32_t(first)), uint64_t(uint32_t(before)), uint64_t(uint32_t(after)),
                           uint64_t(shading), uint64_t(border)}) {
            h = Mix(h, v);
        }
        return h;
    }
    static ParaKey Of(const TParaInfo& s) {
        return ParaKey{s.Alignment, s.LeftIndent, s.RightIndent, s.FirstIndent, s.SpaceBefore,
                       s.SpaceAfter, s.Background.Color, s.Border.Style};
    }
    bool MatchedBy(const TParaInfo& s) const {
        return s.Alignment == alignment && s.LeftIndent == left && s.RightIndent == right &&
               s.FirstIndent == first && s.SpaceBefore == before && s.SpaceAfter == after &&
               s.Background.Color == shading && s.Border.Style == border;
    }
};

}  // namespace rtf_builder_detail

int32_t TRDRTFDocumentBuilder::TextStyleFor(const TRDRTFReader& reader) {
    if (!AddStyles(settings_.TextStyleMode)) return settings_.TextStyleNo();
    const TRDRTFFontList& fonts = reader.Fonts();
    if (fonts.empty()) return 0;
    const TRDRTFReaderState& state = reader.State();
    const TRDRTFCharProperties& cp = state.CharProps;
    const size_t fontIndex = cp.FontIndex >= 0 && static_cast<size_t>(cp.FontIndex) < fonts.size()
                                 ? static_cast<size_t>(cp.FontIndex)
                                 : 0;
    const TRDRTFFont& font = fonts[fontIndex];
    const std::string_view name = cp.FontNameOverride.empty() ? std::string_view(font.Name)
                                                               : std::string_view(cp.FontNameOverride);
    const uint8_t charset = font.Charset;
    const int32_t size = cp.VShift != 0 ? RoundRatio(cp.Size, 2) : cp.Size;
    const int32_t spacing = scale_(cp.CharSpacing);
    const bool hyperlink = state.FieldInstruction.find("HYPERLINK") != std::string::npos;
    const TFontStyles fontStyle = FontStylesOf(cp.Style);
    const bool allCaps = (cp.StyleEx & rtf_fsx_AllCaps) != 0;
    const int vshift = VShiftSign(cp.VShift);
    const bool unicode = settings_.UnicodeMode == rdruOnlyUnicode;

    TFontInfos& styles = style_->TextStyles;
    // A style with effects (StyleEx) never matches, so every run in capitals
    // adds a style of its own.
    if (!allCaps) {
        TextKey key;
        key.name = name;
        key.size = size;
        key.color = cp.Color;
        key.backColor = cp.BackColor;
        key.style = fontStyle;
        key.charScale = cp.CharScale;
        key.spacing = spacing;
        key.vshift = vshift;
        key.unicode = unicode;
        key.jump = hyperlink;
        key.charset = charset;
        const RecentTextStyles::Fields fields = key.Fields();
        const int32_t recent = recentTextStyles_.Find(key.name, fields);
        if (recent >= 0) return recent;
        const int32_t found = FindTextStyle(key);
        if (found >= 0) {
            recentTextStyles_.Remember(key.name, fields, found);
            return found;
        }
    }
    TFontInfo& s = styles.Add();
    s.Standard = false;
    s.Jump = hyperlink;
    s.Unicode = unicode;
    s.Style = fontStyle;
    s.Size = size;
    s.Color = cp.Color;
    s.BackColor = cp.BackColor;
    s.FontName.assign(name.data(), name.size());
    s.Charset = charset;
    s.CharScale = cp.CharScale;
    s.CharSpacing = spacing;
    s.VShift = vshift == 0 ? 0 : (vshift < 0 ? -25 : 45);
    if (allCaps) s.StyleEx.Include(rdfsAllCaps);
    IndexTextStyle(styles.Count() - 1);
    return styles.Count() - 1;
}

int32_t TRDRTFDocumentBuilder::FindTextStyle(const TextKey& key) {
    const TFontInfos& styles = style_->TextStyles;
    const bool anyJump = settings_.UseHypertextStyles;
    if (!textIndex_.Built() && styles.Count() > StyleIndex::kLinearLimit) {
        textIndex_.MarkBuilt();
        for (int i = 0; i < styles.Count(); ++i) IndexTextStyle(i);
    }
    if (!textIndex_.Built()) {
        for (int i = 0; i < styles.Count(); ++i) {
            if (key.MatchedBy(styles.Items(i), anyJump)) return i;
        }
        return -1;
    }
    if (const std::vector<int32_t>* bucket = textIndex_.Find(key.Hash(anyJump))) {
        for (int32_t i : *bucket) {
            if (key.MatchedBy(styles.Items(i), anyJump)) return i;
        }
    }
    return -1;
}

void TRDRTFDocumentBuilder::IndexTextStyle(int32_t index) {
    if (!textIndex_.Built()) return;
    const TFontInfo& s = style_->TextStyles.Items(index);
    if (!s.StyleEx.Empty()) return;  // never matches
    textIndex_.Add(TextKey::Of(s).Hash(settings_.UseHypertextStyles), index);
}

int32_t TRDRTFDocumentBuilder::ParaStyleFor(const TRDRTFReader& reader) {
    if (!AddStyles(settings_.ParaStyleMode)) return settings_.ParaStyleNo();
    const TRDRTFParaProperties& pp = reader.State().ParaProps;
    const ParaBorder border = BorderOf(pp, scale_.PixelsPerInch());
    const TRDAlignment alignment = ParaAlignmentOf(pp.Alignment);
    const int32_t left = scale_(pp.LeftIndent);
    const int32_t right = scale_(pp.RightIndent);
    const int32_t first = scale_(pp.FirstIndent);
    const int32_t before = scale_(pp.SpaceBefore);
    const int32_t after = scale_(pp.SpaceAfter);
    const int64_t lineSpacing = int64_t{pp.LineSpacing};
    const int64_t percent = (lineSpacing < 0 ? -lineSpacing : lineSpacing) * 100 / 240;

    TParaInfos& styles = style_->ParaStyles;
    const ParaKey key{alignment, left, right, first, before, after, pp.ShadingColor, border.kind};
    const int32_t found = FindParaStyle(key, pp.LineSpacingMultiple, percent, border);
    if (found >= 0) return found;
    TParaInfo& s = styles.Add();
    s.Standard = false;
    s.Alignment = alignment;
    s.LeftIndent = left;
    s.RightIndent = right;
    s.FirstIndent = first;
    s.SpaceBefore = before;
    s.SpaceAfter = after;
    if (pp.LineSpacingMultiple != 0) s.LineSpacing = Clamp32(lineSpacing * 100 / 240);
    s.Background.Color = pp.ShadingColor;
    if (border.kind != rdbNone) {
        s.Border.Style = border.kind;
        s.Border.Width = border.width;
        s.Border.InternalWidth = border.inner;
        s.Border.Color = border.color;
        s.Border.VisibleBorders = border.visible;
        // The border is drawn inside the paragraph's spacing and indents.
        const int64_t total = border.TotalWidth();
        s.SpaceBefore = Clamp32(s.SpaceBefore + total);
        s.SpaceAfter = Clamp32(s.SpaceAfter + total);
        s.LeftIndent = Clamp32(s.LeftIndent + total);
        s.RightIndent = Clamp32(s.RightIndent + total);
    }
    IndexParaStyle(styles.Count() - 1);
    return styles.Count() - 1;
}

int32_t TRDRTFDocumentBuilder::FindParaStyle(const ParaKey& key, uint8_t multiple, int64_t percent,
                                             const ParaBorder& border) {
    const TParaInfos& styles = style_->ParaStyles;
    auto matches = [&](const TParaInfo& s) {
        return key.MatchedBy(s) && LineSpacingCompatible(s, multiple, percent) && BorderCompatible(s, border);
    };
    if (!paraIndex_.Built() && styles.Count() > StyleIndex::kLinearLimit) {
        paraIndex_.MarkBuilt();
        for (int i = 0; i < styles.Count(); ++i) IndexParaStyle(i);
    }
    if (!paraIndex_.Built()) {
        for (int i = 0; i < styles.Count(); ++i) {
            if (matches(styles.Items(i))) return i;
        }
        return -1;
    }
    if (const std::vector<int32_t>* bucket = paraIndex_.Find(key.Hash())) {
        for (int32_t i : *bucket) {
            if (matches(styles.Items(i))) return i;
        }
    }
    return -1;
}

void TRDRTFDocumentBuilder::IndexParaStyle(int32_t index) {
    if (paraIndex_.Built()) paraIndex_.Add(ParaKey::Of(style_->ParaStyles.Items(index)).Hash(), index);
}

int32_t TRDRTFDocumentBuilder::DefaultParaNo(uint8_t alignment) {
    // Styles are only ever appended during a load, so the first style equal
    // to the wanted one stays the same: the result is kept per alignment.
    const TRDAlignment wanted = ParaAlignmentOf(alignment);
    int32_t& cached = defaultParaCache_[static_cast<size_t>(wanted)];
    if (cached >= 0) return cached;
    TParaInfos& styles = style_->ParaStyles;
    if (styles.Count() == 0) {
        styles.Add();
        IndexParaStyle(0);
    }
    const TParaInfo& first = styles.Items(0);
    int32_t result = 0;
    if (first.LeftIndent != 0 || first.RightIndent != 0 || first.FirstIndent != 0 || first.Alignment != wanted) {
        TParaInfo copy = first;
        copy.LeftIndent = 0;
        copy.RightIndent = 0;
        copy.FirstIndent = 0;
        copy.Alignment = wanted;
        result = styles.FindSuchParaStyle(0, copy);
        if (result < 0) {
            styles.Add() = copy;
            result = styles.Count() - 1;
            IndexParaStyle(result);
        }
    }
    cached = result;
    return result;
}

}  // namespace tovra
