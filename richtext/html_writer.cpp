// The HTML writer. Each Write or WriteLine below is one call of the sink, so
// a failing sink leaves exactly the completed writes behind.
#include "richtext/html_writer.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/ansi_char_tables.h"
#include "platform/little_endian.h"
#include "platform/system_colors.h"
#include "platform/utf16.h"
#include "richtext/table.h"

namespace tovra {

namespace {

constexpr std::string_view kCrLf = "\r\n";

void AppendInt(std::string& out, long long value) {
    if (value >= 0 && value <= 9) {  // font sizes, the commonest case
        out += static_cast<char>('0' + value);
        return;
    }
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// The colour text ("#RRGGBB") into `text`; its length, 0 for clNone.
size_t HtmlColorText(TColor color, char (&text)[7]) {
    if (color == clNone) return 0;
    uint32_t rgb;
    if (color == clWindowText) {
        rgb = 0;
    } else if (IsSystemColor(color)) {
        rgb = SystemColorRgb(static_cast<int>(color & 0xFF));
    } else {
        rgb = color & 0xFFFFFF;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    const uint8_t bytes[3] = {static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8),
                              static_cast<uint8_t>(rgb >> 16)};
    text[0] = '#';
    for (int i = 0; i < 3; ++i) {
        text[1 + 2 * i] = kHex[bytes[i] >> 4];
        text[2 + 2 * i] = kHex[bytes[i] & 15];
    }
    return sizeof text;
}

// Appends the colour text; false when it is empty (clNone).
bool AppendHtmlColor(std::string& out, TColor color) {
    char text[7];
    const size_t n = HtmlColorText(color, text);
    out.append(text, n);
    return n != 0;
}

// Short pieces of markup gathered on the stack and appended at once, as a
// tag is written from many pieces of a few bytes each.
class TTagBuffer {
public:
    explicit TTagBuffer(std::string& out) : out_(out) {}
    ~TTagBuffer() { Flush(); }
    TTagBuffer(const TTagBuffer&) = delete;
    TTagBuffer& operator=(const TTagBuffer&) = delete;

    void Put(std::string_view piece) {
        if (piece.size() > sizeof bytes_ - size_) return PutLong(piece);
        std::memcpy(bytes_ + size_, piece.data(), piece.size());
        size_ += piece.size();
    }
    void Flush() {
        out_.append(bytes_, size_);
        size_ = 0;
    }

private:
    // A piece that does not fit: what is gathered goes first. (Kept out of
    // line, so that Put stays small enough to be inlined.)
    [[gnu::noinline]] void PutLong(std::string_view piece) {
        Flush();
        if (piece.size() > sizeof bytes_) {
            out_ += piece;
            return;
        }
        std::memcpy(bytes_, piece.data(), piece.size());
        size_ = piece.size();
    }

    std::string& out_;
    char bytes_[64];
    size_t size_ = 0;
};

const char* CharsetName(uint8_t charset) {
    switch (charset) {
    case 128: return "shift_jis";
    case 134: return "gb2312";
    case 136: return "big5";
    case 161: return "Windows-1253";
    case 162: return "Windows-1254";
    case 163: return "Windows-1258";
    case 177: return "Windows-1255";
    case 178: return "Windows-1256";
    case 186: return "Windows-1257";
    case 204: return "Windows-1251";
    case 222: return "Windows-874";
    case 238: return "Windows-1250";
    case 255: return "ascii";
    default: return nullptr;
    }
}

constexpr TFontStyle kStyleOrder[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
constexpr std::string_view kOpen[] = {"<B>", "<I>", "<U>", "<S>"};
constexpr std::string_view kClose[] = {"</B>", "</I>", "</U>", "</S>"};

// Opening tags of text style x; `base` null gives the absolute form. Returns
// whether a FONT tag was written; without `fontTags` none is. (A colour of
// clNone leaves " color=" without a value.)
bool AppendOpeningTags(std::string& out, const TFontInfo& x, const TFontInfo* base, bool fontTags) {
    const bool size = !base || x.Size != base->Size;
    const bool color = !base || x.Color != base->Color;
    const bool face = !base || !EqualsIgnoringAnsiCase(x.FontName, base->FontName);
    const bool font = fontTags && (size || color || face);
    TTagBuffer tags(out);
    if (font) {
        tags.Put("<FONT");
        if (size) {
            tags.Put(" size=");
            char digits[24];
            const auto res = std::to_chars(digits, digits + sizeof digits, HtmlSize(x.Size));
            tags.Put(std::string_view(digits, static_cast<size_t>(res.ptr - digits)));
        }
        if (color) {
            tags.Put(" color=");
            char text[7];
            tags.Put(std::string_view(text, HtmlColorText(x.Color, text)));
        }
        if (face) {
            tags.Put(" face=\"");
            tags.Put(x.FontName);
            tags.Put("\"");
        }
        tags.Put(">");
    }
    if (!base) {
        for (int i = 0; i < 4; ++i) {
            if (x.Style.Has(kStyleOrder[i])) tags.Put(kOpen[i]);
        }
    } else if (x.Style != base->Style) {
        for (int i = 3; i >= 0; --i) {
            if (base->Style.Has(kStyleOrder[i]) && !x.Style.Has(kStyleOrder[i])) tags.Put(kClose[i]);
        }
        for (int i = 0; i < 4; ++i) {
            if (x.Style.Has(kStyleOrder[i]) && !base->Style.Has(kStyleOrder[i])) tags.Put(kOpen[i]);
        }
    }
    if (x.VShift < 0) tags.Put("<SUB>");
    if (x.VShift > 0) tags.Put("<SUP>");
    return font;
}

void AppendClosingTags(std::string& out, const TFontInfo& x, const TFontInfo* base, bool font) {
    TTagBuffer tags(out);
    if (x.VShift < 0) tags.Put("</SUB>");
    if (x.VShift > 0) tags.Put("</SUP>");
    if (!base) {
        for (int i = 3; i >= 0; --i) {
            if (x.Style.Has(kStyleOrder[i])) tags.Put(kClose[i]);
        }
    } else if (x.Style != base->Style) {
        for (int i = 3; i >= 0; --i) {
            if (x.Style.Has(kStyleOrder[i]) && !base->Style.Has(kStyleOrder[i])) tags.Put(kClose[i]);
        }
        for (int i = 0; i < 4; ++i) {
            if (base->Style.Has(kStyleOrder[i]) && !x.Style.Has(kStyleOrder[i])) tags.Put(kOpen[i]);
        }
    }
    if (font) tags.Put("</FONT>");
}

// A run of spaces in the escaped form.
void AppendSpaces(std::string& out, size_t n) {
    for (size_t i = 1; i < n; ++i) out += "&nbsp;";
    out += ' ';
}

// UTF-16LE text (never produced by RTF reading here): ASCII is escaped as
// 8-bit text would be, every other character becomes a numeric reference.
void AppendHtmlEscapedUtf16(std::string& out, std::string_view bytes) {
    const size_t start = out.size();
    size_t spaces = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t cp = ReadLe16(bytes.data() + i);
        if (IsHighSurrogate(cp) && i + 3 < bytes.size()) {
            const uint32_t lo = ReadLe16(bytes.data() + i + 2);
            if (IsLowSurrogate(lo)) {
                cp = CombineSurrogates(cp, lo);
                i += 2;
            }
        }
        if (cp == ' ') {
            ++spaces;
            continue;
        }
        if (spaces) AppendSpaces(out, spaces);
        spaces = 0;
        if (cp == '&') out += "&amp;";
        else if (cp == '<') out += "&lt;";
        else if (cp == '>') out += "&gt;";
        else if (cp < 0x80) out += static_cast<char>(cp);
        else {
            out += "&#";
            AppendInt(out, cp);
            out += ';';
        }
    }
    if (spaces) AppendSpaces(out, spaces);
    if (out.size() == start) out += "&nbsp;";
}

class HtmlWriter {
public:
    HtmlWriter(OutputSink& out, const TRDStyle& style, bool fontTags = true)
        : out_(out), style_(style), fontTags_(fontTags) {}

    bool ok() const { return ok_; }

    void Write(std::string_view s) {
        if (ok_) ok_ = out_.write(s.data(), s.size());
    }
    void WriteLine(std::string_view s) {
        if (!ok_) return;
        line_.assign(s);
        line_ += kCrLf;
        ok_ = out_.write(line_.data(), line_.size());
    }

    void Header(std::string_view title, const HtmlPageSettings& page) {
        std::string& s = text_;
        s = "<HTML><HEAD><TITLE>";
        s += title;
        s += "</TITLE>";
        WriteLine(s);
        if (const char* name = CharsetName(style_.TextStyles.Items(0).Charset)) {
            s = "<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=";
            s += name;
            s += "\">";
            WriteLine(s);
        }
        WriteLine("</HEAD>");
        Write("<BODY");
        s.clear();
        if (page.Color != clNone) {
            s = " bgcolor=";
            AppendHtmlColor(s, page.Color);
            Write(s);
        }
        s = " leftmargin=";
        AppendInt(s, page.LeftMargin);
        s += " topmargin=";
        AppendInt(s, page.TopMargin);
        s += " rightmargin=";
        AppendInt(s, page.RightMargin);
        s += " bottommargin=";
        AppendInt(s, page.BottomMargin);
        s += '>';
        WriteLine(s);
    }

    void Body(const TCustomRDData& doc) {
        const TFontInfo& base = style_.TextStyles.Items(0);
        text_.clear();
        const bool font = AppendOpeningTags(text_, base, nullptr, fontTags_);
        WriteLine(text_);
        bool divOpen = false;
        const TRDMarkerItemInfo* open = nullptr;
        for (int i = 0; i < doc.ItemCount() && ok_; ++i) {
            const TCustomRDItemInfo& item = doc.GetItem(i);
            if (!item.HasFlag(rdifJoinsPrevious)) {
                if (item.HasFlag(rdifLineBreak)) {
                    WriteLine("<BR>");
                } else {
                    if (open) WriteLine("</LI>");
                    if (divOpen) {
                        WriteLine("</DIV>");
                        divOpen = false;
                    }
                    const auto* marker =
                        item.StyleNo == rdkListMarker ? static_cast<const TRDMarkerItemInfo*>(&item) : nullptr;
                    const TRDListLevel* level = marker ? MarkerLevel(style_, *marker) : nullptr;
                    if (level) {
                        Transition(open, marker);
                        open = marker;
                        if (level->HasNumbering()) {
                            text_ = "<LI value=";
                            AppendInt(text_, marker->Counter);
                            text_ += '>';
                            Write(text_);
                        } else {
                            Write("<LI>");
                        }
                    } else {
                        if (!marker && open) {
                            Transition(open, nullptr);
                            open = nullptr;
                        }
                        Write(DivTag(item.ParaNo));
                        divOpen = true;
                    }
                }
            }
            WriteItem(doc, i, base);
        }
        if (open) {
            WriteLine("</LI>");
            Transition(open, nullptr);
        }
        if (divOpen) WriteLine("</DIV>");
        text_.clear();
        AppendClosingTags(text_, base, nullptr, font);
        WriteLine(text_);
    }

private:
    std::string_view DivTag(int32_t paraNo) const {
        switch (style_.ParaStyles.Items(paraNo).Alignment) {
        case rdaRight: return "<DIV align=right>";
        case rdaCenter: return "<DIV align=center>";
        case rdaJustify: return "<DIV align=justify>";
        default: return "<DIV>";
        }
    }

    void WriteItem(const TCustomRDData& doc, int i, const TFontInfo& base) {
        const TCustomRDItemInfo& item = doc.GetItem(i);
        if (item.IsText()) {
            const TFontInfo& x = style_.TextStyles.Items(item.StyleNo);
            text_.clear();
            bool font = false;
            if (item.StyleNo != 0) font = AppendOpeningTags(text_, x, &base, fontTags_);
            const std::string& text = doc.GetItemText(i);
            if (x.Options.Has(rdteoHTMLCode)) {
                text_ += text;
            } else if (item.HasFlag(rdifUnicode)) {
                AppendHtmlEscapedUtf16(text_, text);
            } else {
                AppendHtmlEscaped(text_, text);
            }
            if (item.StyleNo != 0) AppendClosingTags(text_, x, &base, font);
            Write(text_);
        } else if (item.StyleNo == rdkTable) {
            Table(static_cast<const TRDTableItemInfo&>(item));
        }
    }

    // Opening or closing tag of level `d` of list `listNo`.
    void LevelTag(int32_t listNo, int d, bool opening) {
        const TRDListLevelCollection& levels = style_.ListStyles.Items(listNo).Levels;
        const TRDListLevel& level = levels.Items(std::min(d, levels.Count() - 1));
        if (!level.HasNumbering()) {
            Write(opening ? "<UL>" : "</UL>");
            return;
        }
        if (!opening) {
            Write("</OL>");
            return;
        }
        switch (level.ListType) {
        case rdlstLowerAlpha: Write("<OL type=a>"); break;
        case rdlstUpperAlpha: Write("<OL type=A>"); break;
        case rdlstLowerRoman: Write("<OL type=i>"); break;
        case rdlstUpperRoman: Write("<OL type=I>"); break;
        default: Write("<OL>"); break;
        }
    }

    // From level a to level c in list `listNo` (-1: outside the list).
    void ChangeLevel(int32_t listNo, int a, int c) {
        for (int d = a; d > c && ok_; --d) LevelTag(listNo, d, false);
        for (int e = a + 1; e <= c && ok_; ++e) LevelTag(listNo, e, true);
        if (a != c) WriteLine("");
    }

    // The level a marker's list tags are nested to. Levels past the list
    // style's last count as the last, which also bounds the tags written.
    int TagLevel(const TRDMarkerItemInfo& m) const { return MarkerLevelIndex(style_, m); }

    void Transition(const TRDMarkerItemInfo* from, const TRDMarkerItemInfo* to) {
        if (!from) {
            if (to) ChangeLevel(to->ListNo, -1, TagLevel(*to));
        } else if (!to) {
            ChangeLevel(from->ListNo, TagLevel(*from), -1);
        } else if (from->ListNo == to->ListNo) {
            ChangeLevel(to->ListNo, TagLevel(*from), TagLevel(*to));
        } else {
            ChangeLevel(from->ListNo, TagLevel(*from), -1);
            ChangeLevel(to->ListNo, -1, TagLevel(*to));
        }
    }

    static void AppendLength(std::string& s, std::string_view name, TRDHTMLLength length) {
        if (length == 0) return;
        s += ' ';
        s += name;
        s += '=';
        AppendInt(s, length > 0 ? static_cast<long long>(length) : -static_cast<long long>(length));
        if (length < 0) s += '%';
    }

    static void AppendColorAttribute(std::string& s, std::string_view name, TColor color) {
        const size_t start = s.size();
        s += ' ';
        s += name;
        s += '=';
        if (!AppendHtmlColor(s, color)) s.resize(start);
    }

    static void AppendVAlign(std::string& s, TRDCellVAlign align) {
        switch (align) {
        case rdcTop: s += " valign=top"; break;
        case rdcMiddle: s += " valign=middle"; break;
        case rdcBottom: s += " valign=bottom"; break;
        case rdcVDefault: break;
        }
    }

    static bool IsEmptyCell(const TRDTableCellData& cell) {
        if (cell.ItemCount() == 0) return true;
        if (cell.ItemCount() > 1) return false;
        const TCustomRDItemInfo& item = cell.GetItem(0);
        return item.StyleNo == 0 && item.ParaNo == 0 && cell.GetItemText(0).empty();
    }

    void Table(const TRDTableItemInfo& t) {
        std::string s = "<TABLE";
        AppendLength(s, "width", t.BestWidth);
        std::string tableColor;
        AppendHtmlColor(tableColor, t.Color);
        if (!tableColor.empty()) {
            s += " bgcolor=";
            s += tableColor;
        }
        s += " border=";
        AppendInt(s, t.BorderWidth);
        s += " cellpadding=";
        AppendInt(s, t.CellPadding);
        if (t.BorderStyle == rdtbColor) {
            AppendColorAttribute(s, "bordercolor", t.BorderColor);
        } else if (t.BorderStyle == rdtbRaisedColor || t.BorderStyle == rdtbLoweredColor) {
            AppendColorAttribute(s, "bordercolorlight", t.BorderLightColor);
            AppendColorAttribute(s, "bordercolordark", t.BorderColor);
        }
        s += " cellspacing=";
        AppendInt(s, (static_cast<long long>(t.CellVSpacing) + t.CellHSpacing) / 2);
        s += '>';
        WriteLine(s);
        std::string cellColor;
        for (const TRDTableRow& row : t.Rows()) {
            s = "<TR";
            AppendVAlign(s, row.VAlign);
            s += '>';
            WriteLine(s);
            for (const auto& cell : row.Cells) {
                if (!cell || !ok_) continue;
                s = "<TD";
                if (cell->ColSpan != 1) {
                    s += " colspan=";
                    AppendInt(s, cell->ColSpan);
                }
                if (cell->RowSpan != 1) {
                    s += " rowspan=";
                    AppendInt(s, cell->RowSpan);
                }
                AppendLength(s, "width", cell->BestWidth);
                AppendLength(s, "height", cell->BestHeight);
                cellColor.clear();
                if (AppendHtmlColor(cellColor, cell->Color) && cellColor != tableColor) {
                    s += " bgcolor=";
                    s += cellColor;
                }
                AppendVAlign(s, cell->VAlign);
                s += '>';
                Write(s);
                if (IsEmptyCell(*cell)) {
                    WriteLine("&nbsp;");
                } else {
                    Body(*cell);
                }
                WriteLine("</TD>");
            }
            WriteLine("</TR>");
        }
        WriteLine("</TABLE>");
    }

    OutputSink& out_;
    const TRDStyle& style_;
    const bool fontTags_;  // false: FONT tags are left out
    bool ok_ = true;
    std::string line_;  // WriteLine's text with its line end
    std::string text_;  // one item's tags and text
};

}  // namespace

namespace {

// Bytes that the escaping changes (a space only when another follows).
struct EscapeTable {
    bool special[256] = {};
    constexpr EscapeTable() {
        special[static_cast<unsigned char>('&')] = true;
        special[static_cast<unsigned char>('<')] = true;
        special[static_cast<unsigned char>('>')] = true;
        special[static_cast<unsigned char>(' ')] = true;
    }
};
constexpr EscapeTable kEscape;

// Eight bytes at a time: false only when none of the eight bytes from `p` is
// "&", "<" or ">" and no two of the nine bytes from `p` are two spaces in a
// row, the stretches AppendHtmlEscaped copies unchanged. (The test for a
// zero byte is exact for "any"; a lane it marks wrongly can only make this
// answer true, which sends the bytes through the byte-by-byte test.)
bool MayNeedEscape(const char* p) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    auto zeroBytes = [](uint64_t v) { return (v - kOnes) & ~v & kHigh; };
    uint64_t x, y;
    std::memcpy(&x, p, 8);
    std::memcpy(&y, p + 1, 8);
    return (zeroBytes(x ^ (kOnes * '&')) | zeroBytes(x ^ (kOnes * '<')) | zeroBytes(x ^ (kOnes * '>')) |
            (zeroBytes(x ^ (kOnes * ' ')) & zeroBytes(y ^ (kOnes * ' ')))) != 0;
}

// The first of the bytes from `p` on that the escaping changes ("&", "<",
// ">", or a space before another space), found sixteen bytes at a time while
// seventeen bytes are left; otherwise the first byte the sixteen-byte test
// has not looked at. The test is exact, so a byte it finds is one the
// byte-by-byte test stops at.
const char* SkipUnchanged(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i amp = _mm_set1_epi8('&'), lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>'),
                  space = _mm_set1_epi8(' ');
    for (; end - p >= 17; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i marks = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(x, amp), _mm_cmpeq_epi8(x, lt)),
            _mm_or_si128(_mm_cmpeq_epi8(x, gt), _mm_and_si128(_mm_cmpeq_epi8(x, space), _mm_cmpeq_epi8(next, space))));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(marks));
        if (mask != 0) return p + std::countr_zero(mask);
    }
