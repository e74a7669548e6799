// tovra-rtfdump FILE
//
// Prints what the RTF reader reports for one RTF file, for people debugging
// a module's entries: every text run with its position (P new paragraph,
// L new line, C continuing), its text in C-style escapes and its main
// character properties, every table event, marker update and page break,
// then the font and colour tables and the status. The reader is set up as
// the document builder sets it up (highlight from the colour table, no wide
// text, no pictures, no headers).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "richtext/rtf_reader.h"

namespace {

using namespace tovra;

std::string Escape(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '"') out += "\\\"";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ColorText(TColor c) {
    if (c == kRtfDefaultColor) return "auto";
    if (c == kRtfNoColor) return "none";
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return buf;
}

const char* StatusText(uint8_t status) {
    switch (status) {
        case rtf_st_Ok: return "success";
        case rtf_st_UnmatchedClose: return "closing brace with no open group";
        case rtf_st_NoState: return "no state for a new group (nesting too deep)";
        case rtf_st_UnclosedGroup: return "input ended while a group was open";
        case rtf_st_BadHexDigit: return "bad hex digit";
        case rtf_st_BadKeyword: return "unknown keyword kind or code";
        case rtf_st_BadInputMode: return "unknown input mode";
        case rtf_st_EndAfterBackslash: return "input ended after a backslash";
        case rtf_st_Exception: return "error while reading";
        case rtf_st_Picture: return "picture error";
        case rtf_st_HandlerException: return "consumer error";
        default: return "unknown status";
    }
}

void PrintRun(const TRDRTFReader& r, std::string_view text, TRDRTFPosition pos) {
    const TRDRTFReaderState& s = r.State();
    const TRDRTFCharProperties& c = s.CharProps;
    static const char kPos[] = {'C', 'L', 'P'};
    std::string font = "?";
    if (!c.FontNameOverride.empty()) {
        font = c.FontNameOverride;
    } else if (c.FontIndex >= 0 && static_cast<size_t>(c.FontIndex) < r.Fonts().size()) {
        font = r.Fonts()[static_cast<size_t>(c.FontIndex)].Name;
    }
    std::printf("%c \"%s\"  font=%d(%s) size=%d color=%s back=%s", kPos[pos], Escape(text).c_str(), c.FontIndex,
                Escape(font).c_str(), c.Size, ColorText(c.Color).c_str(), ColorText(c.BackColor).c_str());
    if (c.Style & rtf_fs_Bold) std::printf(" bold");
    if (c.Style & rtf_fs_Italic) std::printf(" italic");
    if (c.Style & rtf_fs_Underline) std::printf(" underline");
    if (c.Style & rtf_fs_StrikeOut) std::printf(" strike");
    if (c.StyleEx & rtf_fsx_AllCaps) std::printf(" caps");
    if (c.VShift == 1) std::printf(" sub");
    if (c.VShift == 2) std::printf(" super");
    if (c.Hidden) std::printf(" hidden");
    const TRDRTFParaProperties& p = s.ParaProps;
    if (pos == rtf_ts_NewPara) {
        std::printf("  | para align=%d li=%d ri=%d fi=%d sb=%d sa=%d", p.Alignment, p.LeftIndent, p.RightIndent,
                    p.FirstIndent, p.SpaceBefore, p.SpaceAfter);
        if (p.Marker) std::printf(" marker=level%d", p.Marker->Level);
        if (p.ListOverrideIndex >= 0) std::printf(" ls=%d ilvl=%d", p.ListOverrideIndex, p.ListLevel);
    }
    if (!s.FieldInstruction.empty()) std::printf("  | field \"%s\"", Escape(s.FieldInstruction).c_str());
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovra-rtfdump FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tovra-rtfdump: cannot open %s\n", argv[1]);
        return 1;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    TRDRTFReader reader;
    reader.ConvertHighlight = rtf_hl_ColorTable;
    reader.OnNewText = [](TRDRTFReader& r, std::string_view text, TRDRTFPosition pos) { PrintRun(r, text, pos); };
    reader.OnTable = [](TRDRTFReader& r, TRDRTFTableEventKind kind) {
        static const char* const kNames[] = {"table start", "table end", "row end", "cell end"};
        std::printf("[%s]", kNames[kind]);
        if (kind == rdf_tbl_RowEnd && r.State().RowProps) {
            for (const auto& cell : r.State().RowProps->Cells)
                std::printf(" cellx=%d color=%s", cell.RightBoundary, ColorText(cell.Color).c_str());
        }
        std::printf("\n");
    };
    reader.OnUpdateMarker = [](TRDRTFReader& r) {
        const auto& m = *r.State().ParaProps.Marker;
        std::printf("[marker level=%d type=%d start=%d before=\"%s\" after=\"%s\"]\n", m.Level, m.ListType, m.Start,
                    Escape(m.TextBefore).c_str(), Escape(m.TextAfter).c_str());
    };
    reader.OnRequiredPageBreak = [](TRDRTFReader&) { std::printf("[page break]\n"); };

    uint8_t status = reader.ReadStream(data);

    std::printf("fonts:");
    for (size_t i = 0; i < reader.Fonts().size(); ++i) {
        const auto& f = reader.Fonts()[i];
        std::printf(" %zu=f%d \"%s\" charset %d;", i, f.Number, Escape(f.Name).c_str(), f.Charset);
    }
    std::printf("\ncolors:");
    for (size_t i = 0; i < reader.Colors().size(); ++i)
        std::printf(" %zu=%s", i, ColorText(reader.Colors()[i]).c_str());
    std::printf("\ncode page: %d\nstatus: %d (%s)\n", reader.CodePage(), status, StatusText(status));
    return status == rtf_st_Ok ? 0 : 1;
}
