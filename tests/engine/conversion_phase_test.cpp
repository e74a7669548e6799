#include "engine/conversion_phase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "support/entry_lines.h"
#include "support/recording_log.h"

namespace tovra {
namespace {

using test_support::JoinedText;
using test_support::LinesOf;
using test_support::SetLines;
using Lines = std::vector<std::string>;

class ConversionPhaseTest : public ::testing::Test {
protected:
    Lines Convert(ModuleKind kind, const Lines& lines, bool removeFonts, const std::string& name = "Entry") {
        EntryList entries;
        SetLines(entries.Append(name), lines);
        converter_.ConvertEntries(kind, entries, removeFonts, hasItalics_, hasFootnotes_, log_);
        return LinesOf(entries.At(0));
    }
    static Lines Page(const std::string& title, const Lines& body) {
        Lines page = {"<HTML><HEAD><TITLE>" + title + "</TITLE>", "</HEAD>", "<BODY>"};
        page.insert(page.end(), body.begin(), body.end());
        page.push_back("</BODY></HTML>");
        return page;
    }

    // A page whose font tags were removed: their lines stay, empty.
    static Lines PageWithoutFonts(const std::string& title, Lines body) {
        body.insert(body.begin(), "");
        body.push_back("");
        return Page(title, body);
    }

