#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "richtext/html_writer.h"
#include "richtext/rich_doc.h"
#include "richtext/table.h"
#include "support/failing_sink.h"

namespace tovra {
namespace {

using test_support::FailingSink;

std::string Lines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

const char kFontLine[] = "<FONT size=2 color=#000000 face=\"Arial\">";

class HtmlTest : public ::testing::Test {
public:
    TRichDoc doc;
    TRichDocRDData& data = doc.RDData();
    TRDStyle& style = *doc.Style();

    std::string Page(const char* title = "") {
        std::string out;
        StringSink sink(out);
        EXPECT_TRUE(doc.SaveHtml(sink, "", title, "", {}));
        return out;
    }
    // The body lines between the opening FONT line and the closing one.
    std::string Body() {
        std::string out;
        StringSink sink(out);
        EXPECT_TRUE(WriteHtmlBody(sink, data));
        const size_t first = out.find("\r\n");
        const size_t last = out.rfind("\r\n", out.size() - 3);
        EXPECT_NE(first, std::string::npos);
        EXPECT_NE(last, std::string::npos);
        if (first == std::string::npos || last == std::string::npos || last < first) return out;
        return out.substr(first + 2, last - first);
    }
    // Style 0 with every style and effect the opening tags write, in font
    // `face`.
    TFontInfo& StyleZeroWithEverything(const std::string& face) {
        TFontInfo& base = style.TextStyles.Items(0);
        base.Style = {fsBold, fsUnderline, fsItalic, fsStrikeOut};
        base.VShift = 45;
        base.Size = 26;
        base.Color = clGreen;
        base.FontName = face;
        return base;
    }
    // The body of the page, every line included.
    std::string WholeBody() {
        std::string out;
        StringSink sink(out);
        EXPECT_TRUE(WriteHtmlBody(sink, data));
        return out;
    }
    int AddList(TRDListType type, int levels) {
        TRDListInfo& list = style.ListStyles.Add();
        for (int i = 0; i < levels; ++i) list.Levels.Add().ListType = type;
        return style.ListStyles.Count() - 1;
    }
    void AddListItem(int list, int level, const char* text) {
        data.AddItem({}, std::make_unique<TRDMarkerItemInfo>(list, level, 1, false));
        data.RegisterMarker(data.ItemCount() - 1);
        data.AddText(text, 0, -1);
    }
};

TEST_F(HtmlTest, EmptyPage) {
    EXPECT_EQ(Page("Aaron"), Lines({"<HTML><HEAD><TITLE>Aaron</TITLE>", "</HEAD>",
                                    "<BODY bgcolor=#FFFFFF leftmargin=5 topmargin=5 rightmargin=5 bottommargin=5>",
                                    kFontLine, "</FONT>", "</BODY></HTML>"}));
}

TEST_F(HtmlTest, PageColourAndMarginsComeFromTheControl) {
    doc.Color = clNone;
    style.Color = clNone;
    doc.LeftMargin = 1;
    doc.TopMargin = 2;
    doc.RightMargin = 3;
    doc.BottomMargin = 4;
    const std::string expected = Lines({"<HTML><HEAD><TITLE><t></TITLE>", "</HEAD>",
                                        "<BODY leftmargin=1 topmargin=2 rightmargin=3 bottommargin=4>"});
    EXPECT_EQ(Page("<t>").substr(0, expected.size()), expected);
    doc.Color = 0x0080FF;
    EXPECT_NE(Page().find("<BODY bgcolor=#FF8000 leftmargin=1"), std::string::npos);
}

TEST_F(HtmlTest, MetaLineFollowsTheCharsetOfStyleZero) {
    const std::pair<int, const char*> cases[] = {{204, "Windows-1251"}, {128, "shift_jis"}, {238, "Windows-1250"},
                                                 {255, "ascii"},        {0, nullptr},       {1, nullptr},
                                                 {2, nullptr}};
    for (auto [charset, name] : cases) {
        SCOPED_TRACE(charset);
        style.TextStyles.Items(0).Charset = static_cast<uint8_t>(charset);
        std::string expected = "<HTML><HEAD><TITLE>T</TITLE>\r\n";
        if (name) expected += std::string("<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=") + name + "\">\r\n";
        expected += "</HEAD>\r\n";
        EXPECT_EQ(Page("T").substr(0, expected.size()), expected);
    }
}

struct BodyCase {
    const char* name;
    void (*build)(HtmlTest&);
    std::vector<std::string> lines;
};

class BodyTest : public HtmlTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(BodyTest, Lines) {
    GetParam().build(*this);
    std::string problem;
    EXPECT_TRUE(data.CheckInvariants(&problem)) << problem;
    EXPECT_EQ(Body(), Lines(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(
    Documents, BodyTest,
    ::testing::Values(
        BodyCase{"TwoParagraphs",
                 [](HtmlTest& t) {
                     t.data.AddText("One", 0, 0);
                     t.data.AddText("Two", 1, 0);
                 },
                 {"<DIV>One</DIV>", "<DIV><FONT color=#0000FF><B>Two</B></FONT></DIV>"}},
        BodyCase{"CenteredWithJoinedKeyword",
                 [](HtmlTest& t) {
                     t.data.AddText("x", 0, 1);
                     t.data.AddText("y", 3, -1);
                 },
                 {"<DIV align=center>x<FONT color=#800000><I>y</I></FONT></DIV>"}},
        BodyCase{"BulletListThenParagraph",
                 [](HtmlTest& t) {
                     const int l = t.AddList(rdlstBullet, 1);
                     t.AddListItem(l, 0, "p");
                     t.AddListItem(l, 0, "q");
                     t.data.AddText("r", 0, 0);
                 },
                 {"<UL>", "<LI>p</LI>", "<LI>q</LI>", "</UL>", "<DIV>r</DIV>"}},
        BodyCase{"NestedDecimalListAtTheEnd",
                 [](HtmlTest& t) {
                     const int l = t.AddList(rdlstDecimal, 3);
                     t.AddListItem(l, 0, "a");
                     t.AddListItem(l, 1, "b");
                     t.AddListItem(l, 0, "c");
                 },
                 {"<OL>", "<LI value=1>a</LI>", "<OL>", "<LI value=1>b</LI>", "</OL>", "<LI value=2>c</LI>", "</OL>"}},
        BodyCase{"ListTypesAndListChange",
                 [](HtmlTest& t) {
                     const int roman = t.AddList(rdlstUpperRoman, 2);
                     t.style.ListStyles.Items(roman).Levels.Items(1).ListType = rdlstLowerAlpha;
                     const int bullets = t.AddList(rdlstBullet, 1);
                     t.AddListItem(roman, 1, "a");
                     t.AddListItem(bullets, 0, "b");
                 },
                 {"<OL type=I><OL type=a>", "<LI value=1>a</LI>", "</OL></OL>", "<UL>", "<LI>b</LI>", "</UL>"}},
        BodyCase{"MarkerWithoutAListIsAParagraph",
                 [](HtmlTest& t) {
                     t.data.AddItem({}, std::make_unique<TRDMarkerItemInfo>(-1, 0, 1, false));
                     t.data.AddText("m", 0, -1);
                     // A list number outside the style sheet counts as no list.
                     auto stray = std::make_unique<TRDMarkerItemInfo>(99, 0, 1, false);
                     stray->ParaNo = 1;
                     t.data.AddItem({}, std::move(stray));
                     t.data.AddText("n", 0, -1);
                 },
                 {"<DIV>m</DIV>", "<DIV align=center>n</DIV>"}},
        BodyCase{"LineBreakInsideTheParagraph",
                 [](HtmlTest& t) {
                     t.data.AddText("a", 0, 1);
                     TRDTextItemInfo item(0, 1);
                     item.SetFlag(rdifLineBreak);
                     t.data.AddItem("b", item);
                 },
                 {"<DIV align=center>a<BR>", "b</DIV>"}},
        BodyCase{"Escaping",
                 [](HtmlTest& t) {
                     for (const char* s : {"a  b", "    ", "<&>", "", "x y", "\xE9\x01"}) t.data.AddText(s, 0, 0);
                 },
                 {"<DIV>a&nbsp; b</DIV>", "<DIV>&nbsp;&nbsp;&nbsp; </DIV>", "<DIV>&lt;&amp;&gt;</DIV>",
                  "<DIV>&nbsp;</DIV>", "<DIV>x y</DIV>", "<DIV>\xE9\x01</DIV>"}},
        BodyCase{"HtmlCodeIsWrittenAsStored",
                 [](HtmlTest& t) {
                     TFontInfo& code = t.style.TextStyles.Add();
                     code.Options.Include(rdteoHTMLCode);
                     t.data.AddText("<b>  &", 6, 0);
                 },
                 {"<DIV><b>  &</DIV>"}},
        BodyCase{"RelativeTags",
                 [](HtmlTest& t) {
                     TRDStyle& s = t.style;
                     s.TextStyles.Items(0).Style = {fsBold, fsUnderline};
                     TFontInfo& x = s.TextStyles.Add();  // 6
                     x.Size = 18;
                     x.FontName = "ARIAL";
                     x.Style = {fsItalic, fsStrikeOut, fsUnderline};
                     x.VShift = 45;
                     TFontInfo& y = s.TextStyles.Add();  // 7
                     y.FontName = "Courier New";
                     y.Color = clGreen;
                     y.VShift = -25;
                     y.Style = {fsBold, fsUnderline};
                     t.data.AddText("x", 6, 0);
                     t.data.AddText("y", 7, 0);
                     t.data.AddText("z", 9, 0);  // no such style
                 },
                 {"<DIV><FONT size=5></B><I><S><SUP>x</SUP></S></I><B></FONT></DIV>",
                  "<DIV><FONT color=#008000 face=\"Courier New\"><SUB>y</SUB></FONT></DIV>",
                  "<DIV><FONT color=#FFFFFF>z</FONT></DIV>"}},
        BodyCase{"TableOfTwoCells",
                 [](HtmlTest& t) {
                     auto table = std::make_unique<TRDTableItemInfo>(1, 2, &t.data);
                     table->Cell(0, 0)->Clear();
                     table->Cell(0, 0)->AddText("a", 0, 0);
                     t.data.AddItem({}, std::move(table));
                 },
                 {"<DIV><TABLE bgcolor=#FFFFFF border=0 cellpadding=1 cellspacing=2>", "<TR valign=top>",
                  std::string("<TD>") + kFontLine, "<DIV>a</DIV>", "</FONT>", "</TD>", "<TD>&nbsp;", "</TD>", "</TR>",
                  "</TABLE>", "</DIV>"}},
        BodyCase{"TableAttributes",
                 [](HtmlTest& t) {
                     auto table = std::make_unique<TRDTableItemInfo>(2, 2, &t.data);
                     TRDTableItemInfo& x = *table;
                     x.BestWidth = -80;
                     x.Color = clNone;
                     x.BorderWidth = 1;
                     x.CellPadding = 3;
                     x.BorderStyle = rdtbRaisedColor;
                     x.BorderLightColor = clNone;
                     x.BorderColor = clRed;
                     x.CellVSpacing = 2;
                     x.CellHSpacing = -5;
                     x.Row(0).VAlign = rdcVDefault;
                     x.Row(1).VAlign = rdcBottom;
                     x.MergeCellRange(0, 0, 1, 2, false);
                     TRDTableCellData& a = *x.Cell(0, 0);
                     a.BestWidth = 200;
                     a.BestHeight = 30;
                     a.Color = clGreen;
                     a.VAlign = rdcMiddle;
                     x.Cell(1, 1)->BestWidth = -25;
                     x.Cell(1, 1)->Clear();  // no item at all: empty
                     t.data.AddText("p", 0, 0);
                     table->ParaNo = 1;
                     t.data.AddItem({}, std::move(table));
                     t.data.AddText("q", 0, 0);
                 },
                 {"<DIV>p</DIV>",
                  "<DIV align=center><TABLE width=80% border=1 cellpadding=3 bordercolordark=#FF0000 cellspacing=-1>",
                  "<TR>", "<TD colspan=2 width=200 height=30 bgcolor=#008000 valign=middle>&nbsp;", "</TD>", "</TR>",
                  "<TR valign=bottom>", "<TD>&nbsp;", "</TD>", "<TD width=25%>&nbsp;", "</TD>", "</TR>", "</TABLE>",
                  "</DIV>", "<DIV>q</DIV>"}},
        BodyCase{"TableInsideACell",
                 [](HtmlTest& t) {
                     auto outer = std::make_unique<TRDTableItemInfo>(1, 1, &t.data);
                     TRDTableCellData& cell = *outer->Cell(0, 0);
                     cell.Clear();
                     cell.AddItem({}, std::make_unique<TRDTableItemInfo>(1, 1, &cell));
                     auto& inner = static_cast<TRDTableItemInfo&>(cell.GetItem(0));
                     inner.Cell(0, 0)->AddText("x", 3, -1);
                     t.data.AddItem({}, std::move(outer));
                 },
                 {"<DIV><TABLE bgcolor=#FFFFFF border=0 cellpadding=1 cellspacing=2>", "<TR valign=top>",
                  std::string("<TD>") + kFontLine, "<DIV><TABLE bgcolor=#FFFFFF border=0 cellpadding=1 cellspacing=2>",
                  "<TR valign=top>", std::string("<TD>") + kFontLine,
                  "<DIV>&nbsp;<FONT color=#800000><I>x</I></FONT></DIV>", "</FONT>", "</TD>", "</TR>", "</TABLE>",
                  "</DIV>", "</FONT>", "</TD>", "</TR>", "</TABLE>", "</DIV>"}},
        BodyCase{"Utf16TextAsCharacterReferences",
                 [](HtmlTest& t) {
                     t.style.TextStyles.Items(0).Unicode = true;
                     // "a", two spaces, "<", U+00E9, U+1D11E (a surrogate pair)
                     t.data.AddText(std::string("a\0 \0 \0<\0\xE9\0\x34\xD8\x1E\xDD", 14), 0, 0);
                 },
                 {"<DIV>a&nbsp; &lt;&#233;&#119070;</DIV>"}},
        BodyCase{"CellColourLikeTheTableIsLeftOut",
                 [](HtmlTest& t) {
                     auto table = std::make_unique<TRDTableItemInfo>(1, 1, &t.data);
                     table->BorderStyle = rdtbColor;
                     table->BorderColor = clBlue;
                     table->Color = clWhite;
                     table->Cell(0, 0)->Color = clWindow;  // the same text, #FFFFFF
                     t.data.AddItem({}, std::move(table));
                 },
                 {"<DIV><TABLE bgcolor=#FFFFFF border=0 cellpadding=1 bordercolor=#0000FF cellspacing=2>",
                  "<TR valign=top>", "<TD>&nbsp;", "</TD>", "</TR>", "</TABLE>", "</DIV>"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HtmlColorTest, Values) {
    EXPECT_EQ(HtmlColor(0x0080FF), "#FF8000");
    EXPECT_EQ(HtmlColor(clNone), "");
    EXPECT_EQ(HtmlColor(clWindowText), "#000000");
    EXPECT_EQ(HtmlColor(clWindow), "#FFFFFF");
    EXPECT_EQ(HtmlColor(clBtnHighlight), "#FFFFFF");
    EXPECT_EQ(HtmlColor(clBlue), "#0000FF");
    EXPECT_EQ(HtmlColor(0x123456), "#563412");
}

TEST(HtmlSizeTest, PointsToHtmlSizes) {
    const std::pair<int, int> cases[] = {{-3, 1}, {8, 1},  {9, 2},  {10, 2}, {11, 3}, {12, 3}, {13, 4}, {14, 4},
                                         {15, 5}, {18, 5}, {19, 6}, {24, 6}, {25, 7}, {26, 7}, {400, 7}};
    for (auto [points, size] : cases) EXPECT_EQ(HtmlSize(points), size) << points;
}

// Escaping written out one byte at a time: "&", "<" and ">" as entities,
// a run of n > 1 spaces as n - 1 "&nbsp;" and a space, nothing as "&nbsp;".
std::string EscapedByteByByte(const std::string& text) {
    if (text.empty()) return "&nbsp;";
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ') {
            size_t run = 0;
            while (i < text.size() && text[i] == ' ') ++run, ++i;
            for (size_t k = 1; k < run; ++k) out += "&nbsp;";
            out += ' ';
            continue;
        }
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
        ++i;
    }
    return out;
}

// Texts of every length around the eight- and sixteen-byte steps of the
// escaping, with the special bytes at every position, densely or sparsely.
TEST(HtmlEscapeTest, AgreesWithByteByByteEscaping) {
    const char parts[] = {' ', ' ', 'a', 'b', '&', '<', '>', '\xA0', '\x01', '\x00', '\x80'};
    std::mt19937 random(17);
    for (int round = 0; round < 40000; ++round) {
        std::string text;
        const size_t length = random() % 80;
        const unsigned spread = 2 + random() % 40;  // one special byte in about this many
        for (size_t k = 0; k < length; ++k) text += random() % spread ? 'x' : parts[random() % sizeof parts];
        std::string out = "prefix";
        AppendHtmlEscaped(out, text);
        ASSERT_EQ(out, "prefix" + EscapedByteByByte(text)) << text;
    }
}

TEST(HtmlEscapeTest, LongSpaceRunsInOnePass) {
    std::string out;
    AppendHtmlEscaped(out, std::string(100000, ' '));
    std::string expected;
    for (int i = 1; i < 100000; ++i) expected += "&nbsp;";
    expected += ' ';
    EXPECT_EQ(out, expected);
}

TEST_F(HtmlTest, NoStyleSheetWritesNothing) {
    doc.SetStyle(nullptr);
    std::string out;
    StringSink sink(out);
    EXPECT_FALSE(doc.SaveHtml(sink, "", "t", "", {}));
    EXPECT_FALSE(WriteHtmlBody(sink, data));
    EXPECT_EQ(out, "");
}

TEST_F(HtmlTest, FailedWriteEndsThePageAndKeepsWhatWasWritten) {
    data.AddText("One", 0, 0);
    const std::string full = Page("T");
    for (int limit = 0; limit < 12; ++limit) {
        FailingSink sink(limit);
        const bool ok = doc.SaveHtml(sink, "", "T", "", {});
        SCOPED_TRACE(limit);
        EXPECT_EQ(full.substr(0, sink.written.size()), sink.written);
        EXPECT_EQ(ok, sink.written == full);
    }
    FailingSink none(0);
    EXPECT_FALSE(doc.SaveHtml(none, "", "T", "", {}));
    EXPECT_EQ(none.written, "");
}

TEST_F(HtmlTest, AbsoluteTagsOfStyleZero) {
    TFontInfo& base = StyleZeroWithEverything("Times");
    EXPECT_EQ(WholeBody(),
              Lines({"<FONT size=7 color=#008000 face=\"Times\"><B><I><U><S><SUP>", "</SUP></S></U></I></B></FONT>"}));
    base.VShift = -2;
    base.Style = {};
    EXPECT_EQ(WholeBody(), Lines({"<FONT size=7 color=#008000 face=\"Times\"><SUB>", "</SUB></FONT>"}));
}

// A tag is gathered in a small buffer; font names of every length around its
// size still come out whole and in place.
TEST_F(HtmlTest, LongFontNamesComeOutWhole) {
    for (size_t length : {1, 20, 29, 30, 31, 40, 63, 64, 65, 200}) {
        const std::string face(length, 'F');
        StyleZeroWithEverything(face);
        EXPECT_EQ(WholeBody(), Lines({"<FONT size=7 color=#008000 face=\"" + face + "\"><B><I><U><S><SUP>",
                                      "</SUP></S></U></I></B></FONT>"}))
            << length;
    }
}

TEST_F(HtmlTest, MarkerLevelsBeyondTheListUseItsLastLevel) {
    const int l = AddList(rdlstDecimal, 1);
    AddListItem(l, 1000000, "deep");
    EXPECT_EQ(Body(), Lines({"<OL>", "<LI value=1>deep</LI>", "</OL>"}));
}

}  // namespace
}  // namespace tovra
