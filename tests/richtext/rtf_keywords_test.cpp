// The keyword table against the vocabulary as it is listed by kind and
// code, and the binary search over it.
#include "richtext/rtf_keywords.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tovra {
namespace {

// The vocabulary, one line per kind: "code: keyword [=]default, ...; ...".
const char* const kVocabulary = R"(- Kind kwChar (code = character): 9: tab; 10: par, backslash + line feed, backslash + carriage return; 13: line; 92: backslash + backslash; 123: backslash + "{"; 125: backslash + "}".
- Kind kwWideChar (code = 8-bit fallback character, default = UTF-16 value): 34: ldblquote U+201C, rdblquote U+201D; 39: lquote U+2018, rquote U+2019; 45: endash U+2013, emdash U+2014.
- Kind kwDestination (code = destination request): 0: pict; 1: nonesttables, author, buptim, comment, creatim, doccomm, footerf, footerl, footerr, footnote, ftncn, ftnsep, ftnsepc, headerf, headerl, headerr, info, keywords, operator, printim, private1, revtim, rxe, subject, tc, title, txe, xe, pntext, listtext; 2: fonttbl; 3: stylesheet; 4: colortbl; 8: field; 9: fldinst; 10: fldrslt; 11: nesttableprops; 12: header; 13: footer; 14: pntxta; 15: pntxtb; 16: pn; 18: listtable; 19: list; 20: listname; 21: listlevel; 22: leveltext; 23: levelnumbers; 24: listoverridetable; 25: listoverride; 26: lfolevel.
- Kind kwSpecial: 0: bin; 1: backslash + apostrophe; 2: backslash + asterisk.
- Kind kwProperty, affects character formatting: 0: b 1; 1: i 1; 2: ul 1, ulnone =0; 3: strike 1; 4: charscalex 100; 5: expndtw 0; 6: sub =1, super =2, nosupersub =0; 7: caps 1; 8: fs 24; 9: cf 0; 10: chcbpat 0; 11: highlight 0; 35: plain 0; 37: f 0; 54: v 1; 59: fcharset 0.
- Kind kwProperty, affects paragraph formatting: 12: sl 240; 13: slmult 1; 14: li 0; 15: ri 0; 16: fi 0; 33: qc =2, ql =0, qr =1, qj =3; 34: pard 0; 39: sb 0; 40: sa 0; 41: brdrs =1, brdrth =2, brdrsh =3, brdrdb =4, brdrdot =5, brdrdash =6, brdrhair =7, brdrdashsm =8, brdrdashd =9, brdrdashdd =10, brdrtriple =11, brdrtnthsg =12, brdrthtnsg =13, brdrtnthtnsg =14, brdrtnthmg =15, brdrthtnmg =16, brdrtnthtnmg =17, brdrtnthlg =18, brdrthtnlg =19, brdrtnthtnlg =20, brdrwavy =21, brdrwavydb =22, brdrdashdotstr =23, brdremboss =24, brdrengrave =24, brdrinset =26, brdroutset =27; 42: brdrl =0, brdrt =1, brdrr =2, brdrb =3; 43: brdrw 1; 44: brdrcf 0; 45: brsp 0; 46: cbpat 0; 104: ls 1; 106: ilvl 1; 145: trbrdrl =0, trbrdrt =1, trbrdrr =2, trbrdrb =3; 146: clbrdrl =0, clbrdrt =1, clbrdrr =2, clbrdrb =3; 147: absnoovrlp 0, pvmrg 0, pvpg 0.
- Kind kwProperty, affects nothing: 17: cols 1; 18: pgnx 0; 19: pgny 0; 20: headery 720; 21: footery 720; 22: paperw 12240; 23: paperh 15480; 24: margl 1800; 25: margr 1800; 26: margt 1440; 27: margb 1440; 28: pgnstart 1; 29: sbknone =0, sbkcol =1, sbkeven =2, sbkodd =3, sbkpage =4; 30: pgndec =0, pgnucrm =1, pgnlcrm =2, pgnucltr =3, pgnlcltr =4; 31: facingp =1; 32: landscape =1; 36: sectd 0; 38: deff 0; 47: ansicpg 0; 48: u 0; 49: uc 1; 50: page 0; 55: red 0; 56: green 0; 57: blue 0; 58: fnil =0, froman =1, fswiss =2, fmodern =3, fscript =4, fdecor =5, ftech =6, fbidi =7; 60: s 0; 61: cs 0; 62: ds 0; 63: sbasedon 0; 64: snext 0; 65: additive 0; 66: shidden 0; 67: picw 0; 68: pich 0; 69: picscalex 100; 70: picscaley 100; 71: wbmwidthbytes 0; 72: emfblip =0, pngblip =1, jpegblip =2, macpict =3, pmmetafile =4, dibitmap =6, wbitmap =7; 73: wmetafile 1; 74: picbmp 1; 75: pnlvl 1, pnlvlblt =11, pnlvlbody =10; 76: pnhang 1; 77: pnucltr =2, pnucrm =4, pnlcltr =1, pnlcrm =3; 78: pnb 1; 79: pni 1; 80: pnuldash 1, pnuldashd 1, pnuldashdd 1, pnulhair 1, pnulth 1, pnulwave 1, pnul 1, pnuld 1, pnuldb 1, pnulw 1, pnulnone =0; 81: pnstrike 1; 82: pncf 0; 83: pnf 0; 84: pnfs 0; 85: pnindent 0; 86: pnsp 0; 87: pnqc =2, pnql =0, pnqr =1; 88: pnstart 1; 89: pnseclvl 1; 90: listid 0; 92: listsimple 1; 94: levelstartat 1; 95: levelnfc 0; 96: leveljc 0; 97: levelold 1; 98: levelindent 0; 99: levelspace 0; 100: levelfollow 0; 101: levellegal 1; 102: levelnorestart 1; 103: listoverridecount 0; 105: listoverridestartat 1; 107: tx 0; 108: row =0, nestrow =1; 109: cell =0, nestcell =1; 110: intbl 0; 111: itap 1; 112: trowd 0; 113: trql =0, trqr =1, trqc =2; 114: trgaph 0; 115: trleft 0; 116: trrh 0; 117: trhdr 1; 118: trpaddl 0; 119: trpaddr 0; 120: trpaddt 0; 121: trpaddb 0; 122: trpaddfl 0; 123: trpaddfr 0; 124: trpaddft 0; 125: trpaddfb 0; 126: trspdl 0; 127: trspdr 0; 128: trspdt 0; 129: trspdb 0; 130: trspdfl 0; 131: trspdfr 0; 132: trspdft 0; 133: trspdfb 0; 134: trwWidth 0; 135: trftsWidth 0; 136: clvmrg =2, clvmgf =1; 137: clmrg =2, clmgf =1; 138: clwWidth 0; 139: clftsWidth 0; 140: clcbpat 0; 141: clcfpat 0; 142: clshdng 0; 143: clvertalt =0, clvertalc =2, clvertalb =1; 144: cellx 0; 149: richdoccbw 0; 150: richdoccbh 0; 151: richdoctbw 0.)";

