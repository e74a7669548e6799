// List markers: old-style paragraph numbering (pn) and the list table (ls),
// the list styles they choose or add, and their numbering.
#include <gtest/gtest.h>

#include <string>

#include "support/document_description.h"
#include "support/rtf_loading.h"

namespace tovra {
namespace {

using test_support::DescribeDoc;
using test_support::InDocument;
using test_support::LoadedDoc;

const char kBodyPn[] = "{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pnindent360\\pnstart1{\\pntxta .}}";

std::string Level(const TRDListLevel& l) {
    return "type:" + std::to_string(l.ListType) + " start:" + std::to_string(l.StartFrom) +
           " li:" + std::to_string(l.LeftIndent) + " mi:" + std::to_string(l.MarkerIndent) +
           " fi:" + std::to_string(l.FirstIndent) + " al:" + std::to_string(l.MarkerAlignment) + " fmt:" +
           l.FormatString + " font:" + l.Font.Name + " " + std::to_string(l.Font.Size) +
           (l.Options.Has(rdloLevelReset) ? " reset" : "") + (l.Options.Has(rdloLegalStyleNumbering) ? " legal" : "");
}

TEST(OldStyleNumbering, NumbersParagraphsOfOneList) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument(std::string("\\pard") + kBodyPn + "\\fi-360\\li360 one\\par {\\pntext 2.\\tab}two\\par"
                                "\\pard three\\par")),
              0);
    EXPECT_EQ(DescribeDoc(d.doc), "M0.0#1P2 ; +S6P2 one ; M0.0#2P2 ; +S6P2 two ; S6P0 three");
    ASSERT_EQ(d.style.ListStyles.Count(), 1);
    const TRDListInfo& list = d.style.ListStyles.Items(0);
    ASSERT_EQ(list.Levels.Count(), 1);
    EXPECT_EQ(Level(list.Levels.Items(0)), "type:3 start:1 li:24 mi:0 fi:0 al:0 fmt:%s. font:Arial 12 reset");
    const auto& first = static_cast<const TRDMarkerItemInfo&>(d.doc.GetItem(0));
    const auto& second = static_cast<const TRDMarkerItemInfo&>(d.doc.GetItem(2));
    EXPECT_TRUE(first.ResetCounter);
    EXPECT_EQ(first.StartFrom, 1);
    EXPECT_FALSE(second.ResetCounter);
    EXPECT_EQ(d.doc.GetMarkers()->Count(), 2);
}

TEST(OldStyleNumbering, ParagraphWithoutNumberingRestartsTheLevels) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument(std::string("\\pard") + kBodyPn + "a\\par\\pard b\\par\\pard" + kBodyPn + "c\\par")),
              0);
    EXPECT_EQ(DescribeDoc(d.doc), "M0.0#1P0 ; +S6P0 a ; S6P0 b ; M0.0#1P0 ; +S6P0 c");
    EXPECT_TRUE(static_cast<const TRDMarkerItemInfo&>(d.doc.GetItem(3)).ResetCounter);
    EXPECT_EQ(d.style.ListStyles.Count(), 1);
}

TEST(OldStyleNumbering, BulletLevelUsesTextBeforeAndItsFont) {
    LoadedDoc d;
    ASSERT_EQ(d.Load("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
                     "\\pard{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb \\'b7}}\\fi-360\\li360 item\\par}"),
              0);
    // Without pnstart the marker starts from 0.
    EXPECT_EQ(DescribeDoc(d.doc), "M0.0#0P2 ; +S6P2 item");
    ASSERT_EQ(d.style.ListStyles.Count(), 1);
    EXPECT_EQ(Level(d.style.ListStyles.Items(0).Levels.Items(0)),
              "type:0 start:1 li:24 mi:0 fi:0 al:0 fmt:\xB7 font:Symbol 12 reset");
}

TEST(OldStyleNumbering, MarkerWithoutValidFontHasNoList) {
    LoadedDoc d;
    // No font table: the marker's font index is outside it.
    ASSERT_EQ(d.Load(std::string("{\\rtf1\\pard") + kBodyPn + "a\\par}"), 0);
    EXPECT_EQ(DescribeDoc(d.doc), "M-1.-1#1P0 ; +S0P0 a");
    EXPECT_EQ(d.style.ListStyles.Count(), 0);
}

struct GeometryCase {
    const char* name;
    const char* pn;    // numbering keywords
    const char* para;  // paragraph keywords
    const char* level;
};

class MarkerGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(MarkerGeometry, PlacesMarker) {
    const GeometryCase& c = GetParam();
    LoadedDoc d;
    ASSERT_EQ(d.Load(InDocument(std::string("\\pard{\\*\\pn\\pnlvlbody") + c.pn + "{\\pntxta .}}" + c.para +
                                " a\\par")),
              0);
    ASSERT_EQ(d.style.ListStyles.Count(), 1);
    EXPECT_EQ(Level(d.style.ListStyles.Items(0).Levels.Items(0)), c.level);
}

const GeometryCase kGeometryCases[] = {
    {"IndentBehindHangingFirstLine", "\\pnindent360", "\\fi-360\\li360",
     "type:3 start:1 li:24 mi:0 fi:0 al:0 fmt:%s. font:Arial 12 reset"},
    {"HangingTakesTheLargerOfSpaceAndIndent", "\\pnhang\\pnsp720", "\\fi-360\\li720",
     "type:3 start:1 li:48 mi:24 fi:48 al:0 fmt:%s. font:Arial 12 reset"},
    {"NotHangingAddsFirstLineIndent", "\\pnsp720", "\\fi-360\\li720",
     "type:3 start:1 li:48 mi:24 fi:24 al:0 fmt:%s. font:Arial 12 reset"},
    {"RightAlignedMarkerEndsAtFirstIndent", "\\pnqr\\pnindent360", "\\li720",
     "type:3 start:1 li:48 mi:72 fi:24 al:1 fmt:%s. font:Arial 12 reset"},
    {"CentredMarkerIsHalfWay", "\\pnqc\\pnindent360", "\\li720",
     "type:3 start:1 li:48 mi:60 fi:24 al:2 fmt:%s. font:Arial 12 reset"},
    {"UpperRomanWithBoldFont", "\\pnucrm\\pnb\\pnfs20", "",
     "type:7 start:1 li:0 mi:0 fi:0 al:0 fmt:%s. font:Arial 10 reset"},
    {"LowerLetters", "\\pnlcltr", "", "type:4 start:1 li:0 mi:0 fi:0 al:0 fmt:%s. font:Arial 12 reset"},
};

INSTANTIATE_TEST_SUITE_P(Load, MarkerGeometry, ::testing::ValuesIn(kGeometryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the list table ----

const char kTwoLevelList[] =
    "{\\list\\listtemplateid1"
    "{\\listlevel\\levelnfc0\\leveljc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}"
    "\\fi-360\\li720}"
    "{\\listlevel\\levelnfc4\\leveljc0\\levelstartat1{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}"
    "\\fi-360\\li1440}";

std::string ListDocument(const std::string& lists, const std::string& overrides, const std::string& body) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}"
           "{\\*\\listtable" + lists + "}{\\*\\listoverridetable" + overrides + "}" + body + "}";
}

const std::string kOneList = std::string(kTwoLevelList) + "\\listid100}";
const std::string kOverride1 = "{\\listoverride\\listid100\\listoverridecount0\\ls1}";
const std::string kNestedBody =
    "\\pard\\ls1\\fi-360\\li720 one\\par two\\par\\pard\\ls1\\ilvl1\\fi-360\\li1440 sub\\par"
    "\\pard\\ls1\\fi-360\\li720 three\\par";
const char kNestedItems[] =
    "M0.0#1P2 ; +S6P2 one ; M0.0#2P2 ; +S6P2 two ; M0.1#1P3 ; +S6P3 sub ; M0.0#3P2 ; +S6P2 three";

TEST(ListTable, NumbersLevelsOfOneList) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(ListDocument(kOneList, kOverride1, kNestedBody)), 0);
    EXPECT_EQ(DescribeDoc(d.doc), kNestedItems);
    ASSERT_EQ(d.style.ListStyles.Count(), 1);
    const TRDListInfo& list = d.style.ListStyles.Items(0);
    ASSERT_EQ(list.Levels.Count(), 2);
    EXPECT_EQ(Level(list.Levels.Items(0)), "type:3 start:1 li:48 mi:24 fi:-48 al:0 fmt:%s. font:Arial 12 reset");
    EXPECT_EQ(Level(list.Levels.Items(1)), "type:4 start:1 li:96 mi:72 fi:-96 al:0 fmt:%1:s) font:Arial 12 reset");
    EXPECT_EQ(list.Levels.Items(0).Font.Charset, 0);
}

TEST(ListTable, ListStyleReusedByLaterEntries) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(ListDocument(kOneList, kOverride1, kNestedBody)), 0);
    ASSERT_EQ(d.Load(ListDocument(kOneList, kOverride1, kNestedBody)), 0);
    EXPECT_EQ(DescribeDoc(d.doc), kNestedItems);
    EXPECT_EQ(d.style.ListStyles.Count(), 1);
}

