#include <gtest/gtest.h>

#include <string>

#include "richtext/rich_doc.h"
#include "richtext/table.h"
#include "richtext/text_writer.h"
#include "support/failing_sink.h"

namespace tovra {
namespace {

using test_support::FailingSink;

class TextTest : public ::testing::Test {
public:
    TRichDoc doc;
    TRichDocRDData& data = doc.RDData();
    TRDStyle& style = *doc.Style();

    std::string Text() {
        std::string out = "stale";  // a reused buffer
        out.clear();
        StringSink sink(out);
        EXPECT_TRUE(doc.SaveText("", sink, 2, false, true));
        return out;
    }
    void AddTable(const char* a, const char* b) {
        auto t = std::make_unique<TRDTableItemInfo>(1, 2, &data);
        t->Cell(0, 0)->Clear();
        t->Cell(0, 0)->AddText(a, 0, 0);
        t->Cell(0, 1)->Clear();
        t->Cell(0, 1)->AddText(b, 0, 0);
        data.AddItem({}, std::move(t));
    }
};

struct TextCase {
    const char* name;
    void (*build)(TextTest&);
    const char* expected;
};

class TextCaseTest : public TextTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextCaseTest, Output) {
    GetParam().build(*this);
    std::string problem;
    EXPECT_TRUE(data.CheckInvariants(&problem)) << problem;
    EXPECT_EQ(Text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, TextCaseTest,
    ::testing::Values(
        TextCase{"Empty", [](TextTest&) {}, ""},
        TextCase{"TwoParagraphs",
                 [](TextTest& t) {
                     t.data.AddText("a", 0, 0);
                     t.data.AddText("b", 0, 0);
                 },
                 "a\r\nb"},
        TextCase{"JoinedAndLineBreak",
                 [](TextTest& t) {
                     t.data.AddText("a", 0, 0);
                     t.data.AddText("b", 2, -1);
                     TRDTextItemInfo c(0, 0);
                     c.SetFlag(rdifLineBreak);
                     t.data.AddItem("c", c);
                 },
                 "ab\r\nc"},
        TextCase{"ListParagraph",
                 [](TextTest& t) {
                     t.style.ListStyles.Add().Levels.Add();
                     t.data.AddText("a", 0, 0);
                     t.data.AddItem({}, std::make_unique<TRDMarkerItemInfo>(0, 0, 1, false));
                     t.data.RegisterMarker(1);
                     t.data.AddText("x", 0, -1);
                     t.data.AddText("b", 0, 0);
                 },
                 "a\r\nx\r\nb"},
        TextCase{"LoneMarker",
                 [](TextTest& t) { t.data.AddItem({}, std::make_unique<TRDMarkerItemInfo>(-1, 0, 1, false)); }, ""},
        TextCase{"TableBetweenParagraphs",
                 [](TextTest& t) {
                     t.data.AddText("a", 0, 0);
                     t.AddTable("b", "c");
                     t.data.AddText("d", 0, 0);
                 },
                 "a\r\nb\r\nc\r\n\r\nd"},
        TextCase{"TableAlone", [](TextTest& t) { t.AddTable("b", "c"); }, "b\r\nc\r\n"},
        TextCase{"CellWithTwoParagraphsAndSeparators",
                 [](TextTest& t) {
                     auto table = std::make_unique<TRDTableItemInfo>(2, 2, &t.data);
                     table->TextColSeparator = "|";
                     table->TextRowSeparator = "#";
                     TRDTableCellData& c = *table->Cell(0, 0);
                     c.Clear();
                     c.AddText("p", 0, 0);
                     c.AddText("q", 0, 0);
                     table->MergeCellRange(0, 1, 2, 1, false);  // (1, 1) becomes empty
                     t.data.AddItem({}, std::move(table));
                 },
                 "p\r\nq|#|#"},
        TextCase{"TableInsideACell",
                 [](TextTest& t) {
                     auto outer = std::make_unique<TRDTableItemInfo>(1, 2, &t.data);
                     TRDTableCellData& cell = *outer->Cell(0, 0);
                     cell.Clear();
                     cell.AddItem({}, std::make_unique<TRDTableItemInfo>(1, 2, &cell));
                     auto& inner = static_cast<TRDTableItemInfo&>(cell.GetItem(0));
                     inner.Cell(0, 1)->AddText("y", 0, -1);
                     outer->Cell(0, 1)->AddText("z", 0, -1);
                     t.data.AddItem({}, std::move(outer));
                 },
                 "\r\ny\r\n\r\nz\r\n"},
        TextCase{"TabAsSpaces", [](TextTest& t) { t.data.AddText("a\tb", 0, 0); }, "a        b"},
        TextCase{"BytesUnchanged", [](TextTest& t) { t.data.AddText("<\xE9&\x01>", 0, 0); }, "<\xE9&\x01>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextTest, FailedWriteStopsAndKeepsWhatWasWritten) {
    data.AddText("a", 0, 0);
    data.AddText("b", 0, 0);
    for (int limit = 0; limit < 3; ++limit) {
        FailingSink sink(limit);
        EXPECT_FALSE(doc.SaveText("", sink, 2, false, true));
        EXPECT_EQ(sink.written, std::string("a\r\nb").substr(0, limit == 0 ? 0 : limit == 1 ? 1 : 3));
    }
    FailingSink enough(3);
    EXPECT_TRUE(doc.SaveText("", enough, 2, false, true));
    EXPECT_EQ(enough.written, "a\r\nb");
}

}  // namespace
}  // namespace tovra
