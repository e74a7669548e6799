// A test consumer of the RTF reader that writes what it sees as one line of
// text, so that expectations read like the input:
//   runs     "P:abc"  (position N, L or P for NewPara, C for ContinuePara)
//            followed by "/b", "/i", "/h" when bold, italic or hidden
//   tables   "<ts>", "<te>", "<row>", "<cell>"
//   others   "<page>", "<hdr+>", "<hdr->", "<ftr+>", "<ftr->", "<mk>"
// Items are separated by single spaces.
#pragma once

#include <string>

#include "richtext/rtf_reader.h"

namespace tovra::test_support {

inline char PositionLetter(TRDRTFPosition p) {
    return p == rtf_ts_NewPara ? 'P' : p == rtf_ts_NewLine ? 'L' : 'C';
}

struct RtfRecorder {
    std::string log;
    bool markFormatting = true;

    void Add(const std::string& item) {
        if (!log.empty()) log += ' ';
        log += item;
    }

    void RunItem(const TRDRTFReader& r, std::string text, TRDRTFPosition pos) {
        std::string item = std::string(1, PositionLetter(pos)) + ":" + text;
        if (markFormatting) {
            const auto& c = r.State().CharProps;
            if (c.Style & rtf_fs_Bold) item += "/b";
            if (c.Style & rtf_fs_Italic) item += "/i";
            if (c.Hidden) item += "/h";
        }
        Add(item);
    }

    // Attaches the events the document builder uses (no wide text, no page
    // or header events unless asked for).
    void Attach(TRDRTFReader& r, bool pages = false, bool unicode = false, bool headers = false) {
        r.OnNewText = [this](TRDRTFReader& rd, std::string_view text, TRDRTFPosition pos) {
            RunItem(rd, std::string(text), pos);
        };
        r.OnTable = [this](TRDRTFReader&, TRDRTFTableEventKind k) {
            static const char* const kNames[] = {"<ts>", "<te>", "<row>", "<cell>"};
            Add(kNames[k]);
        };
        if (pages) r.OnRequiredPageBreak = [this](TRDRTFReader&) { Add("<page>"); };
        if (unicode) {
            r.OnNewUnicodeText = [this](TRDRTFReader& rd, std::u16string_view text, TRDRTFPosition pos) {
                std::string utf8 = "U";
                for (char16_t u : text) {
                    if (u < 0x80) utf8 += static_cast<char>(u);
                    else utf8 += "{" + std::to_string(static_cast<unsigned>(u)) + "}";
                }
                RunItem(rd, utf8, pos);
            };
        }
        if (headers) {
            r.OnHeaderFooter = [this](TRDRTFReader&, TRDRTFHeaderFooterType t, bool starting) {
                Add(std::string(t == rtf_hf_Header ? "<hdr" : "<ftr") + (starting ? "+>" : "->"));
            };
        }
    }
};

}  // namespace tovra::test_support