    TEntryConverter converter_;
    test_support::RecordingLog log_;
    bool hasItalics_ = false, hasFootnotes_ = false;
};

TEST_F(ConversionPhaseTest, PlainTextIsWrappedAndWrittenAsACleanedPage) {
    EXPECT_EQ(Convert(ModuleKind::Dictionary, {"Hello"}, true, "Greeting"), PageWithoutFonts("Greeting", {"<p>Hello</p>"}));
    EXPECT_EQ(log_.lines, Lines{"Converting RTF to HTML..."});
    EXPECT_FALSE(hasItalics_ || hasFootnotes_);
}

TEST_F(ConversionPhaseTest, FontTagsStayUnlessRemoved) {
    const Lines rtf = {"{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}\\f0 a {\\f1 b}\\par}"};
    EXPECT_EQ(Convert(ModuleKind::Dictionary, rtf, false),
              Page("Entry", {"<FONT size=2 color=#000000 face=\"Arial\">",
                             "<p><FONT size=3>a </FONT><FONT size=3 face=\"Times New Roman\">b</FONT></p>",
                             "</FONT>"}));
    EXPECT_EQ(Convert(ModuleKind::Commentary, rtf, true), PageWithoutFonts("Entry", {"<p>a b</p>"}));
}

TEST_F(ConversionPhaseTest, OnlyTheFirstWholeDocumentOfMergedNotesIsRead) {
    EXPECT_EQ(Convert(ModuleKind::Commentary, {"{\\rtf1 first}", "\\par", "second"}, true), PageWithoutFonts("Entry", {"<p>first</p>"}));
    // Notes without a header are wrapped as one document: \par separates them.
    EXPECT_EQ(Convert(ModuleKind::Commentary, {"first", "\\par", "second"}, true),
              PageWithoutFonts("Entry", {"<p>first</p>", "<p>second</p>"}));
}

TEST_F(ConversionPhaseTest, HeaderTestIsOnTheUnstrippedText) {
    // A blank first line hides the header, so the text is wrapped once more.
    EXPECT_EQ(Convert(ModuleKind::Dictionary, {"", "{\\rtf1 x}"}, true), PageWithoutFonts("Entry", {"<p>x</p>"}));
    EXPECT_EQ(Convert(ModuleKind::Dictionary, {"{\\RTF1 y}"}, true), PageWithoutFonts("Entry", {"<p>y</p>"}));
}

TEST_F(ConversionPhaseTest, UnicodeEscapesBecomeCharacterReferences) {
    EXPECT_EQ(Convert(ModuleKind::Dictionary, {"{\\rtf1 a\\u8212?b \\u955? \\u-1238?c}"}, true),
              PageWithoutFonts("Entry", {"<p>a&#8212;b &#955; &#64298;c</p>"}));  // a negative \u counts from 65536
}

TEST_F(ConversionPhaseTest, BlankEntriesAreLeftExactlyAsTheyAre) {
    EXPECT_EQ(Convert(ModuleKind::Dictionary, {"  ", "\t"}, true), (Lines{"  ", "\t"}));
    EXPECT_EQ(Convert(ModuleKind::Bible, {" "}, true), Lines{" "});
}

TEST_F(ConversionPhaseTest, BibleVersesAsTextCarryBracketsAndSetTheFlags) {
    EXPECT_EQ(Convert(ModuleKind::Bible, {"In the {\\i beginning} God {\\cf6\\super a} \\u8212? created"}, true),
              Lines{"In the [beginning] God {a} &#8212; created"});
    EXPECT_TRUE(hasItalics_);
    EXPECT_TRUE(hasFootnotes_);
    EXPECT_EQ(log_.lines, Lines{"Converting RTF to text..."});
}

TEST_F(ConversionPhaseTest, BibleWithoutGroupsSetsNoFlag) {
    EXPECT_EQ(Convert(ModuleKind::Bible, {"plain {\\b verse}"}, true), Lines{"plain verse"});
    EXPECT_FALSE(hasItalics_);
    EXPECT_FALSE(hasFootnotes_);
}

TEST_F(ConversionPhaseTest, BibleTextOverSeveralLinesIsStrippedLineByLine) {
    EXPECT_EQ(Convert(ModuleKind::Bible, {"  first  \\par   second  "}, true), (Lines{"first", "second"}));
    EXPECT_EQ(Convert(ModuleKind::Bible, {"first\\par\\par"}, true), Lines{"first"});
}

TEST_F(ConversionPhaseTest, BibleAsHtmlKeepsOnlyTheBody) {
    EXPECT_EQ(Convert(ModuleKind::Bible, {"In the {\\i beginning}"}, false),
              (Lines{"", "<FONT size=2 color=#000000 face=\"Arial\">", "<DIV>In the [beginning]</DIV>", "</FONT>"}));
    EXPECT_EQ(log_.lines,
              (Lines{"**WARNING** \"Remove Font Declarations\" STRONGLY RECOMMENDED for Bible texts!",
                     "Converting RTF to text..."}));
}

// A converted page is given back in joined form: line breaks written by the
// RTF inside text, font names and empty paragraphs survive the passes as
// whole CR LF pairs, whichever tags the passes remove around them.
TEST_F(ConversionPhaseTest, PagesStayJoinedThroughThePasses) {
    const std::vector<std::string> entries = {
        "{\\rtf1{\\fonttbl{\\f0 A\\'0d\\'0aB;}{\\f1 C\\'0dD;}}\\f0 one {\\f1 two}\\par}",
        "{\\rtf1 a\\'0db\\'0ac\\'0d\\'0ad\\'0a\\'0de}",
        "{\\rtf1 x\\par \\'0d\\'0a\\par {\\i \\'0d\\'0a}\\par {\\b\\'0d}\\par {\\ul a_b\\'0d\\'0a}\\par}",
        "{\\rtf1 {\\cf11 H1\\'0d\\'0a}\\'0d}",
        "{\\rtf1 end\\'0d\\'0a}",
    };
    for (bool removeFonts : {true, false}) {
        for (const std::string& rtf : entries) {
            EntryList converted;
            converted.Append("Entry").TakeText(std::string(rtf));
            converter_.ConvertEntries(ModuleKind::Dictionary, converted, removeFonts, hasItalics_, hasFootnotes_,
                                      log_);
            std::string normal = converted.At(0).text;
            NormalizeText(normal);
            EXPECT_EQ(converted.At(0).text, normal) << rtf;
            EXPECT_NE(converted.At(0).text.find("</HTML>\r\n"), std::string::npos) << rtf;
        }
    }
}

TEST_F(ConversionPhaseTest, StylesOfOneEntryDoNotReachTheNext) {
    const Lines first = Convert(ModuleKind::Dictionary, {"{\\rtf1{\\fonttbl{\\f0 Courier New;}}\\f0\\fs40 big}"}, false);
    EXPECT_NE(JoinedText(first).find("Courier New"), std::string::npos);
    EXPECT_EQ(Convert(ModuleKind::Dictionary, {"plain"}, false),
              Page("Entry", {"<FONT size=2 color=#000000 face=\"Arial\">", "<p>plain</p>", "</FONT>"}));
}

}  // namespace
}  // namespace tovra

