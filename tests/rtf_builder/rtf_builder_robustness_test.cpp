// Damaged RTF through the document builder: every truncation and a series
// of byte changes of an entry that uses tables, nested tables, lists,
// fields and hidden text must load without fault and leave well-formed
// documents that the writers can write.
#include <gtest/gtest.h>

#include <string>

#include "builder_test_support.h"
#include "richtext/html_writer.h"
#include "richtext/output_sink.h"
#include "richtext/text_writer.h"

namespace tovra {
namespace {

using testing_support::LoadedDoc;

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

}  // namespace
}  // namespace tovra