TEST(ListTable, EachRtfListOfALoadHasItsOwnStyle) {
    LoadedDoc d;
    const std::string lists = kOneList + kTwoLevelList + "\\listid200}";
    const std::string overrides = kOverride1 + "{\\listoverride\\listid200\\listoverridecount0\\ls2}";
    ASSERT_EQ(d.Load(ListDocument(lists, overrides, "\\pard\\ls1 a\\par\\pard\\ls2 b\\par\\pard\\ls1 c\\par")), 0);
    EXPECT_EQ(DescribeDoc(d.doc), "M0.0#1P0 ; +S6P0 a ; M1.0#1P0 ; +S6P0 b ; M0.0#2P0 ; +S6P0 c");
    EXPECT_EQ(d.style.ListStyles.Count(), 2);
}

TEST(ListTable, OverrideRestartsNumbering) {
    LoadedDoc d;
    const std::string overrides =
        kOverride1 + "{\\listoverride\\listid100\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}"
                     "\\ls2}";
    ASSERT_EQ(d.Load(ListDocument(kOneList, overrides, "\\pard\\ls1 a\\par\\pard\\ls2 b\\par\\pard\\ls1 c\\par")), 0);
    EXPECT_EQ(DescribeDoc(d.doc), "M0.0#1P0 ; +S6P0 a ; M0.0#5P0 ; +S6P0 b ; M0.0#6P0 ; +S6P0 c");
}

TEST(ListTable, OverrideOfUnknownListGivesMarkerWithoutList) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(ListDocument(kOneList, "{\\listoverride\\listid999\\listoverridecount0\\ls1}", "\\pard\\ls1 a")),
              0);
    EXPECT_EQ(DescribeDoc(d.doc), "M-1.0#1P0 ; +S6P0 a");
}

TEST(ListTable, MarkersInTablesAreNumberedInDocumentOrder) {
    LoadedDoc d;
    ASSERT_EQ(d.Load(ListDocument(kOneList, kOverride1,
                                  "\\pard\\ls1\\fi-360\\li720 one\\par"
                                  "\\trowd\\cellx2000\\pard\\intbl\\ls1\\fi-360\\li720 two\\cell\\row"
                                  "\\pard\\ls1\\fi-360\\li720 three\\par")),
              0);
    EXPECT_EQ(DescribeDoc(d.doc),
              "M0.0#1P2 ; +S6P2 one ; T[M0.0#2P2, +S6P2 two]P0 ; M0.0#3P2 ; +S6P2 three");
    EXPECT_EQ(d.doc.GetMarkers()->Count(), 3);
}

struct BulletCase {
    const char* name;
    const char* levelText;  // after the length prefix \'01
    const char* font;
    TRDListType type;
    std::string format;
    std::u16string formatW;
};

class ListBullet : public ::testing::TestWithParam<BulletCase> {};

TEST_P(ListBullet, ReadsBulletCharacter) {
    const BulletCase& c = GetParam();
    const std::string list = std::string("{\\list{\\listlevel\\levelnfc23\\leveljc0{\\leveltext\\'01") + c.levelText +
                             ";}{\\levelnumbers;}" + c.font + "\\fi-360\\li720}\\listid7}";
    LoadedDoc d;
    ASSERT_EQ(d.Load(ListDocument(list, "{\\listoverride\\listid7\\listoverridecount0\\ls1}", "\\pard\\ls1 a")), 0);
    ASSERT_EQ(d.style.ListStyles.Count(), 1);
    const TRDListLevel& level = d.style.ListStyles.Items(0).Levels.Items(0);
    EXPECT_EQ(level.ListType, c.type);
    EXPECT_EQ(level.FormatString, c.format);
    EXPECT_EQ(level.FormatStringW, c.formatW);
}

const BulletCase kBulletCases[] = {
    {"SymbolPrivateCharacterIsEightBit", "\\u-3913 ?", "\\f1", rdlstBullet, "\xB7", u""},
    {"WingdingsPrivateCharacterIsEightBit", "\\u-3929 ?", "\\f2", rdlstBullet, "\xA7", u""},
    {"UnicodeBulletInTextFont", "\\u8226 ?", "\\f0", rdlstUnicodeBullet, "\x95", u"\u2022"},
    {"SymbolFontOrdinaryCharacterStaysUnicode", "\\u8226 ?", "\\f1", rdlstUnicodeBullet, "\x95", u"\u2022"},
    {"EightBitBullet", "\\'b7", "\\f1", rdlstBullet, "\xB7", u""},
};

INSTANTIATE_TEST_SUITE_P(Load, ListBullet, ::testing::ValuesIn(kBulletCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovra
