#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/error.h"
#include "richtext/rich_doc.h"
#include "richtext/table.h"

namespace tovra {
namespace {

TEST(StyleSheetTest, DefaultTextStyles) {
    TRDStyle style;
    style.JumpCursor = 77;
    style.ResetTextStyles();
    ASSERT_EQ(style.TextStyles.Count(), 6);
    struct Row {
        const char* name;
        TFontStyles fontStyle;
        TColor color;
        bool jump;
    };
    const Row rows[] = {
        {"Normal text", {}, clWindowText, false},        {"Heading", {fsBold}, clBlue, false},
        {"Subheading", {fsBold}, clNavy, false},         {"Keywords", {fsItalic}, clMaroon, false},
        {"Jump 1", {fsUnderline}, clGreen, true},        {"Jump 2", {fsUnderline}, clGreen, true},
    };
    for (int i = 0; i < 6; ++i) {
        const TFontInfo& s = style.TextStyles.Items(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(s.StyleName, rows[i].name);
        EXPECT_EQ(s.Style, rows[i].fontStyle);
        EXPECT_EQ(s.Color, rows[i].color);
        EXPECT_EQ(s.Jump, rows[i].jump);
        EXPECT_EQ(s.JumpCursor, rows[i].jump ? 77 : 101);
        EXPECT_EQ(s.FontName, "Arial");
        EXPECT_EQ(s.Size, 10);
        EXPECT_EQ(s.BackColor, clNone);
        EXPECT_EQ(s.Charset, 1);
    }
}

TEST(StyleSheetTest, ResetDiscardsAddedStylesAndReusedEntriesStartFresh) {
    TRDStyle style;
    TFontInfo& added = style.TextStyles.Add();
    EXPECT_EQ(added.StyleName, "Font Style");
    added.Size = 30;
    added.FontName = "Courier New";
    style.TextStyles.Items(0).Size = 12;
    style.ResetTextStyles();
    EXPECT_EQ(style.TextStyles.Count(), 6);
    EXPECT_EQ(style.TextStyles.Items(0).Size, 10);
    // The kept seventh entry is handed out again with its initial values.
    TFontInfo& again = style.TextStyles.Add();
    EXPECT_EQ(again.Size, 10);
    EXPECT_EQ(again.FontName, "Arial");
    EXPECT_TRUE(again.Standard);

    style.ParaStyles.Add().LeftIndent = 40;
    style.ResetParaStyles();
    ASSERT_EQ(style.ParaStyles.Count(), 2);
    EXPECT_EQ(style.ParaStyles.Items(0).StyleName, "Paragraph Style");
    EXPECT_EQ(style.ParaStyles.Items(0).Alignment, rdaLeft);
    EXPECT_EQ(style.ParaStyles.Items(1).StyleName, "Centered");
    EXPECT_EQ(style.ParaStyles.Items(1).Alignment, rdaCenter);
}

TEST(StyleSheetTest, InvalidItemIsACopyOfEntryZeroMarkedRed) {
    TRDStyle style;
    style.TextStyles.Items(0).FontName = "Tahoma";
    const TFontInfo& invalid = style.TextStyles.Items(6);
    EXPECT_EQ(&invalid, &style.TextStyles.Items(-1));
    EXPECT_EQ(invalid.FontName, "Tahoma");
    EXPECT_EQ(invalid.Size, 10);
    EXPECT_EQ(invalid.Color, clWhite);
    EXPECT_EQ(invalid.BackColor, clRed);
    EXPECT_EQ(style.TextStyles.Count(), 6);
    // It survives a reset and is not made again.
    style.ResetTextStyles();
    EXPECT_EQ(&style.TextStyles.Items(100), &invalid);
    EXPECT_EQ(invalid.FontName, "Tahoma");

    const TParaInfo& p = style.ParaStyles.Items(2);
    EXPECT_EQ(p.SpaceBefore, 1);
    EXPECT_EQ(p.SpaceAfter, 1);
    EXPECT_EQ(p.LeftIndent, 1);
    EXPECT_EQ(p.RightIndent, 1);
    EXPECT_EQ(p.FirstIndent, 0);
    EXPECT_EQ(p.Border.Color, clRed);
    EXPECT_EQ(p.Border.Style, rdbSingle);
    EXPECT_EQ(p.Border.Width, 2);
    EXPECT_EQ(p.Border.BorderOffsets, (TRDRect{1, 1, 1, 1}));
}

TEST(StyleSheetTest, ListCollectionsRaiseListErrorOutOfRange) {
    TRDStyle style;
    EXPECT_THROW(style.ListStyles.Items(0), EListError);
    TRDListInfo& list = style.ListStyles.Add();
    EXPECT_EQ(list.StyleName, "List Style");
    TRDListLevel& level = list.Levels.Add();
    EXPECT_EQ(level.FormatString, "\xB7");
    EXPECT_EQ(level.FirstIndent, 10);
    EXPECT_TRUE(level.Options.Has(rdloContinuous));
    EXPECT_TRUE(level.Options.Has(rdloLevelReset));
    EXPECT_FALSE(level.Options.Has(rdloLegalStyleNumbering));
    EXPECT_EQ(level.Font.Name, "Arial");
    EXPECT_EQ(level.Font.Size, 8);
    try {
        list.Levels.Items(1);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (1)");
    }
    // Resetting text and paragraph styles leaves list styles alone.
    style.ResetTextStyles();
    style.ResetParaStyles();
    EXPECT_EQ(style.ListStyles.Count(), 1);
}

TEST(StyleSheetTest, CopyingAParagraphStyleCopiesBorderBackgroundAndName) {
    TParaInfo a;
    a.StyleName = "Mine";
    a.BaseStyleNo = 3;
    a.Standard = false;
    a.Border.Style = rdbDouble;
    a.Border.VisibleBorders.Left = false;
    a.Background.Color = clGreen;
    TParaInfo b;
    b = a;
    EXPECT_EQ(b.StyleName, "Mine");
    EXPECT_EQ(b.BaseStyleNo, 3);
    EXPECT_FALSE(b.Standard);
    EXPECT_EQ(b.Border.Style, rdbDouble);
    EXPECT_FALSE(b.Border.VisibleBorders.Left);
    EXPECT_EQ(b.Background.Color, clGreen);
    // The copy owns its own border.
    a.Border.Style = rdbNone;
    EXPECT_EQ(b.Border.Style, rdbDouble);
}

TEST(StyleSheetTest, FindSuchParaStylePrefersBaseThenFirstEqual) {
    TRDStyle style;
    TParaInfo wanted;
    wanted.StyleName = "other name";  // names are not compared
    wanted.Standard = false;
    EXPECT_EQ(style.ParaStyles.FindSuchParaStyle(0, wanted), 0);
    EXPECT_EQ(style.ParaStyles.FindSuchParaStyle(1, wanted), 0);
    style.ParaStyles.Add();  // 2: equal to 0
    EXPECT_EQ(style.ParaStyles.FindSuchParaStyle(2, wanted), 2);
    EXPECT_EQ(style.ParaStyles.FindSuchParaStyle(-1, wanted), 0);

    // Every compared property on its own makes the style different.
    using Change = void (*)(TParaInfo&);
    const Change changes[] = {
        [](TParaInfo& p) { p.Alignment = rdaJustify; },
        [](TParaInfo& p) { p.FirstIndent = 1; },
        [](TParaInfo& p) { p.LeftIndent = 1; },
        [](TParaInfo& p) { p.RightIndent = 1; },
        [](TParaInfo& p) { p.SpaceBefore = 1; },
        [](TParaInfo& p) { p.SpaceAfter = 1; },
        [](TParaInfo& p) { p.LineSpacing = 150; },
        [](TParaInfo& p) { p.LineSpacingType = rdlsSpaceBetween; },
        [](TParaInfo& p) { p.Options.Include(rdpaoDoNotWantReturns); },
        [](TParaInfo& p) { p.BiDiMode = rdbdRightToLeft; },
        [](TParaInfo& p) { p.NextParaNo = 4; },
        [](TParaInfo& p) { p.Background.Color = clRed; },
        [](TParaInfo& p) { p.Background.BorderOffsets.Bottom = 2; },
        [](TParaInfo& p) { p.Border.Style = rdbSingle; },
        [](TParaInfo& p) { p.Border.Color = clRed; },
        [](TParaInfo& p) { p.Border.Width = 3; },
        [](TParaInfo& p) { p.Border.InternalWidth = 3; },
        [](TParaInfo& p) { p.Border.BorderOffsets.Left = 2; },
        [](TParaInfo& p) { p.Border.VisibleBorders.Top = false; },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        TParaInfo p;
        changes[i](p);
        EXPECT_EQ(style.ParaStyles.FindSuchParaStyle(0, p), -1);
        TParaInfo& added = style.ParaStyles.Add();
        added = p;
        EXPECT_EQ(style.ParaStyles.FindSuchParaStyle(0, p), style.ParaStyles.Count() - 1);
        style.ResetParaStyles();
    }
}


// ---- document ----

class DocumentTest : public ::testing::Test {
protected:
    TRichDoc doc;
    TRichDocRDData& data = doc.RDData();
    TRDStyle& style = *doc.Style();

    // A list style with `levels` levels of the given type.
    int AddList(TRDListType type, int levels = 3) {
        TRDListInfo& list = style.ListStyles.Add();
        for (int i = 0; i < levels; ++i) list.Levels.Add().ListType = type;
        return style.ListStyles.Count() - 1;
    }
    // Appends and registers a list marker; returns it.
    TRDMarkerItemInfo& AddMarker(int listNo, int level, int startFrom = 1, bool reset = false) {
        data.AddItem({}, std::make_unique<TRDMarkerItemInfo>(listNo, level, startFrom, reset));
        data.RegisterMarker(data.ItemCount() - 1);
        return static_cast<TRDMarkerItemInfo&>(data.GetItem(data.ItemCount() - 1));
    }
};

TEST_F(DocumentTest, ContinuingTextInAnEmptyDocumentStartsParagraphZero) {
    data.AddText("a", 0, -1);
    ASSERT_EQ(data.ItemCount(), 1);
    EXPECT_EQ(data.GetItemPara(0), 0);
    EXPECT_TRUE(data.GetItem(0).StartsParagraph());
}

TEST_F(DocumentTest, ContinuingTextJoinsTheLastParagraph) {
    data.AddText("a", 0, 1);
    data.AddText("b", 3, -1);
    ASSERT_EQ(data.ItemCount(), 2);
    EXPECT_EQ(data.GetItemPara(1), 1);
    EXPECT_TRUE(data.GetItem(1).HasFlag(rdifJoinsPrevious));
    EXPECT_EQ(data.GetItemStyle(1), 3);
}

TEST_F(DocumentTest, TextAfterATableStartsAParagraph) {
    data.AddText("x", 0, 1);
    data.AddItem({}, std::make_unique<TRDTableItemInfo>(1, 1, &data));
    data.AddText("a", 0, -1);
    ASSERT_EQ(data.ItemCount(), 3);
    EXPECT_FALSE(data.GetItem(2).HasFlag(rdifJoinsPrevious));
    EXPECT_EQ(data.GetItemPara(2), 0);
    EXPECT_EQ(data.GetItemText(2), "a");
}

TEST_F(DocumentTest, TablesAndMarkersNeverJoin) {
    data.AddText("x", 0, 1);
    auto table = std::make_unique<TRDTableItemInfo>(1, 1, nullptr);
    table->ParaNo = -1;
    table->SetFlag(rdifLineBreak);
    TRDTableItemInfo* t = table.get();
    data.AddItem({}, std::move(table));
    EXPECT_TRUE(t->StartsParagraph());
    EXPECT_EQ(t->ParaNo, 0);
    EXPECT_EQ(t->ParentData, &data);  // the cells now use this document's sheet
    EXPECT_EQ(t->Cell(0, 0)->GetStyle(), &style);

    data.AddText("y", 0, 1);
    auto marker = std::make_unique<TRDMarkerItemInfo>(-1, 0, 1, false);
    marker->ParaNo = -1;
    data.AddItem({}, std::move(marker));
    EXPECT_TRUE(data.GetItem(3).StartsParagraph());
}

TEST_F(DocumentTest, CheckInvariantsFindsBrokenParagraphRules) {
    data.AddText("a", 0, 0);
    data.AddItem({}, std::make_unique<TRDTableItemInfo>(1, 1, &data));
    data.AddText("b", 0, -1);
    std::string problem;
    EXPECT_TRUE(data.CheckInvariants(&problem)) << problem;
    // Raw insertion skips the rules: a joined item after the table is caught,
    // and so is a broken grid inside it.
    TRDTextItemInfo joined(0, 0);
    joined.SetFlag(rdifJoinsPrevious);
    data.InsertItem(2, "x", joined);
    EXPECT_FALSE(data.CheckInvariants(&problem));
    EXPECT_EQ(problem, "item 2 joins a table");
    data.DeleteItem(2);
    static_cast<TRDTableItemInfo&>(data.GetItem(1)).Cell(0, 0)->ColSpan = 2;
    EXPECT_FALSE(data.CheckInvariants(&problem));
    EXPECT_EQ(problem, "item 1: cell (0, 0) reaches outside the grid");
}

TEST_F(DocumentTest, LineBreakFlagStaysOnTextButNotOnTables) {
    TRDTextItemInfo item(0, 0);
    item.SetFlag(rdifLineBreak);
    data.AddText("a", 0, 0);
    data.AddItem("b", item);
    EXPECT_TRUE(data.GetItem(1).HasFlag(rdifLineBreak));
    EXPECT_FALSE(data.GetItem(1).StartsParagraph());
}

TEST_F(DocumentTest, TabsBecomeSpacesInTabSpaces) {
    data.AddText("a\tb", 0, 0);
    EXPECT_EQ(data.GetItemText(0), "a        b");
    style.SpacesInTab = 2;
    data.AddText("\t\t", 0, 0);
    EXPECT_EQ(data.GetItemText(1), "    ");
    // A Unicode style's text is UTF-16LE: the tab is the code unit 9.
    const int u = style.TextStyles.Count();
    style.TextStyles.Add().Unicode = true;
    data.AddText(std::string("a\0\t\0\t\x01", 6), u, 0);
    EXPECT_TRUE(data.GetItem(2).HasFlag(rdifUnicode));
    EXPECT_EQ(data.GetItemText(2), std::string("a\0 \0 \0\t\x01", 8));
}

TEST_F(DocumentTest, TabsWithoutAStyleSheetBecomeEightSpaces) {
    TRichDocRDData bare(nullptr);
    bare.AddText("\t", 0, 0);
    EXPECT_EQ(bare.GetItemText(0), std::string(8, ' '));
}

TEST_F(DocumentTest, MarkerGetsAnEmptyTextItemBeforeANewParagraph) {
    AddList(rdlstBullet);
    AddMarker(0, 0);
    data.AddText("next", 0, 0);
    ASSERT_EQ(data.ItemCount(), 3);
    EXPECT_EQ(data.GetItemStyle(1), 0);
    EXPECT_EQ(data.GetItemText(1), "");
    EXPECT_TRUE(data.GetItem(1).HasFlag(rdifJoinsPrevious));
    EXPECT_TRUE(data.GetItem(2).StartsParagraph());
    // A marker that ends the document stays alone.
    AddMarker(0, 0);
    EXPECT_EQ(data.ItemCount(), 4);
    // Text that continues the marker's paragraph needs no filler.
    data.AddText("x", 0, -1);
    EXPECT_EQ(data.ItemCount(), 5);
}

TEST_F(DocumentTest, ItemFlagRules) {
    TRDTextItemInfo item;
    item.SetFlag(rdifPageBreak);
    item.SetFlag(rdifJoinsPrevious);
    EXPECT_EQ(item.ItemFlags(), TRDItemFlags{rdifJoinsPrevious});
    item.SetFlag(rdifLineBreak);
    EXPECT_EQ(item.ItemFlags(), TRDItemFlags{rdifLineBreak});
    item.SetFlag(rdifUnicode);
    item.SetFlag(rdifPageBreak);
    EXPECT_EQ(item.ItemFlags(), (TRDItemFlags{rdifPageBreak, rdifUnicode}));
}

TEST_F(DocumentTest, ItemAccessOutOfRangeRaisesListError) {
    EXPECT_THROW(data.GetItem(0), EListError);
    data.AddText("a", 0, 0);
    EXPECT_THROW(data.GetItemText(1), EListError);
    EXPECT_THROW(data.InsertItem(2, "x", TRDTextItemInfo()), EListError);
}

TEST_F(DocumentTest, ClearReusesSlotsAndEmptiesTheMarkerList) {
    AddList(rdlstDecimal);
    for (int round = 0; round < 3; ++round) {
        data.Clear();
        style.ResetTextStyles();
        style.ResetParaStyles();
        EXPECT_EQ(data.ItemCount(), 0);
        EXPECT_EQ(data.GetMarkers()->Count(), 0);
        data.AddText("abc", 0, 0);
        AddMarker(0, 0);
        data.AddText("d", 1, -1);
        ASSERT_EQ(data.ItemCount(), 3);
        EXPECT_EQ(data.GetItemText(0), "abc");
        EXPECT_EQ(data.GetItemText(2), "d");
        EXPECT_EQ(data.GetMarkers()->Count(), 1);
        EXPECT_EQ(static_cast<TRDMarkerItemInfo&>(data.GetItem(1)).Counter, 1);
    }
}

TEST_F(DocumentTest, InsertDeleteAndExtractKeepOrderAndMarkers) {
    data.AddText("a", 0, 0);
    data.AddText("c", 0, 0);
    data.InsertItem(1, "b", TRDTextItemInfo(2, 0));
    ASSERT_EQ(data.ItemCount(), 3);
    EXPECT_EQ(data.GetItemText(1), "b");
    EXPECT_EQ(data.GetItemStyle(1), 2);
    data.ItemText(0) += "a";
    data.DeleteItem(1);
    EXPECT_EQ(data.GetItemText(0), "aa");
    EXPECT_EQ(data.GetItemText(1), "c");
    data.AddText("d", 0, 0);
    data.AddText("e", 0, 0);
    EXPECT_THROW(data.DeleteItems(2, 3), EListError);
    EXPECT_EQ(data.ItemCount(), 4);
    data.DeleteItems(1, 2);
    ASSERT_EQ(data.ItemCount(), 2);
    EXPECT_EQ(data.GetItemText(1), "e");
    data.AddText("f", 0, 0);  // the spare slots are reused in order
    EXPECT_EQ(data.GetItemText(2), "f");
    data.DeleteItems(2, 1);

    AddList(rdlstDecimal);
    TRDMarkerItemInfo& m = AddMarker(0, 0);
    EXPECT_EQ(data.GetMarkers()->Count(), 1);
    std::string text;
    auto moved = data.ExtractItem(2, text);
    EXPECT_EQ(moved.get(), &m);
    EXPECT_EQ(data.GetMarkers()->Count(), 1);  // moved, not freed
    data.InsertItem(2, text, std::move(moved));
    data.DeleteItem(2);
    EXPECT_EQ(data.GetMarkers()->Count(), 0);  // freed markers leave the list
    // So does one that is extracted and then dropped.
    AddMarker(0, 0);
    data.ExtractItem(data.ItemCount() - 1, text).reset();
    EXPECT_EQ(data.GetMarkers()->Count(), 0);
}

// Numbering: (level, reset, startFrom) per marker, the expected counters.
struct NumberingCase {
    const char* name;
    std::vector<std::tuple<int, bool, int>> markers;
    std::vector<int> counters;
    bool levelReset = true;
    int levelStart = 1;
};

class NumberingTest : public DocumentTest, public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(NumberingTest, Counters) {
    const NumberingCase& c = GetParam();
    const int list = AddList(rdlstDecimal, 3);
    for (int i = 0; i < 3; ++i) {
        TRDListLevel& level = style.ListStyles.Items(list).Levels.Items(i);
        level.StartFrom = c.levelStart;
        if (!c.levelReset) level.Options.Exclude(rdloLevelReset);
    }
    std::vector<TRDMarkerItemInfo*> markers;
    for (const auto& [level, reset, start] : c.markers) {
        markers.push_back(&AddMarker(list, level, start, reset));
        data.AddText("x", 0, -1);
    }
    std::vector<int> counters;
    for (auto* m : markers) counters.push_back(m->Counter);
    EXPECT_EQ(counters, c.counters);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, NumberingTest,
    ::testing::Values(
        NumberingCase{"Levels00110", {{0, false, 1}, {0, false, 1}, {1, false, 1}, {1, false, 1}, {0, false, 1}},
                      {1, 2, 1, 2, 3}},
        NumberingCase{"DeeperFirstGivesStartPlusOne", {{1, false, 1}, {1, false, 1}, {0, false, 1}}, {1, 2, 2}},
        NumberingCase{"ResetAtFive", {{0, true, 5}, {0, false, 1}, {0, false, 1}}, {5, 6, 7}},
        NumberingCase{"LevelStartFrom", {{0, false, 1}, {1, false, 1}}, {3, 3}, true, 3},
        NumberingCase{"NoLevelResetContinuesAcrossParents",
                      {{1, false, 1}, {0, false, 1}, {1, false, 1}}, {1, 2, 2}, false},
        NumberingCase{"DeeperLevelBeyondTheStyleUsesTheLast", {{5, false, 1}, {2, false, 1}, {5, false, 1}}, {1, 2, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentTest, OtherListsArePassedOverAndRenumberingFollowsChanges) {
    const int a = AddList(rdlstDecimal);
    const int b = AddList(rdlstDecimal);
    TRDMarkerItemInfo& a1 = AddMarker(a, 0);
    TRDMarkerItemInfo& b1 = AddMarker(b, 0);
    TRDMarkerItemInfo& a2 = AddMarker(a, 0);
    TRDMarkerItemInfo& none = AddMarker(-1, 0);
    TRDMarkerItemInfo& a3 = AddMarker(a, 0);
    EXPECT_EQ(a1.Counter, 1);
    EXPECT_EQ(b1.Counter, 1);
    EXPECT_EQ(a2.Counter, 2);
    EXPECT_EQ(none.Counter, 1);
    EXPECT_EQ(a3.Counter, 3);
    // The builder chooses the list of a pending marker later and renumbers.
    a2.ResetCounter = true;
    a2.StartFrom = 10;
    data.RenumberMarkers(4);
    EXPECT_EQ(a2.Counter, 10);
    EXPECT_EQ(a3.Counter, 11);
    EXPECT_EQ(a1.Counter, 1);
    none.ListNo = b;
    data.RenumberMarkers(6);
    EXPECT_EQ(none.Counter, 2);
}

TEST_F(DocumentTest, MarkersInTableCellsAreListedInDocumentOrder) {
    const int list = AddList(rdlstDecimal);
    TRDMarkerItemInfo& first = AddMarker(list, 0);
    data.AddText("a", 0, -1);
    data.AddItem({}, std::make_unique<TRDTableItemInfo>(2, 2, &data));
    auto& table = static_cast<TRDTableItemInfo&>(data.GetItem(2));
    TRDMarkerItemInfo& last = AddMarker(list, 0);
    // Filled after the marker that follows the table: cells (1, 0) then (0, 1).
    TRDTableCellData& c10 = *table.Cell(1, 0);
    c10.AddItem({}, std::make_unique<TRDMarkerItemInfo>(list, 0, 1, false));
    c10.RegisterMarker(1);
    TRDTableCellData& c01 = *table.Cell(0, 1);
    c01.AddItem({}, std::make_unique<TRDMarkerItemInfo>(list, 0, 1, false));
    c01.RegisterMarker(1);
    const TRDMarkerList& markers = *data.GetMarkers();
    ASSERT_EQ(markers.Count(), 4);
    EXPECT_EQ(markers.Items(0), &first);
    EXPECT_EQ(markers.Items(1), &c01.GetItem(1));
    EXPECT_EQ(markers.Items(2), &c10.GetItem(1));
    EXPECT_EQ(markers.Items(3), &last);
    EXPECT_EQ(static_cast<TRDMarkerItemInfo&>(c01.GetItem(1)).Counter, 2);
    EXPECT_EQ(static_cast<TRDMarkerItemInfo&>(c10.GetItem(1)).Counter, 3);
    EXPECT_EQ(last.Counter, 4);  // renumbered as the earlier cells were filled

    // Freeing the table takes its markers out of the list.
    data.DeleteItem(2);
    EXPECT_EQ(markers.Count(), 2);
}

TEST_F(DocumentTest, MarkersInATableStillBeingBuiltFollowTheDocument) {
    const int list = AddList(rdlstDecimal);
    AddMarker(list, 0);
    TRDTableItemInfo building(1, 1, &data);  // not yet in the document
    TRDTableCellData& cell = *building.Cell(0, 0);
    cell.AddItem({}, std::make_unique<TRDMarkerItemInfo>(list, 0, 1, false));
    cell.RegisterMarker(1);
    EXPECT_EQ(data.GetMarkers()->Items(1), &cell.GetItem(1));
    EXPECT_EQ(static_cast<TRDMarkerItemInfo&>(cell.GetItem(1)).Counter, 2);
}

}  // namespace
}  // namespace tovra
