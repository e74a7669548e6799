// Damaged RTF through the document builder: every truncation and a series
// of byte changes of an entry that uses tables, nested tables, lists,
// fields and hidden text must load without fault and leave well-formed
// documents that the writers can write.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "richtext/html_writer.h"
#include "richtext/output_sink.h"
#include "richtext/table.h"
#include "richtext/text_writer.h"
#include "support/rtf_loading.h"

namespace tovra {
namespace {

using test_support::LoadedDoc;

const char kEntry[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
    "{\\colortbl ;\\red0\\green128\\blue0;}"
    "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}"
    "\\fi-360\\li720}{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f1}\\listid1}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}"
    "\\pard\\ls1 one\\par\\pard\\ls1\\ilvl1 two{\\v hidden}\\par"
    "\\pard{\\*\\pn\\pnlvlbody\\pnindent360\\pnstart1{\\pntxta .}}\\fi-360\\li360 old\\par\\pard "
    "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt \\ul\\cf1 link}}\\page"
    "\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw10\\clvmgf\\clbrdrl\\brdrs\\brdrw10\\cellx1440"
    "\\clmgf\\cellx2880\\clmrg\\cellx4320"
    "\\pard\\intbl a\\par b\\cell c\\cell\\cell\\row"
    "\\trowd\\clvmrg\\cellx1442\\cellx4320\\pard\\intbl\\itap1 \\cell"
    "\\pard\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\trowd\\cellx700\\nestrow}{\\nonesttables\\par}"
    "\\pard\\intbl\\itap1 d\\cell\\row"
    "\\pard\\intbl e\\cell\\pard\\qc\\brdrb\\brdrdb\\brdrw30 end\\tab x\\line y\\par}";

void CheckDocument(const TCustomRDData& doc) {
    for (int i = 0; i < doc.ItemCount(); ++i) {
        const TCustomRDItemInfo& item = doc.GetItem(i);
        if (i == 0 || (i > 0 && doc.GetItem(i - 1).OccupiesWholeLine())) {
            ASSERT_TRUE(item.StartsParagraph() || item.HasFlag(rdifPageBreak)) << i;
        }
        if (item.StyleNo == rdkListMarker) {
            ASSERT_TRUE(item.StartsParagraph()) << i;
        }
        if (item.StyleNo != rdkTable) continue;
        const auto& table = static_cast<const TRDTableItemInfo&>(item);
        std::string problem;
        ASSERT_TRUE(table.CheckInvariants(&problem)) << problem;
        ASSERT_GE(table.RowCount(), 1);
        ASSERT_GE(table.ColCount(), 1);
        for (int r = 0; r < table.RowCount(); ++r) {
            for (int c = 0; c < table.ColCount(); ++c) {
                if (const TRDTableCellData* cell = table.Cell(r, c)) {
                    ASSERT_GT(cell->ItemCount(), 0);
                    CheckDocument(*cell);
                }
            }
        }
    }
}

void LoadAndWrite(LoadedDoc& d, const std::string& rtf) {
    d.Load(rtf);
    CheckDocument(d.doc);
    std::string out;
    StringSink sink(out);
    EXPECT_TRUE(WriteHtmlBody(sink, d.doc));
    EXPECT_TRUE(WriteText(sink, d.doc, 2, true));
}

TEST(BuilderRobustness, EveryTruncationLoads) {
    const std::string entry = kEntry;
    LoadedDoc d;
    ASSERT_EQ(d.Load(entry), 0);
    for (size_t n = 0; n <= entry.size(); ++n) {
        SCOPED_TRACE(n);
        LoadAndWrite(d, entry.substr(0, n));
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(BuilderRobustness, ChangedBytesLoad) {
    const std::string entry = kEntry;
    LoadedDoc d;
    const char replacements[] = {'{', '}', '\\', ' ', '0', 'x'};
    for (size_t at = 0; at < entry.size(); at += 3) {
        for (char r : replacements) {
            std::string damaged = entry;
            damaged[at] = r;
            SCOPED_TRACE(damaged);
            LoadAndWrite(d, damaged);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

// Documents made of random table, list and group tokens: the grid
// operations meet rows, merges and nesting in orders no real file has.
TEST(BuilderRobustness, RandomTableTokenSoupLoads) {
    static const char* const kTokens[] = {
        "\\trowd", "\\intbl", "\\cell", "\\row", "\\nestcell", "\\nestrow", "\\itap2", "\\itap1",
        "\\itap3", "\\itap0", "\\pard", "\\par", "\\clvmgf", "\\clvmrg", "\\clmgf", "\\clmrg",
        "\\trhdr", "\\trqc", "\\clbrdrl\\brdrs\\brdrw20", "\\trbrdrt\\brdrs", "\\trpaddl50\\trpaddfl3",
        "\\trspdt30\\trspdft3", "\\clwWidth500", "\\clftsWidth2", "\\ls1", "\\ilvl1",
        "{\\*\\pn\\pnlvlbody\\pnstart1}", "{", "}", " text", " x", "\\v", "\\v0", "\\page", "\\line",
        "{\\*\\nesttableprops", "\\b", "\\qc", "\\li360"};
    std::mt19937 random(20261210);
    LoadedDoc d;
    const std::string head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
                             "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid1}}"
                             "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}";
    for (int round = 0; round < 400; ++round) {
        std::string rtf = head;
        const int length = 20 + static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i) {
            if (random() % 5 == 0) {
                const int kind = static_cast<int>(random() % 3);
                const int value = static_cast<int>(random() % 4000) - 500;
                rtf += (kind == 0 ? "\\cellx" : kind == 1 ? "\\trleft" : "\\trwWidth") + std::to_string(value);
            } else {
                rtf += kTokens[random() % (sizeof kTokens / sizeof kTokens[0])];
            }
        }
        rtf += "}";
        SCOPED_TRACE(rtf);
        LoadAndWrite(d, rtf);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace tovra