namespace tovra {
namespace {

TEST(EntryConverterTest, ConvertsThroughTheDocumentItIsGiven) {
    for (TEntryConverter::Threads threads : {TEntryConverter::Threads::CallingOnly, TEntryConverter::Threads::WithWorker}) {
        TRichDoc document;
        TEntryConverter converter(&document, threads);
        EntryList entries;
        // Enough entries for the calling thread to take some beside the worker.
        for (int i = 0; i < 40; ++i) SetLines(entries.Append("Entry"), {"Hello"});
        test_support::RecordingLog log;
        bool italics = false, footnotes = false;
        converter.ConvertEntries(ModuleKind::Dictionary, entries, true, italics, footnotes, log);
        // The document keeps the last entry it was given until the next one.
        ASSERT_EQ(&converter.Document(), &document);
        EXPECT_GT(document.RDData().ItemCount(), 0);
    }
}

// Entries whose lists add list styles, which later entries' lists are
// matched against, mixed with entries without lists. List styles are the
// state one entry leaves for the next.
std::vector<std::string> EntriesWithLists() {
    const std::vector<std::string> kinds = {
        "plain {\\b text}",
        "In the {\\cf15\\i beginning} God{\\cf6\\super a} {\\cf11 H430}",
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext"
        "\\'01\\'b7;}{\\levelnumbers;}\\f0}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1"
        "\\listoverridecount0\\ls1}}\\fs20 \\pard\\ls1 p\\par q\\par\\pard r\\par}",
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat1"
        "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\f0}{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext"
        "\\'02\\'01.;}{\\levelnumbers\\'01;}\\f0}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1"
        "\\listoverridecount0\\ls1}}\\fs20 \\pard\\ls1 a\\par\\pard\\ls1\\ilvl1 b\\par\\pard\\ls1 c\\par}",
        "{\\rtf1{\\fonttbl{\\f1 Symbol;}}{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb"
        "\\'B7}}\\fi-360\\li%d Peter\\par}",
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnf0\\pnstart1{\\pntxta .}}"
        "\\fi-300\\li600 one\\par{\\pntext 2.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnf0\\pnstart1{\\pntxta .}}two\\par}",
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\pntext a)\\tab}{\\*\\pn\\pnlvlbody\\pnlcltr\\pnf0\\pnindent%d{\\pntxta )}}"
        "\\fi-200\\li%d item\\par}",
    };
    std::vector<std::string> entries;
    uint32_t seed = 7;
    for (int i = 0; i < 150; ++i) {
        seed = seed * 1103515245u + 12345u;
        const size_t kind = (seed >> 16) % (kinds.size() + 3);
        if (kind >= kinds.size()) {
            entries.push_back("entry " + std::to_string(i));
            continue;
        }
        std::string text = kinds[kind];
        // Indents that differ make new list styles all along.
        for (size_t at; (at = text.find("%d")) != std::string::npos;) {
            text.replace(at, 2, std::to_string(20 * ((seed >> 8) % 64)));
        }
        entries.push_back(text);
    }
    return entries;
}

// The pages a converter gives for `texts`, read in place or handed on; for
// Bible verses (always in place) the flags follow the texts.
std::vector<std::string> PagesOf(TEntryConverter& converter, const std::vector<std::string>& texts, bool handedOn,
                                 ModuleKind kind = ModuleKind::Dictionary) {
    EntryList entries;
    for (const std::string& text : texts) entries.Append("Entry").TakeText(std::string(text));
    test_support::RecordingLog log;
    bool italics = false, footnotes = false;
    std::vector<std::string> pages;
    const std::function<void(const Entry&)> keep = [&pages](const Entry& e) { pages.push_back(e.text); };
    // Half of the entries as they are read, the rest by the phase.
    const size_t half = entries.Count() / 2;
    for (size_t i = 0; i < half; ++i) {
        converter.ConvertEntry(kind, entries.At(static_cast<long long>(i)), true, italics, footnotes,
                               handedOn ? keep : nullptr);
    }
    converter.ConvertEntries(kind, entries, true, italics, footnotes, log, half, handedOn ? keep : nullptr);
    if (!handedOn) {
        for (const Entry& e : entries) pages.push_back(e.text);
    }
    if (kind == ModuleKind::Bible) {
        pages.push_back(italics ? "italics" : "no italics");
        pages.push_back(footnotes ? "footnotes" : "no footnotes");
    }
    return pages;
}

// The list styles the last entry left, each as the indents and formats of
// its levels.
std::vector<std::string> ListStylesOf(const TEntryConverter& converter) {
    const TRDListInfos& styles = converter.LastLoaded().Style()->ListStyles;
    std::vector<std::string> shown;
    for (int i = 0; i < styles.Count(); ++i) {
        std::string levels;
        for (int k = 0; k < styles.Items(i).Levels.Count(); ++k) {
            const TRDListLevel& level = styles.Items(i).Levels.Items(k);
            levels += std::to_string(level.LeftIndent) + "/" + std::to_string(level.FirstIndent) + "/" +
                      level.FormatString + ";";
        }
        shown.push_back(levels);
    }
    return shown;
}

// Entries converted partly on the worker give exactly the pages, and leave
// exactly the list styles, of one document converting every entry in order:
// also where the worker's entries add list styles that the entries after
// them see, and for Bible verses. The entries go in runs of several
// lengths, so that batches end at many places.
TEST(EntryConverterTest, TheWorkerChangesNoPage) {
    const std::vector<std::string> texts = EntriesWithLists();
    for (bool handedOn : {false, true}) {
        TEntryConverter alone(nullptr, TEntryConverter::Threads::CallingOnly);
        TEntryConverter withWorker(nullptr, TEntryConverter::Threads::WithWorker);
        size_t start = 0;
        for (size_t run = 0; start < texts.size(); ++run) {
            const size_t length = std::min(texts.size() - start, 2 + (run * 7) % 23);
            const std::vector<std::string> part(texts.begin() + static_cast<long>(start),
                                                texts.begin() + static_cast<long>(start + length));
            start += length;
            const ModuleKind kind = run % 5 == 4 ? ModuleKind::Bible : ModuleKind::Dictionary;
            EXPECT_EQ(PagesOf(withWorker, part, handedOn, kind), PagesOf(alone, part, handedOn, kind)) << handedOn;
            EXPECT_EQ(ListStylesOf(withWorker), ListStylesOf(alone)) << "after entry " << start;
        }
        EXPECT_GT(ListStylesOf(alone).size(), 10u);
    }
}

// A receiver that fails stops the conversion, and the converter can be
// used again afterwards.
TEST(EntryConverterTest, AFailingReceiverEndsTheBatch) {
    const std::vector<std::string> texts = EntriesWithLists();
    TEntryConverter converter;
    EntryList entries;
    for (const std::string& text : texts) entries.Append("Entry").TakeText(std::string(text));
    test_support::RecordingLog log;
    bool italics = false, footnotes = false;
    size_t received = 0;
    const std::function<void(const Entry&)> failing = [&received](const Entry&) {
        if (++received == 20) throw std::runtime_error("disk full");
    };
    EXPECT_THROW(converter.ConvertEntries(ModuleKind::Dictionary, entries, true, italics, footnotes, log, 0, failing),
                 std::runtime_error);
    EXPECT_EQ(received, 20u);
    TEntryConverter fresh;
    const std::vector<std::string> plain(40, "plain {\\i text}");
    EXPECT_EQ(PagesOf(converter, plain, true), PagesOf(fresh, plain, true));
}

}  // namespace
}  // namespace tovra
