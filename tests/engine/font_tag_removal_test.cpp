// With font tags removed, a page is written without its FONT tags wherever
// that is sure to give the same bytes; these tests hold the converter to the
// page written with them and cleaned up with the font-tag pass among the
// others.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/conversion_phase.h"
#include "support/font_tag_oracle.h"
#include "support/recording_log.h"

namespace tovra {
namespace {

// The page written the long way, for a text as an entry holds it.
std::string PageWithFontTagsRemoved(const std::string& rtf, const std::string& name) {
    Entry entry;
    entry.TakeText(std::string(rtf));
    return test_support::TFontTagOracle().Page(entry.text, name);
}

std::string Converted(const std::string& rtf, const std::string& name) {
    TEntryConverter converter(nullptr, TEntryConverter::Threads::CallingOnly);
    EntryList entries;
    entries.Append(name).TakeText(std::string(rtf));
    test_support::RecordingLog log;
    bool italics = false, footnotes = false;
    converter.ConvertEntries(ModuleKind::Dictionary, entries, true, italics, footnotes, log);
    return entries.At(0).text;
}

const char kFonts[] = "{\\fonttbl{\\f0 Arial;}{\\f1 Gentium;}{\\f2 A>B;}{\\f3 A<B;}{\\f4 A\\\\B;}"
                      "{\\f5 A\\'0dB;}{\\f6 X\\\\par;}{\\f7 Y\\'00Z;}}";

// Each case is a place where a FONT tag, or its absence, could change what
// another pass does.
TEST(FontTagRemovalTest, LeavingTagsOutChangesNoPage) {
    struct Case {
        const char* body;
        const char* name;
    } cases[] = {
        {"\\f0 plain {\\f1 other} text\\par", "Entry"},
        {"\\f0 x {\\f2 y} z", "Entry"},
        {"\\f0 x {\\f3 y} z", "Entry"},
        {"\\f0 x {\\f4 y} z", "Entry"},
        {"\\f0 x {\\f5 y} z", "Entry"},
        {"\\f0 x {\\f6 y} z", "Entry"},
        {"\\f0 x {\\f7 y} z", "Entry"},
        {"\\f0 \\\\pa{\\f1 r} and \\\\par", "Entry"},
        {"\\f0 \\{\\\\cf11 {\\f1 H1}\\} \\{{\\f1\\\\cf11 H2}\\}", "Entry"},
        {"\\f0 {\\ul a_{\\f1 b}} {\\ul c{\\f1 _d}} {\\f1\\ul e_f}", "Entry"},
        {"\\f0 {\\f1 \\~}\\par {\\f1\\b  }\\par {\\i\\f1 \\~ }\\par", "Entry"},
        {"\\f0 a {\\f1 b}", "a<font x>b"},
        {"\\f0 a {\\f1 b}", "back\\slash"},
        {"\\f0 a {\\f1 b}", "a</FONT>b"},
        {"\\f0 {\\f1 \\u955?} {\\fs40 big} {\\cf1 red}", "Entry"},
    };
    for (const Case& c : cases) {
        const std::string rtf = std::string("{\\rtf1") + kFonts + "{\\colortbl;\\red255\\green0\\blue0;}" + c.body + "}";
        EXPECT_EQ(Converted(rtf, c.name), PageWithFontTagsRemoved(rtf, c.name)) << c.body << " / " << c.name;
    }
}

// Entries pieced together from the same hazards at random.
TEST(FontTagRemovalTest, RandomEntriesGiveTheSamePages) {
    const std::vector<std::string> pieces = {
        "word ", "{\\f1 greek} ", "{\\f2 gt}", "{\\f3 lt}", "{\\f4 bs}", "{\\f5 cr}", "{\\f6 par}", "{\\f7 nul}",
        "\\\\", "\\\\pa", "r", "\\{\\\\cf11 ", "\\}", "{\\ul u_", "}", "_", "\\par ", "\\~", "{\\b ", "{\\i ",
        "{\\fs36 ", "{\\cf1 ", "\\u8212?", "  ", "<font>", "&",
    };
    uint32_t seed = 12345;
    for (int n = 0; n < 1500; ++n) {
        std::string body = "\\f0 ";
        const int count = 1 + static_cast<int>((seed >> 8) % 12);
        for (int k = 0; k < count; ++k) {
            seed = seed * 1103515245u + 12345u;
            body += pieces[(seed >> 16) % pieces.size()];
        }
        const std::string rtf = std::string("{\\rtf1") + kFonts + "{\\colortbl;\\red255\\green0\\blue0;}" + body + "}";
        const std::string name = n % 7 == 0 ? "n<font>" : "Entry";
        ASSERT_EQ(Converted(rtf, name), PageWithFontTagsRemoved(rtf, name)) << body;
    }
}

}  // namespace
}  // namespace tovra
