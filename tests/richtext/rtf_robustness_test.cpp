// Hostile and damaged input: deep nesting, huge counts and parameters, long
// words, truncation at every byte. Each must end with a status and without
// unbounded time or memory.
#include "richtext/rtf_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "support/rtf_recorder.h"

namespace tovra {
namespace {

struct Counts {
    size_t runs = 0;
    size_t bytes = 0;
    int openTables = 0;
    int maxTables = 0;
};

uint8_t Read(const std::string& input, Counts& counts, bool unicode = false) {
    TRDRTFReader reader;
    reader.OnNewText = [&](TRDRTFReader&, std::string_view text, TRDRTFPosition) {
        ++counts.runs;
        counts.bytes += text.size();
    };
    if (unicode) {
        reader.OnNewUnicodeText = [&](TRDRTFReader&, std::u16string_view text, TRDRTFPosition) {
            ++counts.runs;
            counts.bytes += text.size();
        };
    }
    reader.OnTable = [&](TRDRTFReader&, TRDRTFTableEventKind kind) {
        if (kind == rdf_tbl_TableStart) counts.maxTables = std::max(counts.maxTables, ++counts.openTables);
        if (kind == rdf_tbl_TableEnd) --counts.openTables;
        EXPECT_GE(counts.openTables, 0);
    };
    return reader.ReadStream(input);
}

TEST(RtfRobustnessTest, DeepNestingIsLimitedByTheStateStackNotTheCallStack) {
    const int depth = TRDRTFReader::kMaxGroupDepth;
    Counts counts;
    std::string input = std::string(depth, '{') + "\\b x" + std::string(depth, '}');
    EXPECT_EQ(Read(input, counts), rtf_st_Ok);
    EXPECT_EQ(counts.bytes, 1u);

    Counts deeper;
    EXPECT_EQ(Read(std::string(depth + 1, '{') + "x", deeper), rtf_st_NoState);
}

TEST(RtfRobustnessTest, HugeBinaryCountsEndWithTheInput) {
    Counts counts;
    EXPECT_EQ(Read("{\\rtf1 \\bin2147483647 abc}", counts), rtf_st_UnclosedGroup);
    Counts negative;
    EXPECT_EQ(Read("{\\rtf1 \\bin-5 }x}", negative), rtf_st_Ok);  // takes one byte, at least
    EXPECT_EQ(negative.bytes, 2u);
}

TEST(RtfRobustnessTest, LongKeywordsAndNumbers) {
    Counts word;
    EXPECT_EQ(Read("{\\rtf1 \\" + std::string(1 << 20, 'a') + " x}", word), rtf_st_Ok);
    EXPECT_EQ(word.bytes, 1u);
    Counts zeros;
    EXPECT_EQ(Read("{\\rtf1 \\fs" + std::string(1 << 20, '0') + " x}", zeros), rtf_st_Ok);
    Counts big;
    EXPECT_EQ(Read("{\\rtf1 \\fs1" + std::string(1 << 20, '0') + " x}", big), rtf_st_Exception);
}

TEST(RtfRobustnessTest, HugeUnicodeSkipEndsAtTheNextBrace) {
    Counts counts;
    EXPECT_EQ(Read("{\\rtf1\\uc2147483647 \\u65 " + std::string(100000, 'z') + "{}y}", counts, true), rtf_st_Ok);
    EXPECT_EQ(counts.bytes, 2u);  // the A and the y
}

TEST(RtfRobustnessTest, TableNestingIsLimited) {
    Counts counts;
    EXPECT_EQ(Read("{\\rtf1\\intbl\\itap2000000000 a\\itap-7 b}", counts), rtf_st_Ok);
    EXPECT_EQ(counts.maxTables, TRDRTFReader::kMaxTableLevel);
    EXPECT_EQ(counts.openTables, 0);
}

TEST(RtfRobustnessTest, ManyFontsAndReferencesStayLinear) {
    std::string input = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 50000; ++i) input += "{\\f" + std::to_string(i) + " F;}";
    input += "}";
    for (int i = 0; i < 50000; ++i) input += "\\f" + std::to_string(49999 - i) + "\\f123456 x";
    input += "{\\stylesheet";
    for (int i = 0; i < 20000; ++i) input += "{\\s" + std::to_string(i) + "\\sbasedon" + std::to_string(i / 2) + " S;}";
    input += "}}";
    Counts counts;
    EXPECT_EQ(Read(input, counts), rtf_st_Ok);
    EXPECT_EQ(counts.bytes, 50000u);
}

TEST(RtfRobustnessTest, LongRunsAndManyFlushes) {
    Counts one;
    EXPECT_EQ(Read("{\\rtf1 " + std::string(8 << 20, 'x') + "}", one), rtf_st_Ok);
    EXPECT_EQ(one.runs, 1u);
    EXPECT_EQ(one.bytes, 8u << 20);
    std::string flips = "{\\rtf1 ";
    for (int i = 0; i < 200000; ++i) flips += "\\b a\\b0 b";
    Counts many;
    EXPECT_EQ(Read(flips + "}", many), rtf_st_Ok);
    EXPECT_EQ(many.bytes, 400000u);
}

TEST(RtfRobustnessTest, EveryTruncationEndsWithAStatus) {
    const std::string doc =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1 Symbol;}}"
        "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s1\\sbasedon0 H;}}"
        "{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1{\\lfolevel\\listoverridestartat}\\ls1}}"
        "\\pard\\ls1\\b\\cf1 a\\'e9\\u8220?\\par{\\*\\pn\\pnlvlbody{\\pntxta .}}"
        "{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt x}}"
        "\\trowd\\cellx100\\clcbpat1\\clshdng100\\cellx200\\intbl c\\cell d\\cell\\row"
        "{\\pict\\wmetafile8 0aff\\bin2 {}}\\page{\\header h}\\v hidden\\v0 end}";
    Counts full;
    ASSERT_EQ(Read(doc, full), rtf_st_Ok);
    for (size_t n = 0; n < doc.size(); ++n) {
        Counts counts;
        uint8_t status = Read(doc.substr(0, n), counts, n % 2 == 1);
        EXPECT_TRUE(status == rtf_st_Ok || status == rtf_st_UnclosedGroup || status == rtf_st_Exception ||
                    status == rtf_st_EndAfterBackslash)
            << n << " gave " << int(status);
        // A failure ends reading at once; only a finished read closes tables.
        if (status == rtf_st_Ok || status == rtf_st_UnclosedGroup) {
            EXPECT_EQ(counts.openTables, 0) << n;
        }
    }
}

