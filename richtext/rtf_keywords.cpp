// The keyword vocabulary of the RTF reader.
#include "richtext/rtf_keywords.h"

#include <algorithm>
#include <array>

namespace tovra {
namespace {

// In the order of their kinds and codes; sorted by keyword on first use.
// pnuld stands twice with identical values.
std::array<TRDRTFsymbol, kRtfKeywordCount> g_keywords = {{
    {"tab", 0, false, kwChar, 9, rtf_af_None},
    {"par", 0, false, kwChar, 10, rtf_af_None},
    {"\n", 0, false, kwChar, 10, rtf_af_None},
    {"\r", 0, false, kwChar, 10, rtf_af_None},
    {"line", 0, false, kwChar, 13, rtf_af_None},
    {"\\", 0, false, kwChar, 92, rtf_af_None},
    {"{", 0, false, kwChar, 123, rtf_af_None},
    {"}", 0, false, kwChar, 125, rtf_af_None},
    {"ldblquote", 8220, false, kwWideChar, 34, rtf_af_None},
    {"rdblquote", 8221, false, kwWideChar, 34, rtf_af_None},
    {"lquote", 8216, false, kwWideChar, 39, rtf_af_None},
    {"rquote", 8217, false, kwWideChar, 39, rtf_af_None},
    {"endash", 8211, false, kwWideChar, 45, rtf_af_None},
    {"emdash", 8212, false, kwWideChar, 45, rtf_af_None},
    {"pict", 0, false, kwDestination, 0, rtf_af_None},
    {"nonesttables", 0, false, kwDestination, 1, rtf_af_None},
    {"author", 0, false, kwDestination, 1, rtf_af_None},
    {"buptim", 0, false, kwDestination, 1, rtf_af_None},
    {"comment", 0, false, kwDestination, 1, rtf_af_None},
    {"creatim", 0, false, kwDestination, 1, rtf_af_None},
    {"doccomm", 0, false, kwDestination, 1, rtf_af_None},
    {"footerf", 0, false, kwDestination, 1, rtf_af_None},
    {"footerl", 0, false, kwDestination, 1, rtf_af_None},
    {"footerr", 0, false, kwDestination, 1, rtf_af_None},
    {"footnote", 0, false, kwDestination, 1, rtf_af_None},
    {"ftncn", 0, false, kwDestination, 1, rtf_af_None},
    {"ftnsep", 0, false, kwDestination, 1, rtf_af_None},
    {"ftnsepc", 0, false, kwDestination, 1, rtf_af_None},
    {"headerf", 0, false, kwDestination, 1, rtf_af_None},
    {"headerl", 0, false, kwDestination, 1, rtf_af_None},
    {"headerr", 0, false, kwDestination, 1, rtf_af_None},
    {"info", 0, false, kwDestination, 1, rtf_af_None},
    {"keywords", 0, false, kwDestination, 1, rtf_af_None},
    {"operator", 0, false, kwDestination, 1, rtf_af_None},
    {"printim", 0, false, kwDestination, 1, rtf_af_None},
    {"private1", 0, false, kwDestination, 1, rtf_af_None},
    {"revtim", 0, false, kwDestination, 1, rtf_af_None},
    {"rxe", 0, false, kwDestination, 1, rtf_af_None},
    {"subject", 0, false, kwDestination, 1, rtf_af_None},
    {"tc", 0, false, kwDestination, 1, rtf_af_None},
    {"title", 0, false, kwDestination, 1, rtf_af_None},
    {"txe", 0, false, kwDestination, 1, rtf_af_None},
    {"xe", 0, false, kwDestination, 1, rtf_af_None},
    {"pntext", 0, false, kwDestination, 1, rtf_af_None},
    {"listtext", 0, false, kwDestination, 1, rtf_af_None},
    {"fonttbl", 0, false, kwDestination, 2, rtf_af_None},
    {"stylesheet", 0, false, kwDestination, 3, rtf_af_None},
    {"colortbl", 0, false, kwDestination, 4, rtf_af_None},
    {"field", 0, false, kwDestination, 8, rtf_af_None},
    {"fldinst", 0, false, kwDestination, 9, rtf_af_None},
    {"fldrslt", 0, false, kwDestination, 10, rtf_af_None},
    {"nesttableprops", 0, false, kwDestination, 11, rtf_af_None},
    {"header", 0, false, kwDestination, 12, rtf_af_None},
    {"footer", 0, false, kwDestination, 13, rtf_af_None},
    {"pntxta", 0, false, kwDestination, 14, rtf_af_None},
    {"pntxtb", 0, false, kwDestination, 15, rtf_af_None},
    {"pn", 0, false, kwDestination, 16, rtf_af_None},
    {"listtable", 0, false, kwDestination, 18, rtf_af_None},
    {"list", 0, false, kwDestination, 19, rtf_af_None},
    {"listname", 0, false, kwDestination, 20, rtf_af_None},
    {"listlevel", 0, false, kwDestination, 21, rtf_af_None},
    {"leveltext", 0, false, kwDestination, 22, rtf_af_None},
    {"levelnumbers", 0, false, kwDestination, 23, rtf_af_None},
    {"listoverridetable", 0, false, kwDestination, 24, rtf_af_None},
    {"listoverride", 0, false, kwDestination, 25, rtf_af_None},
    {"lfolevel", 0, false, kwDestination, 26, rtf_af_None},
    {"bin", 0, false, kwSpecial, 0, rtf_af_None},
    {"'", 0, false, kwSpecial, 1, rtf_af_None},
    {"*", 0, false, kwSpecial, 2, rtf_af_None},
    {"b", 1, false, kwProperty, 0, rtf_af_Char},
    {"i", 1, false, kwProperty, 1, rtf_af_Char},
    {"ul", 1, false, kwProperty, 2, rtf_af_Char},
    {"ulnone", 0, true, kwProperty, 2, rtf_af_Char},
    {"strike", 1, false, kwProperty, 3, rtf_af_Char},
    {"charscalex", 100, false, kwProperty, 4, rtf_af_Char},
    {"expndtw", 0, false, kwProperty, 5, rtf_af_Char},
    {"sub", 1, true, kwProperty, 6, rtf_af_Char},
    {"super", 2, true, kwProperty, 6, rtf_af_Char},
    {"nosupersub", 0, true, kwProperty, 6, rtf_af_Char},
    {"caps", 1, false, kwProperty, 7, rtf_af_Char},
    {"fs", 24, false, kwProperty, 8, rtf_af_Char},
    {"cf", 0, false, kwProperty, 9, rtf_af_Char},
    {"chcbpat", 0, false, kwProperty, 10, rtf_af_Char},
    {"highlight", 0, false, kwProperty, 11, rtf_af_Char},
    {"plain", 0, false, kwProperty, 35, rtf_af_Char},
    {"f", 0, false, kwProperty, 37, rtf_af_Char},
    {"v", 1, false, kwProperty, 54, rtf_af_Char},
    {"fcharset", 0, false, kwProperty, 59, rtf_af_Char},
    {"sl", 240, false, kwProperty, 12, rtf_af_Para},
    {"slmult", 1, false, kwProperty, 13, rtf_af_Para},
    {"li", 0, false, kwProperty, 14, rtf_af_Para},
    {"ri", 0, false, kwProperty, 15, rtf_af_Para},
    {"fi", 0, false, kwProperty, 16, rtf_af_Para},
    {"qc", 2, true, kwProperty, 33, rtf_af_Para},
    {"ql", 0, true, kwProperty, 33, rtf_af_Para},
    {"qr", 1, true, kwProperty, 33, rtf_af_Para},
    {"qj", 3, true, kwProperty, 33, rtf_af_Para},
    {"pard", 0, false, kwProperty, 34, rtf_af_Para},
    {"sb", 0, false, kwProperty, 39, rtf_af_Para},
    {"sa", 0, false, kwProperty, 40, rtf_af_Para},
    {"brdrs", 1, true, kwProperty, 41, rtf_af_Para},
    {"brdrth", 2, true, kwProperty, 41, rtf_af_Para},
    {"brdrsh", 3, true, kwProperty, 41, rtf_af_Para},
    {"brdrdb", 4, true, kwProperty, 41, rtf_af_Para},
    {"brdrdot", 5, true, kwProperty, 41, rtf_af_Para},
    {"brdrdash", 6, true, kwProperty, 41, rtf_af_Para},
    {"brdrhair", 7, true, kwProperty, 41, rtf_af_Para},
    {"brdrdashsm", 8, true, kwProperty, 41, rtf_af_Para},
    {"brdrdashd", 9, true, kwProperty, 41, rtf_af_Para},
    {"brdrdashdd", 10, true, kwProperty, 41, rtf_af_Para},
    {"brdrtriple", 11, true, kwProperty, 41, rtf_af_Para},
    {"brdrtnthsg", 12, true, kwProperty, 41, rtf_af_Para},
    {"brdrthtnsg", 13, true, kwProperty, 41, rtf_af_Para},
    {"brdrtnthtnsg", 14, true, kwProperty, 41, rtf_af_Para},
    {"brdrtnthmg", 15, true, kwProperty, 41, rtf_af_Para},
    {"brdrthtnmg", 16, true, kwProperty, 41, rtf_af_Para},
    {"brdrtnthtnmg", 17, true, kwProperty, 41, rtf_af_Para},
    {"brdrtnthlg", 18, true, kwProperty, 41, rtf_af_Para},
    {"brdrthtnlg", 19, true, kwProperty, 41, rtf_af_Para},
    {"brdrtnthtnlg", 20, true, kwProperty, 41, rtf_af_Para},
    {"brdrwavy", 21, true, kwProperty, 41, rtf_af_Para},
    {"brdrwavydb", 22, true, kwProperty, 41, rtf_af_Para},
    {"brdrdashdotstr", 23, true, kwProperty, 41, rtf_af_Para},
    {"brdremboss", 24, true, kwProperty, 41, rtf_af_Para},
    {"brdrengrave", 24, true, kwProperty, 41, rtf_af_Para},
    {"brdrinset", 26, true, kwProperty, 41, rtf_af_Para},
    {"brdroutset", 27, true, kwProperty, 41, rtf_af_Para},
    {"brdrl", 0, true, kwProperty, 42, rtf_af_Para},
    {"brdrt", 1, true, kwProperty, 42, rtf_af_Para},
    {"brdrr", 2, true, kwProperty, 42, rtf_af_Para},
    {"brdrb", 3, true, kwProperty, 42, rtf_af_Para},
    {"brdrw", 1, false, kwProperty, 43, rtf_af_Para},
    {"brdrcf", 0, false, kwProperty, 44, rtf_af_Para},
    {"brsp", 0, false, kwProperty, 45, rtf_af_Para},
    {"cbpat", 0, false, kwProperty, 46, rtf_af_Para},
    {"ls", 1, false, kwProperty, 104, rtf_af_Para},
    {"ilvl", 1, false, kwProperty, 106, rtf_af_Para},
    {"trbrdrl", 0, true, kwProperty, 145, rtf_af_Para},
    {"trbrdrt", 1, true, kwProperty, 145, rtf_af_Para},
    {"trbrdrr", 2, true, kwProperty, 145, rtf_af_Para},
    {"trbrdrb", 3, true, kwProperty, 145, rtf_af_Para},
    {"clbrdrl", 0, true, kwProperty, 146, rtf_af_Para},
    {"clbrdrt", 1, true, kwProperty, 146, rtf_af_Para},
    {"clbrdrr", 2, true, kwProperty, 146, rtf_af_Para},
    {"clbrdrb", 3, true, kwProperty, 146, rtf_af_Para},
    {"absnoovrlp", 0, false, kwProperty, 147, rtf_af_Para},
    {"pvmrg", 0, false, kwProperty, 147, rtf_af_Para},
    {"pvpg", 0, false, kwProperty, 147, rtf_af_Para},
    {"cols", 1, false, kwProperty, 17, rtf_af_None},
    {"pgnx", 0, false, kwProperty, 18, rtf_af_None},
    {"pgny", 0, false, kwProperty, 19, rtf_af_None},
    {"headery", 720, false, kwProperty, 20, rtf_af_None},
    {"footery", 720, false, kwProperty, 21, rtf_af_None},
    {"paperw", 12240, false, kwProperty, 22, rtf_af_None},
    {"paperh", 15480, false, kwProperty, 23, rtf_af_None},
    {"margl", 1800, false, kwProperty, 24, rtf_af_None},
    {"margr", 1800, false, kwProperty, 25, rtf_af_None},
    {"margt", 1440, false, kwProperty, 26, rtf_af_None},
    {"margb", 1440, false, kwProperty, 27, rtf_af_None},
    {"pgnstart", 1, false, kwProperty, 28, rtf_af_None},
    {"sbknone", 0, true, kwProperty, 29, rtf_af_None},
    {"sbkcol", 1, true, kwProperty, 29, rtf_af_None},
    {"sbkeven", 2, true, kwProperty, 29, rtf_af_None},
    {"sbkodd", 3, true, kwProperty, 29, rtf_af_None},
    {"sbkpage", 4, true, kwProperty, 29, rtf_af_None},
    {"pgndec", 0, true, kwProperty, 30, rtf_af_None},
    {"pgnucrm", 1, true, kwProperty, 30, rtf_af_None},
    {"pgnlcrm", 2, true, kwProperty, 30, rtf_af_None},
    {"pgnucltr", 3, true, kwProperty, 30, rtf_af_None},
    {"pgnlcltr", 4, true, kwProperty, 30, rtf_af_None},
    {"facingp", 1, true, kwProperty, 31, rtf_af_None},
    {"landscape", 1, true, kwProperty, 32, rtf_af_None},
    {"sectd", 0, false, kwProperty, 36, rtf_af_None},
    {"deff", 0, false, kwProperty, 38, rtf_af_None},
    {"ansicpg", 0, false, kwProperty, 47, rtf_af_None},
    {"u", 0, false, kwProperty, 48, rtf_af_None},
    {"uc", 1, false, kwProperty, 49, rtf_af_None},
    {"page", 0, false, kwProperty, 50, rtf_af_None},
    {"red", 0, false, kwProperty, 55, rtf_af_None},
    {"green", 0, false, kwProperty, 56, rtf_af_None},
    {"blue", 0, false, kwProperty, 57, rtf_af_None},
    {"fnil", 0, true, kwProperty, 58, rtf_af_None},
    {"froman", 1, true, kwProperty, 58, rtf_af_None},
    {"fswiss", 2, true, kwProperty, 58, rtf_af_None},
    {"fmodern", 3, true, kwProperty, 58, rtf_af_None},
    {"fscript", 4, true, kwProperty, 58, rtf_af_None},
    {"fdecor", 5, true, kwProperty, 58, rtf_af_None},
    {"ftech", 6, true, kwProperty, 58, rtf_af_None},
    {"fbidi", 7, true, kwProperty, 58, rtf_af_None},
    {"s", 0, false, kwProperty, 60, rtf_af_None},
    {"cs", 0, false, kwProperty, 61, rtf_af_None},
    {"ds", 0, false, kwProperty, 62, rtf_af_None},
    {"sbasedon", 0, false, kwProperty, 63, rtf_af_None},
    {"snext", 0, false, kwProperty, 64, rtf_af_None},
    {"additive", 0, false, kwProperty, 65, rtf_af_None},
    {"shidden", 0, false, kwProperty, 66, rtf_af_None},
    {"picw", 0, false, kwProperty, 67, rtf_af_None},
    {"pich", 0, false, kwProperty, 68, rtf_af_None},
    {"picscalex", 100, false, kwProperty, 69, rtf_af_None},
    {"picscaley", 100, false, kwProperty, 70, rtf_af_None},
    {"wbmwidthbytes", 0, false, kwProperty, 71, rtf_af_None},
    {"emfblip", 0, true, kwProperty, 72, rtf_af_None},
    {"pngblip", 1, true, kwProperty, 72, rtf_af_None},
    {"jpegblip", 2, true, kwProperty, 72, rtf_af_None},
    {"macpict", 3, true, kwProperty, 72, rtf_af_None},
    {"pmmetafile", 4, true, kwProperty, 72, rtf_af_None},
    {"dibitmap", 6, true, kwProperty, 72, rtf_af_None},
    {"wbitmap", 7, true, kwProperty, 72, rtf_af_None},
    {"wmetafile", 1, false, kwProperty, 73, rtf_af_None},
    {"picbmp", 1, false, kwProperty, 74, rtf_af_None},
    {"pnlvl", 1, false, kwProperty, 75, rtf_af_None},
    {"pnlvlblt", 11, true, kwProperty, 75, rtf_af_None},
    {"pnlvlbody", 10, true, kwProperty, 75, rtf_af_None},
    {"pnhang", 1, false, kwProperty, 76, rtf_af_None},
    {"pnucltr", 2, true, kwProperty, 77, rtf_af_None},
    {"pnucrm", 4, true, kwProperty, 77, rtf_af_None},
    {"pnlcltr", 1, true, kwProperty, 77, rtf_af_None},
    {"pnlcrm", 3, true, kwProperty, 77, rtf_af_None},
    {"pnb", 1, false, kwProperty, 78, rtf_af_None},
    {"pni", 1, false, kwProperty, 79, rtf_af_None},
    {"pnuldash", 1, false, kwProperty, 80, rtf_af_None},
    {"pnuldashd", 1, false, kwProperty, 80, rtf_af_None},
    {"pnuldashdd", 1, false, kwProperty, 80, rtf_af_None},
    {"pnulhair", 1, false, kwProperty, 80, rtf_af_None},
    {"pnulth", 1, false, kwProperty, 80, rtf_af_None},
    {"pnulwave", 1, false, kwProperty, 80, rtf_af_None},
    {"pnul", 1, false, kwProperty, 80, rtf_af_None},
    {"pnuld", 1, false, kwProperty, 80, rtf_af_None},
    {"pnuld", 1, false, kwProperty, 80, rtf_af_None},
    {"pnuldb", 1, false, kwProperty, 80, rtf_af_None},
    {"pnulw", 1, false, kwProperty, 80, rtf_af_None},
    {"pnulnone", 0, true, kwProperty, 80, rtf_af_None},
    {"pnstrike", 1, false, kwProperty, 81, rtf_af_None},
    {"pncf", 0, false, kwProperty, 82, rtf_af_None},
    {"pnf", 0, false, kwProperty, 83, rtf_af_None},
    {"pnfs", 0, false, kwProperty, 84, rtf_af_None},
    {"pnindent", 0, false, kwProperty, 85, rtf_af_None},
    {"pnsp", 0, false, kwProperty, 86, rtf_af_None},
    {"pnqc", 2, true, kwProperty, 87, rtf_af_None},
    {"pnql", 0, true, kwProperty, 87, rtf_af_None},
    {"pnqr", 1, true, kwProperty, 87, rtf_af_None},
    {"pnstart", 1, false, kwProperty, 88, rtf_af_None},
    {"pnseclvl", 1, false, kwProperty, 89, rtf_af_None},
    {"listid", 0, false, kwProperty, 90, rtf_af_None},
    {"listsimple", 1, false, kwProperty, 92, rtf_af_None},
    {"levelstartat", 1, false, kwProperty, 94, rtf_af_None},
    {"levelnfc", 0, false, kwProperty, 95, rtf_af_None},
    {"leveljc", 0, false, kwProperty, 96, rtf_af_None},
    {"levelold", 1, false, kwProperty, 97, rtf_af_None},
    {"levelindent", 0, false, kwProperty, 98, rtf_af_None},
    {"levelspace", 0, false, kwProperty, 99, rtf_af_None},
    {"levelfollow", 0, false, kwProperty, 100, rtf_af_None},
    {"levellegal", 1, false, kwProperty, 101, rtf_af_None},
    {"levelnorestart", 1, false, kwProperty, 102, rtf_af_None},
    {"listoverridecount", 0, false, kwProperty, 103, rtf_af_None},
    {"listoverridestartat", 1, false, kwProperty, 105, rtf_af_None},
    {"tx", 0, false, kwProperty, 107, rtf_af_None},
    {"row", 0, true, kwProperty, 108, rtf_af_None},
    {"nestrow", 1, true, kwProperty, 108, rtf_af_None},
    {"cell", 0, true, kwProperty, 109, rtf_af_None},
    {"nestcell", 1, true, kwProperty, 109, rtf_af_None},
    {"intbl", 0, false, kwProperty, 110, rtf_af_None},
    {"itap", 1, false, kwProperty, 111, rtf_af_None},
    {"trowd", 0, false, kwProperty, 112, rtf_af_None},
    {"trql", 0, true, kwProperty, 113, rtf_af_None},
    {"trqr", 1, true, kwProperty, 113, rtf_af_None},
    {"trqc", 2, true, kwProperty, 113, rtf_af_None},
    {"trgaph", 0, false, kwProperty, 114, rtf_af_None},
    {"trleft", 0, false, kwProperty, 115, rtf_af_None},
    {"trrh", 0, false, kwProperty, 116, rtf_af_None},
    {"trhdr", 1, false, kwProperty, 117, rtf_af_None},
    {"trpaddl", 0, false, kwProperty, 118, rtf_af_None},
    {"trpaddr", 0, false, kwProperty, 119, rtf_af_None},
    {"trpaddt", 0, false, kwProperty, 120, rtf_af_None},
    {"trpaddb", 0, false, kwProperty, 121, rtf_af_None},
    {"trpaddfl", 0, false, kwProperty, 122, rtf_af_None},
    {"trpaddfr", 0, false, kwProperty, 123, rtf_af_None},
    {"trpaddft", 0, false, kwProperty, 124, rtf_af_None},
    {"trpaddfb", 0, false, kwProperty, 125, rtf_af_None},
    {"trspdl", 0, false, kwProperty, 126, rtf_af_None},
    {"trspdr", 0, false, kwProperty, 127, rtf_af_None},
    {"trspdt", 0, false, kwProperty, 128, rtf_af_None},
    {"trspdb", 0, false, kwProperty, 129, rtf_af_None},
    {"trspdfl", 0, false, kwProperty, 130, rtf_af_None},
    {"trspdfr", 0, false, kwProperty, 131, rtf_af_None},
    {"trspdft", 0, false, kwProperty, 132, rtf_af_None},
    {"trspdfb", 0, false, kwProperty, 133, rtf_af_None},
    {"trwWidth", 0, false, kwProperty, 134, rtf_af_None},
    {"trftsWidth", 0, false, kwProperty, 135, rtf_af_None},
    {"clvmrg", 2, true, kwProperty, 136, rtf_af_None},
    {"clvmgf", 1, true, kwProperty, 136, rtf_af_None},
    {"clmrg", 2, true, kwProperty, 137, rtf_af_None},
    {"clmgf", 1, true, kwProperty, 137, rtf_af_None},
    {"clwWidth", 0, false, kwProperty, 138, rtf_af_None},
    {"clftsWidth", 0, false, kwProperty, 139, rtf_af_None},
    {"clcbpat", 0, false, kwProperty, 140, rtf_af_None},
    {"clcfpat", 0, false, kwProperty, 141, rtf_af_None},
    {"clshdng", 0, false, kwProperty, 142, rtf_af_None},
    {"clvertalt", 0, true, kwProperty, 143, rtf_af_None},
    {"clvertalc", 2, true, kwProperty, 143, rtf_af_None},
    {"clvertalb", 1, true, kwProperty, 143, rtf_af_None},
    {"cellx", 0, false, kwProperty, 144, rtf_af_None},
    {"richdoccbw", 0, false, kwProperty, 149, rtf_af_None},
    {"richdoccbh", 0, false, kwProperty, 150, rtf_af_None},
    {"richdoctbw", 0, false, kwProperty, 151, rtf_af_None},
}};

const std::array<TRDRTFsymbol, kRtfKeywordCount>& SortedKeywords() {
    static const bool sorted = [] {
        std::sort(g_keywords.begin(), g_keywords.end(),
                  [](const TRDRTFsymbol& a, const TRDRTFsymbol& b) { return a.Keyword < b.Keyword; });
        return true;
    }();
    (void)sorted;
    return g_keywords;
}

// An open-addressing hash index over the sorted table, built once: a
// control word is looked up by one hash and, nearly always, one comparison,
// instead of the nine comparisons of a binary search over 305 records.
class TKeywordIndex {
public:
    TKeywordIndex() : table_(SortedKeywords().data()) {
        slots_.fill(kEmpty);
        const auto& table = SortedKeywords();
        for (size_t i = 0; i < table.size(); ++i) {
            size_t slot = Hash(table[i].Keyword) & kMask;
            // A keyword listed twice keeps its first record.
            bool present = false;
            while (slots_[slot] != kEmpty) {
                present = present || table[slots_[slot]].Keyword == table[i].Keyword;
                slot = (slot + 1) & kMask;
            }
            if (!present) slots_[slot] = static_cast<uint16_t>(i);
        }
    }

    const TRDRTFsymbol* Find(std::string_view keyword) const {
        for (size_t slot = Hash(keyword) & kMask; slots_[slot] != kEmpty; slot = (slot + 1) & kMask) {
            const TRDRTFsymbol& record = table_[slots_[slot]];
            if (record.Keyword == keyword) return &record;
        }
        return nullptr;
    }

private:
    static constexpr size_t kSlots = 1024;  // a power of two, over three times the records
    static constexpr size_t kMask = kSlots - 1;
    static constexpr uint16_t kEmpty = 0xFFFF;
    static_assert(kRtfKeywordCount * 3 < kSlots);

    static size_t Hash(std::string_view s) {
        uint32_t h = 2166136261u;  // FNV-1a
        for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        return h ^ (h >> 15);
    }

    const TRDRTFsymbol* table_;  // the sorted table, which never moves
    std::array<uint16_t, kSlots> slots_;
};

}  // namespace

std::span<const TRDRTFsymbol> RtfKeywordTable() { return SortedKeywords(); }

const TRDRTFsymbol* FindRtfKeyword(std::string_view keyword) {
    static const TKeywordIndex index;
    return index.Find(keyword);
}

}  // namespace tovra