struct Expected {
    std::string keyword;
    int32_t def;
    bool useDefault;
    TRDRTFKeywordKind kind;
    int code;
    TRDRTFAffects affects;
};

std::string Trim(std::string s) {
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    while (!s.empty() && (s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + sep.size();
    }
}

std::vector<Expected> ParseVocabulary() {
    const std::map<std::string, std::string> symbols = {
        {"backslash + line feed", "\n"},  {"backslash + carriage return", "\r"},
        {"backslash + backslash", "\\"},  {"backslash + \"{\"", "{"},
        {"backslash + \"}\"", "}"},       {"backslash + apostrophe", "'"},
        {"backslash + asterisk", "*"},
    };
    const std::map<std::string, TRDRTFKeywordKind> kinds = {
        {"kwChar", kwChar}, {"kwWideChar", kwWideChar}, {"kwDestination", kwDestination},
        {"kwProperty", kwProperty}, {"kwSpecial", kwSpecial}};
    std::vector<Expected> out;
    std::istringstream lines(kVocabulary);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("- Kind ", 0) != 0) continue;
        std::string head = line.substr(7, line.find(": ") - 7);
        std::string body = line.substr(line.find(": ") + 2);
        std::string kindName = head.substr(0, head.find_first_of(" ,"));
        TRDRTFKeywordKind kind = kinds.at(kindName);
        TRDRTFAffects affects = rtf_af_None;
        if (head.find("affects character") != std::string::npos) affects = rtf_af_Char;
        if (head.find("affects paragraph") != std::string::npos) affects = rtf_af_Para;
        for (const std::string& group : Split(Trim(body), "; ")) {
            size_t colon = group.find(": ");
            int code = std::stoi(group.substr(0, colon));
            for (std::string entry : Split(group.substr(colon + 2), ", ")) {
                entry = Trim(entry);
                Expected e{"", 0, false, kind, code, affects};
                if (auto it = symbols.find(entry); it != symbols.end()) {
                    e.keyword = it->second;
                } else {
                    size_t space = entry.find(' ');
                    e.keyword = entry.substr(0, space);
                    if (space != std::string::npos) {
                        std::string value = entry.substr(space + 1);
                        if (value.rfind("U+", 0) == 0) {
                            e.def = std::stoi(value.substr(2), nullptr, 16);
                        } else {
                            e.useDefault = value[0] == '=';
                            e.def = std::stoi(e.useDefault ? value.substr(1) : value);
                        }
                    }
                }
                out.push_back(e);
            }
        }
    }
    return out;
}

