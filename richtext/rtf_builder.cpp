// The document builder: the RTF reader's events into document items and
// style-sheet entries.
#include "richtext/rtf_builder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ansi_char_tables.h"
#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "platform/screen.h"
#include "richtext/document.h"
#include "richtext/items.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_table_builder.h"
#include "richtext/style_sheet.h"
#include "richtext/table.h"

namespace tovra {

namespace {

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The list type of an RTF list level or numbering marker.
TRDListType ListTypeOf(uint8_t rtfType) {
    switch (rtfType) {
    case 1: return rdlstLowerAlpha;
    case 2: return rdlstUpperAlpha;
    case 3: return rdlstLowerRoman;
    case 4: return rdlstUpperRoman;
    case 5: return rdlstBullet;
    default: return rdlstDecimal;
    }
}

TRDMarkerAlignment MarkerAlignmentOf(uint8_t rtfAlignment) {
    switch (rtfAlignment) {
    case 1: return rdmaRight;
    case 2: return rdmaCenter;
    default: return rdmaLeft;
    }
}

TRDAlignment ParaAlignmentOf(uint8_t rtfAlignment) {
    return rtfAlignment <= 3 ? static_cast<TRDAlignment>(rtfAlignment) : rdaLeft;
}

TFontStyles FontStylesOf(uint8_t rtfStyle) { return TFontStyles::FromBits(static_cast<uint8_t>(rtfStyle & 0x0F)); }

// The sign of a vertical shift: 0 normal, -1 subscript, 1 superscript.
int VShiftSign(uint8_t rtfVShift) { return rtfVShift == 0 ? 0 : (rtfVShift == 1 ? -1 : 1); }
int VShiftSign(int32_t styleVShift) { return styleVShift == 0 ? 0 : (styleVShift < 0 ? -1 : 1); }

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

// The marker format of an RTF level text (without its length prefix): a
// byte n below 10 is the placeholder of level n, written "%n:s"; level 0
// is written "%s" (`zeroAsIndex` false) or "%0:s" (true).
std::string FormatOfLevelText(std::string_view levelText, bool zeroAsIndex) {
    std::string out;
    for (size_t i = 1; i < levelText.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(levelText[i]);
        if (c < 10) {
            if (c == 0 && !zeroAsIndex) {
                out += "%s";
            } else {
                out += '%';
                out += static_cast<char>('0' + c);
                out += ":s";
            }
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool SameMarkerFont(const TRDMarkerFont& a, const TRDMarkerFont& b) {
    return a.Style == b.Style && a.Color == b.Color && a.Size == b.Size && EqualsIgnoringAnsiCase(a.Name, b.Name);
}

// One level of an RTF list as a list-style level, with the second accepted
// form of its format string.
struct WantedLevel {
    TRDListLevel level;
    std::string altFormat;
};


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

// Styles searched one by one while there are few of them, through a hash
// index once there are many.
class StyleIndex {
public:
    static constexpr int kLinearLimit = 48;
    void Reset() {
        built_ = false;
        buckets_.clear();
    }
    bool Built() const { return built_; }
    void MarkBuilt() { built_ = true; }
    void Add(uint64_t hash, int32_t index) { buckets_[hash].push_back(index); }
    const std::vector<int32_t>* Find(uint64_t hash) const {
        auto it = buckets_.find(hash);
        return it == buckets_.end() ? nullptr : &it->second;
    }

private:
    bool built_ = false;
    std::unordered_map<uint64_t, std::vector<int32_t>> buckets_;
};

}  // namespace

// ---- the builder ----

class TRDRTFDocumentBuilder final : public TRDRTFTableHost {
public:
    explicit TRDRTFDocumentBuilder(const TRDRTFReaderProperties& settings);

    uint8_t Fill(std::string_view rtf, TCustomRDData& target);
    // Merges the adjacent text items of `doc` from index `from` on.
    void MergeTextItems(TCustomRDData& doc, int from);

    void AddEmptyCellRun(const TRDRTFReader& reader) override { OnText(reader, {}, rtf_ts_NewPara, true); }
    void InsertTable(std::unique_ptr<TRDTableItemInfo> table) override;
    void MoveOutItem(std::string_view text, std::unique_ptr<TCustomRDItemInfo> item) override;
    int32_t DefaultParaNo(uint8_t alignment) override;
    TCustomRDData& Target() override { return *target_; }
    const TRDTwipScale& Scale() const override { return scale_; }

private:
    void OnText(const TRDRTFReader& reader, std::string_view text, TRDRTFPosition position, bool keepHidden);
    void MarkerUpdate(const TRDRTFReader& reader);
    void OnTable(const TRDRTFReader& reader, TRDRTFTableEventKind kind);

    bool AddStyles(TRDReaderStyleMode mode) const { return mode != rdrsUseSpecified; }
    int32_t TextStyleFor(const TRDRTFReader& reader);
    int32_t ParaStyleFor(const TRDRTFReader& reader);
    int32_t FindTextStyle(const TextKey& key);
    void IndexTextStyle(int32_t index);
    int32_t FindParaStyle(const ParaKey& key, uint8_t multiple, int64_t percent, const ParaBorder& border);
    void IndexParaStyle(int32_t index);
    TCustomRDData& Current() const;
    int32_t ParaNoOfLast() const;

    // Inserts `item` (owned by `owned` unless it is a text item copied from
    // `item`) at the end of the current document under the paragraph rules.
    void InsertRunItem(std::string_view text, TCustomRDItemInfo& item, std::unique_ptr<TCustomRDItemInfo> owned,
                       TRDRTFPosition position, bool movingOut, bool numberedMarker);
    // The list marker of a paragraph that starts; true when one was inserted.
    bool InsertParagraphMarker(int32_t paraNo);
    int32_t ListStyleForMarker(const TRDRTFReader& reader, const TRDRTFMarkerProperties& marker);
    void BuildListMap(const TRDRTFReader& reader);
    void WantedLevelOf(const TRDRTFReader& reader, const TRDRTFListLevel97& source, WantedLevel& out) const;
    bool LevelMatches(const TRDListLevel& existing, const WantedLevel& wanted, const TRDRTFListLevel97& source) const;
    void RegisterTableMarkers(TRDTableItemInfo& table);
    void Renumber(TRDMarkerItemInfo& marker);

    const TRDRTFReaderProperties& settings_;
    TRDRTFReader reader_;
    TRDRTFTableBuilder tables_;
    TRDTwipScale scale_;

    // Working state of one load.
    TCustomRDData* target_ = nullptr;
    TRDStyle* style_ = nullptr;
    bool pageBreakPending_ = false;
    std::array<int32_t, 4> defaultParaCache_{};  // per alignment, -1 none yet
    StyleIndex textIndex_;
    StyleIndex paraIndex_;
    TRDMarkerItemInfo* pendingMarker_ = nullptr;  // old-style marker awaiting its list style
    std::array<int32_t, 11> levelListStyles_{};
    bool listMapBuilt_ = false;
    std::vector<int32_t> listMap_;
    std::vector<uint8_t> listStyleUsed_;

    // Reused buffers.
    std::string text_;
    std::vector<WantedLevel> wanted_;
    std::vector<uint8_t> mergeFlags_;
    std::vector<std::pair<std::string, std::unique_ptr<TCustomRDItemInfo>>> tail_;
};

TRDRTFDocumentBuilder::TRDRTFDocumentBuilder(const TRDRTFReaderProperties& settings)
    : settings_(settings), tables_(*this) {
    reader_.OnNewText = [this](TRDRTFReader& r, std::string_view text, TRDRTFPosition position) {
        OnText(r, text, position, false);
    };
    reader_.OnUpdateMarker = [this](TRDRTFReader& r) { MarkerUpdate(r); };
    reader_.OnTable = [this](TRDRTFReader& r, TRDRTFTableEventKind kind) { OnTable(r, kind); };
    reader_.OnRequiredPageBreak = [this](TRDRTFReader&) { pageBreakPending_ = true; };
    levelListStyles_.fill(-1);
}

uint8_t TRDRTFDocumentBuilder::Fill(std::string_view rtf, TCustomRDData& target) {
    TRDStyle* style = target.GetStyle();
    if (!style) return kRtfLoadNoSettings;
    target_ = &target;
    style_ = style;
    scale_ = TRDTwipScale(ScreenPixelsPerInch());
    pageBreakPending_ = false;
    defaultParaCache_.fill(-1);
    textIndex_.Reset();
    paraIndex_.Reset();
    pendingMarker_ = nullptr;
    levelListStyles_.fill(-1);
    listMapBuilt_ = false;
    tables_.Reset();

    switch (settings_.ConvertHighlight) {
    case rtfhlIgnore: reader_.ConvertHighlight = rtf_hl_Ignore; break;
    case rtfhlFixedColors: reader_.ConvertHighlight = rtf_hl_FixedColors; break;
    case rtfhlColorTable: reader_.ConvertHighlight = rtf_hl_ColorTable; break;
    }
    reader_.DefCodePage = static_cast<int32_t>(style->DefCodePage);
    reader_.UnmappableChar = settings_.UnmappableChar;

    uint8_t status = rtf_st_Exception;
    try {
        status = reader_.ReadStream(rtf);
        // Reading that stopped early leaves tables open; their content is
        // kept as if the tables had ended there.
        if (tables_.OpenTables() > 0) tables_.CloseAll(reader_);
        MarkerUpdate(reader_);
    } catch (...) {
        status = rtf_st_Exception;
    }
    tables_.Reset();
    pendingMarker_ = nullptr;
    target_ = nullptr;
    style_ = nullptr;
    return status;
}

TCustomRDData& TRDRTFDocumentBuilder::Current() const {
    if (TRDTableCellData* cell = tables_.CurrentCell()) return *cell;
    return *target_;
}

int32_t TRDRTFDocumentBuilder::ParaNoOfLast() const {
    const TCustomRDData& doc = Current();
    return doc.ItemCount() > 0 ? doc.GetItem(doc.ItemCount() - 1).ParaNo : 0;
}

void TRDRTFDocumentBuilder::OnText(const TRDRTFReader& reader, std::string_view text, TRDRTFPosition position,
                                   bool keepHidden) {
    if (settings_.SkipHiddenText && reader.State().CharProps.Hidden && !keepHidden) return;
    if (position == rtf_ts_NewLine && settings_.LineBreaksAsParagraphs) position = rtf_ts_NewPara;
    const int32_t styleNo = TextStyleFor(reader);
    const int32_t paraNo = position == rtf_ts_NewPara ? ParaStyleFor(reader) : ParaNoOfLast();

    text_.clear();
    const size_t spaces = static_cast<size_t>(std::max<int16_t>(style_->SpacesInTab, 0));
    for (char c : text) {
        if (c == '\t') {
            text_.append(spaces, ' ');
        } else {
            text_ += c;
        }
    }
    TRDTextItemInfo item(styleNo, paraNo);
    if (style_->TextStyles.Items(styleNo).Unicode) {
        // Text of a Unicode style is stored as UTF-16LE; the reader's runs
        // are in the ANSI code page whatever the font.
        const std::u16string wide = CodePageToUtf16(text_, kAnsiCodePage);
        text_.clear();
        for (char16_t u : wide) AppendLe16(text_, u);
        item.SetFlag(rdifUnicode);
    }
    InsertRunItem(text_, item, nullptr, position, false, false);
}

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
        const int32_t found = FindTextStyle(key);
        if (found >= 0) return found;
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

void TRDRTFDocumentBuilder::InsertRunItem(std::string_view text, TCustomRDItemInfo& item,
                                          std::unique_ptr<TCustomRDItemInfo> owned, TRDRTFPosition position,
                                          bool movingOut, bool numberedMarker) {
    if (position == rtf_ts_ContinuePara) {
        item.SetFlag(rdifJoinsPrevious);
    } else if (position == rtf_ts_NewLine) {
        if (settings_.LineBreaksAsParagraphs) {
            position = rtf_ts_NewPara;
        } else {
            item.SetFlag(rdifLineBreak);
        }
    }
    if (position == rtf_ts_NewPara && item.StyleNo != rdkListMarker && !item.OccupiesWholeLine() && !movingOut) {
        if (InsertParagraphMarker(item.ParaNo)) item.SetFlag(rdifJoinsPrevious);
    }
    if (pageBreakPending_) {
        item.SetFlag(rdifPageBreak);
        pageBreakPending_ = false;
    }

    TRDTableCellData* cell = tables_.CurrentCell();
    TCustomRDData& doc = cell ? static_cast<TCustomRDData&>(*cell) : *target_;
    const int index = doc.ItemCount();
    // The first item of a document, and an item after a table, start a
    // paragraph whatever the reader said.
    if (index == 0 || doc.GetItem(index - 1).OccupiesWholeLine()) {
        item.ClearFlag(rdifJoinsPrevious);
        item.ClearFlag(rdifLineBreak);
    }
    TRDMarkerItemInfo* marker = item.StyleNo == rdkListMarker ? static_cast<TRDMarkerItemInfo*>(&item) : nullptr;
    TRDTableItemInfo* table = item.StyleNo == rdkTable ? static_cast<TRDTableItemInfo*>(&item) : nullptr;
    if (owned) {
        doc.InsertItem(index, text, std::move(owned));
    } else {
        doc.InsertItem(index, text, static_cast<const TRDTextItemInfo&>(item));
    }
    // `item` may be gone now (an owned text item is copied into the list).
    if (cell) {
        // Markers in tables are registered when the outermost table is
        // placed in the target, so that they enter the marker list in
        // document order.
        tables_.NoteContentAdded();
    } else {
        if (marker) target_->RegisterMarker(index);
        if (table) RegisterTableMarkers(*table);
    }
    if (marker && numberedMarker) pendingMarker_ = marker;
}

void TRDRTFDocumentBuilder::RegisterTableMarkers(TRDTableItemInfo& table) {
    for (int r = 0; r < table.RowCount(); ++r) {
        for (int c = 0; c < table.ColCount(); ++c) {
            TRDTableCellData* cell = table.Cell(r, c);
            if (!cell) continue;
            for (int i = 0; i < cell->ItemCount(); ++i) {
                TCustomRDItemInfo& item = cell->GetItem(i);
                if (item.StyleNo == rdkListMarker) {
                    cell->RegisterMarker(i);
                } else if (item.StyleNo == rdkTable) {
                    RegisterTableMarkers(static_cast<TRDTableItemInfo&>(item));
                }
            }
        }
    }
}

void TRDRTFDocumentBuilder::InsertTable(std::unique_ptr<TRDTableItemInfo> table) {
    TRDTableItemInfo& item = *table;
    InsertRunItem({}, item, std::move(table), rtf_ts_NewPara, false, false);
}

void TRDRTFDocumentBuilder::MoveOutItem(std::string_view text, std::unique_ptr<TCustomRDItemInfo> item) {
    item->ClearFlag(rdifJoinsPrevious);
    item->ClearFlag(rdifLineBreak);
    TCustomRDItemInfo& ref = *item;
    InsertRunItem(text, ref, std::move(item), rtf_ts_NewPara, true, false);
}

// ---- list markers ----

bool TRDRTFDocumentBuilder::InsertParagraphMarker(int32_t paraNo) {
    if (!AddStyles(settings_.ParaStyleMode)) return false;
    const TRDRTFParaProperties& pp = reader_.State().ParaProps;
    if (!pp.Marker) levelListStyles_.fill(-1);
    if (pp.Marker && pp.Marker->Level > 0) {
        // Old-style numbering (pn): the list style is chosen at the next
        // marker update, when the marker's font is known.
        const int32_t level = pp.Marker->Level;
        const bool reset = level > 11 || levelListStyles_[static_cast<size_t>(level - 1)] < 0;
        auto marker = std::make_unique<TRDMarkerItemInfo>(-1, -1, pp.Marker->Start, reset);
        marker->ParaNo = paraNo;
        TRDMarkerItemInfo& ref = *marker;
        InsertRunItem({}, ref, std::move(marker), rtf_ts_NewPara, false, true);
        return true;
    }
    const TRDRTFListOverrideTable97& overrides = reader_.ListOverrides();
    if (pp.ListOverrideIndex < 0 || static_cast<size_t>(pp.ListOverrideIndex) >= overrides.size()) return false;
    if (!listMapBuilt_) BuildListMap(reader_);
    const TRDRTFListOverride97& ov = overrides[static_cast<size_t>(pp.ListOverrideIndex)];
    const int32_t level = pp.ListLevel;
    int32_t startFrom = 1;
    bool reset = false;
    if (level >= 0 && static_cast<size_t>(level) < ov.Levels.size()) {
        startFrom = ov.Levels[static_cast<size_t>(level)].Start;
        reset = ov.Levels[static_cast<size_t>(level)].StartOverridden;
    }
    int32_t listNo = -1;
    if (ov.ListIndex >= 0 && static_cast<size_t>(ov.ListIndex) < listMap_.size()) {
        listNo = listMap_[static_cast<size_t>(ov.ListIndex)];
        // A marker names only a list style that has levels.
        if (listNo >= 0 && style_->ListStyles.Items(listNo).Levels.Count() == 0) listNo = -1;
    }
    auto marker = std::make_unique<TRDMarkerItemInfo>(listNo, level, startFrom, reset);
    marker->ParaNo = paraNo;
    TRDMarkerItemInfo& ref = *marker;
    InsertRunItem({}, ref, std::move(marker), rtf_ts_NewPara, false, false);
    return true;
}

void TRDRTFDocumentBuilder::WantedLevelOf(const TRDRTFReader& reader, const TRDRTFListLevel97& source,
                                          WantedLevel& out) const {
    TRDListLevel& v = out.level;
    v = TRDListLevel();
    v.ListType = ListTypeOf(source.ListType);
    v.StartFrom = source.Start;
    v.MarkerAlignment = MarkerAlignmentOf(source.Alignment);
    v.LeftIndent = scale_(source.LeftIndent);
    v.MarkerIndent = Clamp32(int64_t{v.LeftIndent} + scale_(source.FirstIndent));
    v.FirstIndent = Clamp32(int64_t{scale_(source.TabPosition)} - v.LeftIndent);
    if (source.NoRestart) v.Options.Exclude(rdloLevelReset);
    if (source.Legal) v.Options.Include(rdloLegalStyleNumbering);
    v.Font.Style = FontStylesOf(source.FontStyle);
    v.Font.Color = source.Color;
    v.Font.Size = source.FontSize;
    const TRDRTFFontList& fonts = reader.Fonts();
    const TRDRTFFont* font = source.FontIndex >= 0 && static_cast<size_t>(source.FontIndex) < fonts.size()
                                 ? &fonts[static_cast<size_t>(source.FontIndex)]
                                 : nullptr;
    if (font) {
        v.Font.Name = font->Name;
        v.Font.Charset = font->Charset;
    }
    v.FormatString = FormatOfLevelText(source.LevelText, false);
    out.altFormat = FormatOfLevelText(source.LevelText, true);
    if (v.ListType == rdlstBullet && source.LevelTextW.size() == 2) {
        const char16_t ch = source.LevelTextW[1];
        const bool symbol = font && EqualsIgnoringAnsiCase(font->Name, "Symbol") && ch >= 0xF0A1 && ch <= 0xF0FE;
        const bool wingdings = font && EqualsIgnoringAnsiCase(font->Name, "Wingdings") && ch >= 0xF021 && ch <= 0xF0FF;
        if (symbol || wingdings) {
            // A symbol-font bullet is the font's own 8-bit character.
            v.FormatString.assign(1, static_cast<char>(ch - 0xF000));
            out.altFormat = v.FormatString;
        } else {
            v.ListType = rdlstUnicodeBullet;
            v.FormatStringW.assign(1, ch);
        }
    }
}

bool TRDRTFDocumentBuilder::LevelMatches(const TRDListLevel& e, const WantedLevel& wanted,
                                         const TRDRTFListLevel97& source) const {
    const TRDListLevel& v = wanted.level;
    return e.ListType == v.ListType && e.StartFrom == v.StartFrom && e.MarkerAlignment == v.MarkerAlignment &&
           e.LeftIndent == v.LeftIndent && e.MarkerIndent == v.MarkerIndent && e.FirstIndent == v.FirstIndent &&
           e.Options.Has(rdloLevelReset) == !source.NoRestart &&
           e.Options.Has(rdloLegalStyleNumbering) == source.Legal && SameMarkerFont(e.Font, v.Font) &&
           (e.FormatString == v.FormatString || e.FormatString == wanted.altFormat) &&
           (v.ListType != rdlstUnicodeBullet || e.FormatStringW == v.FormatStringW);
}

void TRDRTFDocumentBuilder::BuildListMap(const TRDRTFReader& reader) {
    listMapBuilt_ = true;
    const TRDRTFListTable97& lists = reader.ListTable();
    TRDListInfos& styles = style_->ListStyles;
    listMap_.assign(lists.size(), -1);
    listStyleUsed_.assign(static_cast<size_t>(styles.Count()), 0);
    for (size_t l = 0; l < lists.size(); ++l) {
        const TRDRTFList97& list = lists[l];
        if (wanted_.size() < list.Levels.size()) wanted_.resize(list.Levels.size());
        for (size_t k = 0; k < list.Levels.size(); ++k) WantedLevelOf(reader, list.Levels[k], wanted_[k]);
        int32_t found = -1;
        for (int i = 0; i < styles.Count() && found < 0; ++i) {
            if (listStyleUsed_[static_cast<size_t>(i)]) continue;
            const TRDListInfo& s = styles.Items(i);
            if (static_cast<size_t>(s.Levels.Count()) < list.Levels.size()) continue;
            bool match = true;
            for (size_t k = 0; k < list.Levels.size() && match; ++k) {
                match = LevelMatches(s.Levels.Items(static_cast<int>(k)), wanted_[k], list.Levels[k]);
            }
            if (match) found = i;
        }
        if (found < 0) {
            TRDListInfo& s = styles.Add();
            for (size_t k = 0; k < list.Levels.size(); ++k) s.Levels.Add() = wanted_[k].level;
            found = styles.Count() - 1;
            listStyleUsed_.push_back(0);
        }
        listStyleUsed_[static_cast<size_t>(found)] = 1;
        listMap_[l] = found;
    }
}

int32_t TRDRTFDocumentBuilder::ListStyleForMarker(const TRDRTFReader& reader, const TRDRTFMarkerProperties& marker) {
    const int32_t level = marker.Level;
    if (level < 1 || level > 11) return -1;
    const TRDRTFFontList& fonts = reader.Fonts();
    if (marker.FontIndex < 0 || static_cast<size_t>(marker.FontIndex) >= fonts.size()) return -1;
    int32_t& chosen = levelListStyles_[static_cast<size_t>(level - 1)];
    if (level <= 10 && chosen >= 0) return chosen;

    const TRDRTFParaProperties& pp = reader.State().ParaProps;
    TRDListLevel w;
    std::string altFormat;
    if (level == 11) {
        w.ListType = rdlstBullet;
        w.FormatString = marker.TextBefore;
        altFormat = w.FormatString;
        w.MarkerAlignment = rdmaLeft;
    } else {
        w.ListType = ListTypeOf(marker.ListType);
        w.FormatString = marker.TextBefore + "%s" + marker.TextAfter;
        altFormat = marker.TextBefore + "%0:s" + marker.TextAfter;
        w.MarkerAlignment = MarkerAlignmentOf(marker.Alignment);
    }
    const int64_t left = scale_(pp.LeftIndent);
    const int64_t paraFirst = scale_(pp.FirstIndent);
    const int64_t indent = scale_(marker.Indent);
    const int64_t space = scale_(marker.Space);
    int64_t markerIndent = left + paraFirst;
    const int64_t firstIndent =
        marker.Hanging ? std::max(space, paraFirst + indent) : std::max<int64_t>(0, std::max(indent, space) + paraFirst);
    if (w.MarkerAlignment == rdmaRight) {
        markerIndent = firstIndent + left;
    } else if (w.MarkerAlignment == rdmaCenter) {
        markerIndent = (firstIndent + left + markerIndent) / 2;
    }
    w.LeftIndent = Clamp32(left);
    w.MarkerIndent = Clamp32(markerIndent);
    w.FirstIndent = Clamp32(firstIndent);
    w.Font.Size = marker.FontSize;
    w.Font.Style = FontStylesOf(marker.FontStyle);
    w.Font.Color = marker.Color;
    w.Font.Name = fonts[static_cast<size_t>(marker.FontIndex)].Name;

    TRDListInfos& styles = style_->ListStyles;
    int32_t result = -1;
    for (int i = 0; i < styles.Count() && result < 0; ++i) {
        const TRDListInfo& s = styles.Items(i);
        if (s.Levels.Count() < 1) continue;
        const TRDListLevel& e = s.Levels.Items(0);
        if (e.ListType == w.ListType && e.MarkerAlignment == w.MarkerAlignment && e.LeftIndent == w.LeftIndent &&
            e.MarkerIndent == w.MarkerIndent && e.FirstIndent == w.FirstIndent && SameMarkerFont(e.Font, w.Font) &&
            (e.FormatString == w.FormatString || e.FormatString == altFormat)) {
            result = i;
        }
    }
    if (result < 0) {
        TRDListInfo& s = styles.Add();
        s.Levels.Add() = w;
        result = styles.Count() - 1;
    }
    chosen = result;
    return result;
}

void TRDRTFDocumentBuilder::Renumber(TRDMarkerItemInfo& marker) {
    TRDMarkerList* markers = target_->GetMarkers();
    if (!markers) return;
    const int position = markers->IndexOf(&marker);
    if (position >= 0) markers->NumberFrom(position, style_);
}

void TRDRTFDocumentBuilder::MarkerUpdate(const TRDRTFReader& reader) {
    if (!pendingMarker_) return;
    TRDMarkerItemInfo& marker = *pendingMarker_;
    pendingMarker_ = nullptr;
    const TRDRTFParaProperties& pp = reader.State().ParaProps;
    marker.ListNo = pp.Marker ? ListStyleForMarker(reader, *pp.Marker) : -1;
    if (marker.ListNo >= 0) {
        marker.Level = 0;
        Renumber(marker);
    }
}

void TRDRTFDocumentBuilder::OnTable(const TRDRTFReader& reader, TRDRTFTableEventKind kind) {
    // A marker still waiting here lost its numbering (the reader updates
    // markers before table events only while the paragraph has one);
    // settle it before the table's cells are moved or freed.
    MarkerUpdate(reader);
    tables_.HandleEvent(reader, kind);
}

// ---- merging ----

void TRDRTFDocumentBuilder::MergeTextItems(TCustomRDData& doc, int from) {
    const int n = doc.ItemCount();
    from = std::max(from, 0);
    if (n - from < 2) return;
    const TRDStyle* style = doc.GetStyle();
    auto unicodeOf = [style](int32_t styleNo) { return style && style->TextStyles.Items(styleNo).Unicode; };
    auto protectedOf = [style](int32_t styleNo) {
        if (!style) return false;
        const TRDProtectOptions p = style->TextStyles.Items(styleNo).Protection;
        return p.Has(rdprModifyProtect) || p.Has(rdprConcateProtect);
    };

    // Decide from the last item back to the first, as merging walks: item i
    // joins item i-1 together with everything that already joined item i,
    // so "empty" means the whole group's text.
    mergeFlags_.assign(static_cast<size_t>(n), 0);
    bool groupEmpty = doc.GetItemText(n - 1).empty();
    int first = n;
    int64_t shiftCost = 0;
    for (int i = n - 1; i > from; --i) {
        const TCustomRDItemInfo& a = doc.GetItem(i - 1);
        const TCustomRDItemInfo& b = doc.GetItem(i);
        const bool aEmpty = doc.GetItemText(i - 1).empty();
        bool merge = false;
        if (a.IsText() && b.IsText() && b.HasFlag(rdifJoinsPrevious)) {
            merge = aEmpty || groupEmpty ||
                    (a.StyleNo == b.StyleNo && unicodeOf(a.StyleNo) == unicodeOf(b.StyleNo) && !protectedOf(a.StyleNo));
        }
        if (merge) {
            mergeFlags_[static_cast<size_t>(i)] = 1;
            first = i - 1;
            shiftCost += n - i;
            groupEmpty = groupEmpty && aEmpty;
        } else {
            groupEmpty = aEmpty;
        }
    }
    if (first == n) return;

    if (shiftCost <= 8 * int64_t{n} + 1024) {
        // Few merges: join each group in place, from the last group back.
        for (int end = n - 1; end > first;) {
            if (!mergeFlags_[static_cast<size_t>(end)]) {
                --end;
                continue;
            }
            int start = end;
            while (start > first && mergeFlags_[static_cast<size_t>(start)]) --start;
            std::string& text = doc.ItemText(start);
            for (int k = start + 1; k <= end; ++k) text += doc.GetItemText(k);
            for (int k = end; k > start; --k) doc.DeleteItem(k);
            end = start - 1;
        }
        return;
    }
    // Many merges: take the tail out once and put it back merged, so that
    // the work stays linear in the number of items.
    tail_.clear();
    for (int i = n - 1; i >= first; --i) {
        std::string text;
        std::unique_ptr<TCustomRDItemInfo> item = doc.ExtractItem(i, text);
        tail_.emplace_back(std::move(text), std::move(item));
    }
    std::reverse(tail_.begin(), tail_.end());
    for (size_t k = 0; k < tail_.size();) {
        size_t end = k + 1;
        while (end < tail_.size() && mergeFlags_[static_cast<size_t>(first) + end]) {
            tail_[k].first += tail_[end].first;
            ++end;
        }
        doc.InsertItem(doc.ItemCount(), tail_[k].first, std::move(tail_[k].second));
        k = end;
    }
    tail_.clear();
}

// ---- settings and entry points ----

TRDRTFReaderProperties::TRDRTFReaderProperties() = default;
TRDRTFReaderProperties::~TRDRTFReaderProperties() = default;

void TRDRTFReaderProperties::SetTextStyleNo(int32_t value) {
    if (value < 0) throw Error("Value must not be negative");
    textStyleNo_ = value;
}

void TRDRTFReaderProperties::SetParaStyleNo(int32_t value) {
    if (value < 0) throw Error("Value must not be negative");
    paraStyleNo_ = value;
}

void TRDRTFReaderProperties::UseConversionSettings() {
    TextStyleMode = rdrsAddIfNeeded;
    ParaStyleMode = rdrsAddIfNeeded;
    IgnorePictures = true;
}

TRDRTFDocumentBuilder& TRDRTFReaderProperties::Builder() {
    if (!builder_) builder_ = std::make_unique<TRDRTFDocumentBuilder>(*this);
    return *builder_;
}

uint8_t TRDRTFReaderProperties::FillFromRtf(std::string_view rtf, TCustomRDData& target) {
    try {
        return Builder().Fill(rtf, target);
    } catch (...) {
        return rtf_st_Exception;
    }
}

uint8_t LoadRtfStatus(TCustomRDData& doc, TRDRTFReaderProperties* settings, std::string_view rtf) {
    if (!settings) return kRtfLoadNoSettings;
    const int from = std::max(doc.ItemCount() - 1, 0);
    const uint8_t status = settings->FillFromRtf(rtf, doc);
    try {
        settings->Builder().MergeTextItems(doc, from);
    } catch (...) {
        return status == 0 ? static_cast<uint8_t>(rtf_st_Exception) : status;
    }
    return status;
}

bool LoadRtf(TCustomRDData& doc, TRDRTFReaderProperties* settings, std::string_view rtf) {
    return LoadRtfStatus(doc, settings, rtf) == 0;
}

}  // namespace tovra