TEST(RtfRobustnessTest, RandomTokenSoupEndsWithAStatus) {
    static const char* const kTokens[] = {"{", "}", "\\", "\\b", "\\par", "\\'", "\\'4", "\\bin", "\\bin3 ", "\\u",
                                          "\\u-1", "\\uc9", "\\*", "\\fonttbl", "\\f", "\\colortbl", ";",
                                          "\\stylesheet", "\\s", "\\listtable", "\\list", "\\listlevel",
                                          "\\leveltext", "\\listoverridetable", "\\listoverride", "\\lfolevel",
                                          "\\pn", "\\pntxta", "\\pnseclvl", "\\pnlvl", "\\field", "\\fldinst",
                                          "\\fldrslt", "SYMBOL 65 \\\\f \"A\" \\\\s 9", "\\trowd", "\\cellx",
                                          "\\cell", "\\row", "\\intbl", "\\itap", "\\nestcell", "\\v", "\\pict",
                                          "\\header", "\\page", "x", " ", "7", "-", "\n", "\\\n"};
    std::mt19937 rng(12345);
    for (int round = 0; round < 2000; ++round) {
        std::string input;
        int n = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < n; ++i) input += kTokens[rng() % std::size(kTokens)];
        Counts counts;
        uint8_t status = Read(input, counts, round % 2 == 0);
        EXPECT_LE(status, rtf_st_HandlerException) << input;
        if (status == rtf_st_Ok || status == rtf_st_UnclosedGroup) {
            EXPECT_EQ(counts.openTables, 0) << input;
        }
    }
}

TEST(RtfRobustnessTest, GroupsInsideBigRowsAndMarkersStayLinear) {
    // Every open group keeps a copy of the formatting: rows with many cells
    // and long numbering texts must not make each group cost their size.
    std::string input = "{\\rtf1\\trowd";
    for (int i = 0; i < 100000; ++i) input += "\\cellx" + std::to_string(i + 1);
    input += "{\\pn{\\pntxta " + std::string(100000, '.') + "}}";
    for (int i = 0; i < 100000; ++i) input += "{}{\\trhdr}";
    input += "\\row}";
    TRDRTFReader reader;
    size_t cells = 0;
    size_t markerText = 0;
    reader.OnTable = [&](TRDRTFReader& r, TRDRTFTableEventKind kind) {
        if (kind == rdf_tbl_RowEnd) cells = r.State().RowProps->Cells.size();
        if (r.State().ParaProps.Marker) markerText = r.State().ParaProps.Marker->TextAfter.size();
    };
    EXPECT_EQ(reader.ReadStream(input), rtf_st_Ok);
    EXPECT_EQ(cells, TRDRTFReader::kMaxRowCells);
    EXPECT_EQ(markerText, TRDRTFReader::kMaxMarkerText);
}

TEST(RtfRobustnessTest, RowsSharedWithSavedStatesAreCopiedBeforeAChange) {
    TRDRTFReader reader;
    std::vector<std::string> rows;
    reader.OnTable = [&](TRDRTFReader& r, TRDRTFTableEventKind kind) {
        if (kind != rdf_tbl_RowEnd) return;
        std::string row;
        for (const auto& cell : r.State().RowProps->Cells) row += std::to_string(cell.RightBoundary) + " ";
        rows.push_back(row + (r.State().RowProps->Heading ? "h" : "-"));
    };
    ASSERT_EQ(reader.ReadStream("{\\rtf1\\trowd\\cellx10{\\cellx20\\trhdr\\row}\\cellx30\\row}"), rtf_st_Ok);
    // The group's cell is gone after it closes, its heading flag stays.
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "10 20 h");
    EXPECT_EQ(rows[1], "10 30 h");
}

}  // namespace
}  // namespace tovra