TEST(RtfKeywordsTest, TableHoldsExactlyTheListedVocabulary) {
    std::vector<Expected> expected = ParseVocabulary();
    ASSERT_EQ(expected.size() + 1, kRtfKeywordCount);  // pnuld stands twice in the table
    auto table = RtfKeywordTable();
    ASSERT_EQ(table.size(), kRtfKeywordCount);

    std::map<std::string, int> counts;
    for (const auto& rec : table) ++counts[std::string(rec.Keyword)];
    for (const auto& [keyword, count] : counts) EXPECT_EQ(count, keyword == "pnuld" ? 2 : 1) << keyword;

    for (const Expected& e : expected) {
        const TRDRTFsymbol* rec = FindRtfKeyword(e.keyword);
        ASSERT_NE(rec, nullptr) << e.keyword;
        EXPECT_EQ(rec->Kind, e.kind) << e.keyword;
        EXPECT_EQ(rec->Code, e.code) << e.keyword;
        EXPECT_EQ(rec->Default, e.def) << e.keyword;
        EXPECT_EQ(rec->UseDefault, e.useDefault) << e.keyword;
        EXPECT_EQ(rec->Affects, e.affects) << e.keyword;
    }
    // Both pnuld records carry the same values.
    std::vector<const TRDRTFsymbol*> pnuld;
    for (const auto& rec : table)
        if (rec.Keyword == "pnuld") pnuld.push_back(&rec);
    ASSERT_EQ(pnuld.size(), 2u);
    EXPECT_EQ(pnuld[0]->Code, pnuld[1]->Code);
    EXPECT_EQ(pnuld[0]->Default, pnuld[1]->Default);
}

TEST(RtfKeywordsTest, TableIsSortedByBytes) {
    auto table = RtfKeywordTable();
    for (size_t i = 1; i < table.size(); ++i) EXPECT_LE(table[i - 1].Keyword, table[i].Keyword) << i;
}

TEST(RtfKeywordsTest, SearchFindsEveryRecordAndNothingElse) {
    for (const auto& rec : RtfKeywordTable()) {
        const TRDRTFsymbol* found = FindRtfKeyword(rec.Keyword);
        ASSERT_NE(found, nullptr) << rec.Keyword;
        EXPECT_EQ(found->Keyword, rec.Keyword);
    }
    // Neighbours of the first and last records, case, prefixes and symbols
    // that are not in the vocabulary.
    for (const char* unknown : {"", "\t", "zzz", "B", "Par", "pa", "parx", "sect", "cb", "bullet", "~",
                                "-", "_", "emspace", "u0"}) {
        EXPECT_EQ(FindRtfKeyword(unknown), nullptr) << unknown;
    }
}

}  // namespace
}  // namespace tovra
