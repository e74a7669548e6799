// RTF through the document into HTML and plain text, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "richtext/output_sink.h"
#include "richtext/rich_doc.h"
#include "richtext/rtf_builder.h"

namespace tovra {
namespace {

// The control as the engine uses it: cleared and reset before every entry.
class Control {
public:
    Control() { props_.UseConversionSettings(); }

    void Load(const std::string& rtf) {
        doc_.RDData().Clear();
        doc_.Style()->ResetTextStyles();
        doc_.Style()->ResetParaStyles();
        ASSERT_EQ(LoadRtfStatus(doc_.RDData(), &props_, rtf), 0);
    }
    std::string Html(const char* title) {
        std::string out;
        StringSink sink(out);
        EXPECT_TRUE(doc_.SaveHtml(sink, "", title, "", {}));
        return out;
    }
    // The lines between the body's opening FONT line and its "</FONT>".
    std::string Body() {
        const std::string page = Html("t");
        const std::string open = "<FONT size=2 color=#000000 face=\"Arial\">\r\n";
        const size_t from = page.find(open);
        const size_t to = page.rfind("</FONT>\r\n</BODY>");
        if (from == std::string::npos || to == std::string::npos) return "no body in: " + page;
        return page.substr(from + open.size(), to - from - open.size());
    }
    std::string Text() {
        std::string out;
        StringSink sink(out);
        EXPECT_TRUE(doc_.SaveText("", sink, 2, false, true));
        return out;
    }

private:
    TRichDoc doc_;
    TRDRTFReaderProperties props_;
};

const char kHead[] = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
                     "{\\colortbl ;\\red0\\green0\\blue255;\\red128\\green0\\blue0;}\\fs20 ";

std::string Rtf(const std::string& body) { return kHead + body + "}"; }

std::string ListRtf(const std::string& levels, const std::string& body) {
    return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list") + levels +
           "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\\fs20 " + body + "}";
}

TEST(RtfToHtml, EmptyEntryIsTheBarePage) {
    Control c;
    c.Load("{\\rtf1}");
    EXPECT_EQ(c.Html("Aaron"),
              "<HTML><HEAD><TITLE>Aaron</TITLE>\r\n"
              "</HEAD>\r\n"
              "<BODY bgcolor=#FFFFFF leftmargin=5 topmargin=5 rightmargin=5 bottommargin=5>\r\n"
              "<FONT size=2 color=#000000 face=\"Arial\">\r\n"
              "</FONT>\r\n"
              "</BODY></HTML>\r\n");
}

TEST(RtfToHtml, DictionaryEntryWithHeading) {
    Control c;
    c.Load(Rtf("One\\par {\\b\\cf1 Two}\\par"));
    EXPECT_EQ(c.Html("Aaron"),
              "<HTML><HEAD><TITLE>Aaron</TITLE>\r\n"
              "</HEAD>\r\n"
              "<BODY bgcolor=#FFFFFF leftmargin=5 topmargin=5 rightmargin=5 bottommargin=5>\r\n"
              "<FONT size=2 color=#000000 face=\"Arial\">\r\n"
              "<DIV>One</DIV>\r\n"
              "<DIV><FONT color=#0000FF><B>Two</B></FONT></DIV>\r\n"
              "</FONT>\r\n"
              "</BODY></HTML>\r\n");
}

TEST(RtfToHtml, CentredParagraphWithKeyword) {
    Control c;
    c.Load(Rtf("\\qc x{\\i\\cf2 y}"));
    EXPECT_EQ(c.Body(), "<DIV align=center>x<FONT color=#800000><I>y</I></FONT></DIV>\r\n");
}

TEST(RtfToHtml, TwelvePointArialIsARelativeSize) {
    Control c;
    c.Load("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard abc\\par}");
    EXPECT_EQ(c.Body(), "<DIV><FONT size=3>abc</FONT></DIV>\r\n");
}

TEST(RtfToHtml, BulletList) {
    Control c;
    c.Load(ListRtf("{\\listlevel\\levelnfc23{\\leveltext\\'01\\'b7;}{\\levelnumbers;}\\f0}",
                   "\\pard\\ls1 p\\par q\\par\\pard r\\par"));
    EXPECT_EQ(c.Body(), "<UL>\r\n<LI>p</LI>\r\n<LI>q</LI>\r\n</UL>\r\n<DIV>r</DIV>\r\n");
}

TEST(RtfToHtml, NumberedListWithSecondLevelAtTheEnd) {
    Control c;
    c.Load(ListRtf("{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\f0}"
                   "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}\\f0}",
                   "\\pard\\ls1 a\\par\\pard\\ls1\\ilvl1 b\\par\\pard\\ls1 c\\par"));
    EXPECT_EQ(c.Body(),
              "<OL>\r\n<LI value=1>a</LI>\r\n<OL>\r\n<LI value=1>b</LI>\r\n</OL>\r\n<LI value=2>c</LI>\r\n</OL>\r\n");
}

TEST(RtfToHtml, TableWithOneFilledAndOneEmptyCell) {
    Control c;
    c.Load(Rtf("\\trowd\\cellx1440\\cellx2880\\intbl a\\cell\\cell\\row\\pard b\\par"));
    EXPECT_EQ(c.Body(),
              "<DIV><TABLE border=0 cellpadding=0 bordercolor=#000000 cellspacing=-1>\r\n"
              "<TR valign=top>\r\n"
              "<TD width=96 valign=top><FONT size=2 color=#000000 face=\"Arial\">\r\n"
              "<DIV>a</DIV>\r\n"
              "</FONT>\r\n"
              "</TD>\r\n"
              "<TD width=96 valign=top>&nbsp;\r\n"
              "</TD>\r\n"
              "</TR>\r\n"
              "</TABLE>\r\n"
              "</DIV>\r\n"
              "<DIV>b</DIV>\r\n");
}

struct TextCase {
    const char* name;
    std::string rtf;
    const char* text;
};

class RtfToText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfToText, WritesCharactersOnly) {
    Control c;
    c.Load(GetParam().rtf);
    EXPECT_EQ(c.Text(), GetParam().text);
}

const TextCase kTextCases[] = {
    {"EmptyEntryWritesNothing", "{\\rtf1}", ""},
    {"TwoParagraphs", Rtf("a\\par b\\par"), "a\r\nb"},
    {"JoinedRunAndLineBreak", Rtf("a{\\b b}\\line c"), "ab\r\nc"},
    {"ListParagraphIsItsText",
     ListRtf("{\\listlevel\\levelnfc23{\\leveltext\\'01\\'b7;}{\\levelnumbers;}\\f0}", "a\\par\\pard\\ls1 x\\par\\pard b"),
     "a\r\nx\r\nb"},
    {"TableCellsAndRows", Rtf("a\\par\\trowd\\cellx1440\\cellx2880\\intbl b\\cell c\\cell\\row\\pard d"),
     "a\r\nb\r\nc\r\n\r\nd"},
    {"CellWithTwoParagraphs", Rtf("\\trowd\\cellx1440\\intbl p\\par q\\cell\\row"), "p\r\nq\r\n"},
    {"TabIsEightSpaces", Rtf("a\\tab b"), "a        b"},
    {"HiddenTextDropped", Rtf("a{\\v hidden}b"), "ab"},
};

INSTANTIATE_TEST_SUITE_P(Load, RtfToText, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovra
