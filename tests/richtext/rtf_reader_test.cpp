// What the reader reports for one input: runs with their positions and
// formatting, table and other events, and the status.
#include "richtext/rtf_reader.h"

#include <gtest/gtest.h>

#include "support/rtf_recorder.h"

namespace tovra {
namespace {

enum Options : unsigned {
    kBuilderEvents = 0,  // what the document builder attaches
    kPages = 1,
    kUnicode = 2,
    kHeaders = 4,
};

struct ReadCase {
    const char* name;
    std::string input;
    std::string expected;  // see rtf_recorder.h
    uint8_t status;
    unsigned options;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class RtfReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(RtfReadTest, ReportsRunsEventsAndStatus) {
    const ReadCase& c = GetParam();
    TRDRTFReader reader;
    test_support::RtfRecorder recorder;
    recorder.Attach(reader, c.options & kPages, c.options & kUnicode, c.options & kHeaders);
    uint8_t status = reader.ReadStream(c.input);
    EXPECT_EQ(recorder.log, c.expected);
    EXPECT_EQ(status, c.status);
}

const ReadCase kReadCases[] = {
    // Runs and their positions.
    {"OnlyTheFirstGroupIsRead", R"({\rtf1 abc}\par{\rtf1 def})", "P:abc", 0, 0},
    {"ParWithNothingBeforeIsAnEmptyParagraph", R"({\rtf1 a\par\par b})", "P:a P: P:b", 0, 0},
    {"FinalParReportsNothingMore", R"({\rtf1 a\par})", "P:a", 0, 0},
    {"LineStartsARunOnANewLine", R"({\rtf1 a\line b})", "P:a L:b", 0, 0},
    {"GroupsSplitRunsThatContinueTheParagraph", R"({\rtf1 a{\b b}c})", "P:a C:b/b C:c", 0, 0},
    {"ParAfterAContinuingRunStartsTheNextParagraph", R"({\rtf1 a{\b b}\par c})", "P:a C:b/b P:c", 0, 0},
    {"StarredUnknownDestinationIsSkipped", R"({\rtf1 {\*\foo x}y})", "P:y", 0, 0},
    {"UnknownGroupWithoutStarIsRead", R"({\rtf1 {\foo x}y})", "P:x C:y", 0, 0},
    {"StarredKnownDestinationIsRead", R"({\rtf1 {\*\fldrslt x}y})", "P:x C:y", 0, 0},
    {"HiddenTextFirstReportsAVisibleRun", R"({\rtf1 a\par {\v h}b})", "P:a P: C:h/h C:b", 0, 0},
    {"HiddenMidParagraphReportsAnEmptyContinuingRun", R"({\rtf1 a{\v b}c})", "P:a C: C:b/h C:c", 0, 0},
    {"HiddenSwitchedOffReportsNoEmptyRun", R"({\rtf1 \v a\v0 b})", "P: C:a/h C:b", 0, 0},
    {"PlainTextWithoutBraces", "plain text", "P:plain text", 0, 0},
    {"PlainTextWithParagraphs", R"(one\par two)", "P:one P:two", 0, 0},
    {"TabsStayInTheText", "{\\rtf1 a\\tab b\tc}", "P:a\tb\tc", 0, 0},
    {"EscapedBracesAndBackslash", R"({\rtf1 \{\}\\})", "P:{}\\", 0, 0},
    {"RawLineEndsAreIgnored", "{\\rtf1 a\r\nb}", "P:ab", 0, 0},
    {"BackslashLineFeedIsPar", "{\\rtf1 a\\\nb}", "P:a P:b", 0, 0},
    {"BackslashCarriageReturnIsPar", "{\\rtf1 a\\\r\nb}", "P:a P:b", 0, 0},
    {"OneSpaceAfterAControlWordIsItsDelimiter", R"({\rtf1 \b  x\b0 y})", "P: x/b C:y", 0, 0},
    // The no-break space and the non-breaking hyphen are characters; the
    // optional hyphen and the other symbols outside the vocabulary vanish.
    {"TextSymbolsAreCharactersOtherSymbolsAreDropped", R"({\rtf1 a\~b\-c\_d\:e})", "P:a\xA0" "bc-de", 0, 0},
    {"OtherControlWordsAreDropped", R"({\rtf1 a\sect\bullet\emspace b})", "P:ab", 0, 0},

    // Hex escapes.
    {"HexLineEndsBreakAndHexZeroFlushes", R"({\rtf1 a\'0ab\'0dc\'00d})", "P:a P:b L:c C:d", 0, 0},
    {"HexEscapeIsOneByte", R"({\rtf1 caf\'e9\'E9})", "P:caf\xE9\xE9", 0, 0},
    {"HexPairMayBeInterruptedByLineEnds", "{\\rtf1 \\'4\r\n1}", "P:A", 0, 0},

    // Unicode.
    {"UnicodeEscapeWithoutWideConsumerJoinsTheAnsiText", R"({\rtf1 \u8220?x})", "P:\x93x", 0, 0},
    {"QuotesAndDashesFallBackToAscii", R"({\rtf1 \ldblquote a\rdblquote\lquote b\rquote\endash\emdash})",
     "P:\"a\"'b'--", 0, 0},
    {"UnicodeEscapeWithWideConsumer", R"({\rtf1 a\u8220?b})", "P:a C:U{8220} C:b", 0, kUnicode},
    {"NegativeUnicodeIsTakenModulo65536", R"({\rtf1 \u-4064?})", "P:U{61472}", 0, kUnicode},
    {"UcZeroSkipsNothing", R"({\rtf1\uc0 \u8220?})", "P:U{8220} C:?", 0, kUnicode},
    {"SkipCountsHexPairsAndWholeControlWords", R"({\rtf1\uc2 \u8220\'93\b x})", "P:U{8220} C:x", 0, kUnicode},
    {"BracesEndTheSkip", R"({\rtf1\uc3 \u8220{}ab})", "P:U{8220} C:ab", 0, kUnicode},
    {"WideQuotesWithWideConsumer", R"({\rtf1 \ldblquote x})", "P:U{8220} C:x", 0, kUnicode},

    // Binary data.
    {"BinTakesItsBytesRaw", "{\\rtf1 a\\bin3 {}\\b}", "P:a{}\\b", 0, 0},
    {"BinWithoutParameterUsesTheLastOne", R"({\rtf1 \li2\bin }{z})", "P:}{z", 0, 0},
    {"BinActsInsideSkippedGroups", R"({\rtf1 {\*\foo\bin2 }{}x})", "P:x", 0, 0},

    // Tables.
    {"SimpleTable", R"({\rtf1 \trowd\cellx1000\cellx2000\intbl a\cell b\cell\row\pard c\par})",
     "<ts> P:a <cell> P:b <cell> <row> <te> P:c", 0, 0},
    {"NestedTable",
     R"({\rtf1 \intbl\itap2 a\nestcell{\*\nesttableprops\nestrow}\itap1 b\cell\row})",
     "<ts> <ts> P:a <cell> <row> <te> P:b <cell> <row> <te>", 0, 0},
    {"PositionedParagraphsOpenNoTable", R"({\rtf1 \intbl\pvpg a\cell})", "P:a <cell>", 0, 0},
    {"OpenTablesCloseAtTheEnd", R"(\intbl a)", "<ts> <te> P:a", 0, 0},
    {"OpenTablesCloseEvenWhenAGroupIsOpen", R"({\rtf1 \intbl a)", "<ts> <te>", 3, 0},
    {"ItapZeroLeavesTheTable", R"({\rtf1 \intbl a\cell\row\itap0 b})", "<ts> P:a <cell> <row> <te> P:b", 0, 0},

    // Optional events.
    {"PageWithoutEventDoesNothing", R"({\rtf1 a\page b})", "P:ab", 0, 0},
    {"PageFlushesAndReports", R"({\rtf1 a\page b})", "P:a <page> C:b", 0, kPages},
    {"HeaderSkippedWithoutEvent", R"({\rtf1 {\header h}{\footer f}b})", "P:b", 0, 0},
    {"HeaderReportedWithEvent", R"({\rtf1 {\header h}b})", "<hdr+> P:h <hdr-> C:b", 0, kHeaders},
    {"AlternativeHeadersAreAlwaysSkipped", R"({\rtf1 {\headerl h}{\footerf f}b})", "P:b", 0, kHeaders},
    {"SkippedDestinations", R"({\rtf1 {\info{\title t}{\author a}}{\footnote n}{\*\comment c}{\pntext 1.}{\listtext 2.}b})",
     "P:b", 0, 0},

    // Failures.
    {"UnclosedGroupReportsNothing", R"({\rtf1 abc)", "", 3, 0},
    {"CloseWithoutOpenReportsNothing", "abc}", "", 1, 0},
    {"InputEndsInsideAControlWord", R"({\rtf1 \b)", "", 9, 0},
    {"InputEndsInsideAParameter", R"({\rtf1 \fs2)", "", 9, 0},
    {"InputEndsAfterABackslash", "{\\rtf1 a\\", "", 7, 0},
    {"BadHexDigit", R"({\rtf1 a\'zz})", "", 4, 0},
    {"ParameterAboveTheSignedRange", R"({\rtf1 \fs2147483648 x})", "", 9, 0},
    {"ParameterBelowTheSignedRange", R"({\rtf1 \li-2147483649 x})", "", 9, 0},
    {"SmallestParameterIsAccepted", R"({\rtf1 \li-2147483648 x})", "P:x", 0, 0},
    {"FontNameBeforeTheFirstFont", R"({\rtf1{\fonttbl Arial;}x})", "", 9, 0},
    {"CharsetBeforeTheFirstFont", R"({\rtf1{\fonttbl\fcharset0}x})", "", 9, 0},
    {"EarlierRunsStayReportedAfterAFailure", R"({\rtf1 a\par b\'g0})", "P:a", 4, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, RtfReadTest, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(RtfReaderTest, ReaderCanBeUsedAgainAfterAFailure) {
    TRDRTFReader reader;
    test_support::RtfRecorder recorder;
    recorder.Attach(reader);
    EXPECT_EQ(reader.ReadStream(R"({\rtf1 {\fonttbl{\f0 A;}}\b x)"), rtf_st_UnclosedGroup);
    recorder.log.clear();
    EXPECT_EQ(reader.ReadStream(R"({\rtf1 y})"), rtf_st_Ok);
    EXPECT_EQ(recorder.log, "P:y");  // not bold: the state was reset
    EXPECT_TRUE(reader.Fonts().empty());
}

TEST(RtfReaderTest, HandlerExceptionsEndReading) {
    TRDRTFReader reader;
    int runs = 0;
    reader.OnNewText = [&](TRDRTFReader&, std::string_view, TRDRTFPosition) {
        ++runs;
        throw std::runtime_error("consumer failed");
    };
    EXPECT_EQ(reader.ReadStream(R"({\rtf1 a\par b\par})"), rtf_st_HandlerException);
    EXPECT_EQ(runs, 1);

    TRDRTFReader tables;
    tables.OnTable = [](TRDRTFReader&, TRDRTFTableEventKind) { throw std::runtime_error("table"); };
    EXPECT_EQ(tables.ReadStream(R"({\rtf1 \intbl a})"), rtf_st_Exception);
}

TEST(RtfReaderTest, CellReportsItsEventEvenWhenTheFlushFails) {
    TRDRTFReader reader;
    std::string log;
    reader.OnNewText = [&](TRDRTFReader&, std::string_view, TRDRTFPosition) { throw 1; };
    reader.OnTable = [&](TRDRTFReader&, TRDRTFTableEventKind k) { log += std::to_string(k); };
    EXPECT_EQ(reader.ReadStream(R"({\rtf1 \intbl a\cell b})"), rtf_st_HandlerException);
    EXPECT_EQ(log, "03");  // table start, then the cell end after the failed flush
}

// Control words are taken from the input where they stand, except one whose
// letters run to the end of the input: its last letter is read again as a
// character, and a word of one letter, or a parameter, at the very end reads
// past the end.
TEST(RtfReaderTest, ControlWordsUpToTheEndOfTheInput) {
    const struct {
        std::string input;
        std::string expected;
        uint8_t status;
    } cases[] = {
        {"{\\rtf1 a\\b x}", "P:a C:x/b", rtf_st_Ok},
        {"{\\rtf1 a\\b1\\'41\\fs24 y}", "P:a C:A/b C:y/b", rtf_st_Ok},
        {"{\\rtf1 a\\b}", "P:a", rtf_st_Ok},
        {"{\\rtf1 a\\mac}x", "P:a", rtf_st_Ok},
        {"{\\rtf1 a\\bo", "P:a", rtf_st_UnclosedGroup},
        {"{\\rtf1 a\\ul", "", rtf_st_UnclosedGroup},
        {"{\\rtf1 a\\b ", "P:a", rtf_st_UnclosedGroup},
        {"{\\rtf1 a\\pca", "", rtf_st_UnclosedGroup},
        {"{\\rtf1 a\\b", "", rtf_st_Exception},
        {"{\\rtf1 a\\b2", "", rtf_st_Exception},
        {"{\\rtf1 a\\", "", rtf_st_EndAfterBackslash},
    };
    for (const auto& c : cases) {
        TRDRTFReader reader;
        test_support::RtfRecorder recorder;
        recorder.Attach(reader);
        EXPECT_EQ(reader.ReadStream(c.input), c.status) << c.input;
        EXPECT_EQ(recorder.log, c.expected) << c.input;
    }
}

}  // namespace
}  // namespace tovra