#else
    (void)end;
#endif
    return p;
}

}  // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    if (text.empty()) {
        out += "&nbsp;";
        return;
    }
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        // Copy the stretch that needs no change in one go.
        const char* q = SkipUnchanged(p, end);
        while (q < end) {
            if (end - q >= 9 && !MayNeedEscape(q)) {
                q += 8;
                continue;
            }
            if (kEscape.special[static_cast<unsigned char>(*q)] && !(*q == ' ' && (q + 1 == end || q[1] != ' ')))
                break;
            ++q;
        }
        out.append(p, static_cast<size_t>(q - p));
        if (q == end) break;
        switch (*q) {
        case '&': out += "&amp;"; ++q; break;
        case '<': out += "&lt;"; ++q; break;
        case '>': out += "&gt;"; ++q; break;
        default: {
            const char* r = q;
            while (r < end && *r == ' ') ++r;
            AppendSpaces(out, static_cast<size_t>(r - q));
            q = r;
        }
        }
        p = q;
    }
}

std::string HtmlColor(TColor color) {
    std::string s;
    AppendHtmlColor(s, color);
    return s;
}

int HtmlSize(int points) {
    if (points <= 8) return 1;
    if (points <= 10) return 2;
    if (points <= 12) return 3;
    if (points <= 14) return 4;
    if (points <= 18) return 5;
    if (points <= 24) return 6;
    return 7;
}

bool WriteHtmlBody(OutputSink& stream, const TCustomRDData& document) {
    const TRDStyle* style = document.GetStyle();
    if (!style) return false;
    HtmlWriter writer(stream, *style);
    writer.Body(document);
    return writer.ok();
}

bool WriteHtmlPage(OutputSink& stream, const TCustomRDData& document, std::string_view title,
                   const HtmlPageSettings& page) {
    const TRDStyle* style = document.GetStyle();
    if (!style) return false;
    HtmlWriter writer(stream, *style, page.FontTags);
    writer.Header(title, page);
    writer.Body(document);
    writer.WriteLine("</BODY></HTML>");
    return writer.ok();
}

}  // namespace tovra
