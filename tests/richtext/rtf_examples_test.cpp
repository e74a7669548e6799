// RTF examples from tests/data/rtf_examples.txt: each entry's RTF is loaded
// into the document as the conversion phase loads it, the document's
// invariants are checked, and the HTML body and the plain text written from
// it are compared byte for byte with the expected ones. The file format is
// described in the file's own header.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/text_passes.h"
#include "richtext/output_sink.h"
#include "richtext/rich_doc.h"
#include "richtext/rtf_builder.h"

namespace tovra {
namespace {

const char kExamplesFile[] = TOVRA_SOURCE_DIR "/tests/data/rtf_examples.txt";

struct Example {
    std::string name;
    int line = 0;  // line of the "== name" line, for messages
    std::string rtf, html, text;
    std::string error;  // a malformed entry: what is wrong with it
};

// "[[xHH]]" stands for the byte 0xHH; everything else is taken as it is.
bool DecodeLine(const std::string& line, std::string& out) {
    for (size_t i = 0; i < line.size();) {
        if (line.compare(i, 3, "[[x") == 0) {
            if (i + 7 > line.size() || line.compare(i + 5, 2, "]]") != 0 || !std::isxdigit(static_cast<unsigned char>(line[i + 3])) ||
                !std::isxdigit(static_cast<unsigned char>(line[i + 4])))
                return false;
            out += static_cast<char>(std::stoi(line.substr(i + 3, 2), nullptr, 16));
            i += 7;
        } else {
            out += line[i++];
        }
    }
    return true;
}

// The lines of one part joined with CR LF, each line decoded.
bool JoinPart(const std::vector<std::string>& lines, std::string& out) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "\r\n";
        if (!DecodeLine(lines[i], out)) return false;
    }
    return true;
}

std::vector<Example> LoadExamples() {
    std::vector<Example> examples;
    std::ifstream in(kExamplesFile, std::ios::binary);
    if (!in) {
        Example missing;
        missing.name = "FileMissing";
        missing.error = std::string("cannot open ") + kExamplesFile;
        examples.push_back(missing);
        return examples;
    }
    std::string line;
    int lineNo = 0;
    Example* current = nullptr;
    std::vector<std::vector<std::string>> parts;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!current) {
            if (line.empty() || line[0] == '#') continue;
            examples.emplace_back();
            current = &examples.back();
            current->line = lineNo;
            if (line.rfind("== ", 0) != 0 || line.size() == 3) {
                current->name = "Line" + std::to_string(lineNo);
                current->error = "expected \"== name\", found: " + line;
                break;
            }
            current->name = line.substr(3);
            parts.assign(1, {});
            continue;
        }
        if (!line.empty() && line.back() == '\r') {
            current->error = "line " + std::to_string(lineNo) + " ends with CR; write it as [[x0D]]";
        }
        if (line == "==") {
            if (parts.size() != 3) {
                current->error = "has " + std::to_string(parts.size()) + " parts, not RTF . HTML . text";
            } else if (!JoinPart(parts[0], current->rtf) || !JoinPart(parts[1], current->html) ||
                       !JoinPart(parts[2], current->text)) {
                current->error = "malformed [[xHH]] escape";
            }
            current = nullptr;
        } else if (line == ".") {
            parts.emplace_back();
        } else {
            parts.back().push_back(line);
        }
    }
    if (current && current->error.empty()) current->error = "no closing \"==\" line";
    return examples;
}

// A byte as it is when printable ASCII, otherwise as \r, \n or \xHH.
std::string Escaped(const std::string& s, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to && i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Empty when equal; otherwise the first differing offset and both sides
// escaped around it.
std::string ByteDiff(const std::string& expected, const std::string& actual) {
    if (expected == actual) return "";
    const size_t common = std::min(expected.size(), actual.size());
    size_t at = 0;
    while (at < common && expected[at] == actual[at]) ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    std::ostringstream out;
    out << "first difference at byte " << at << " (expected " << expected.size() << " bytes, got " << actual.size()
        << ")\n"
        << "  expected: ..." << Escaped(expected, from, at) << " >>" << Escaped(expected, at, at + 40) << "\n"
        << "  actual:   ..." << Escaped(actual, from, at) << " >>" << Escaped(actual, at, at + 40) << "\n";
    return out.str();
}

// The lines between the body's opening FONT line and its closing "</FONT>".
std::string Body(const std::string& page) {
    const std::string open = "<FONT size=2 color=#000000 face=\"Arial\">\r\n";
    const size_t from = page.find(open);
    const size_t to = page.rfind("</FONT>\r\n</BODY>");
    if (from == std::string::npos || to == std::string::npos || to < from + open.size())
        return "no body in: " + page;
    return page.substr(from + open.size(), to - from - open.size());
}

// Failure messages name the entry instead of dumping its bytes.
void PrintTo(const Example& e, std::ostream* out) { *out << e.name << " (line " << e.line << ")"; }

class RtfExample : public ::testing::TestWithParam<Example> {
protected:
    // One document for every example, cleared and reset before each load
    // as the conversion phase does from entry to entry.
    static TRichDoc& Doc() {
        static TRichDoc doc;
        return doc;
    }
};

TEST_P(RtfExample, WritesTheExpectedHtmlBodyAndText) {
    const Example& e = GetParam();
    ASSERT_TRUE(e.error.empty()) << kExamplesFile << ":" << e.line << ": " << e.error;

    TRDRTFReaderProperties props;
    props.UseConversionSettings();
    props.UnmappableChar = &AppendUnicodeMarker;
    TRichDoc& doc = Doc();
    doc.RDData().Clear();
    doc.Style()->ResetTextStyles();
    doc.Style()->ResetParaStyles();
    // Every example is well-formed RTF, so the load must succeed even
    // though the conversion does not look at the result.
    EXPECT_EQ(LoadRtfStatus(doc.RDData(), &props, e.rtf), 0);

    std::string problem;
    ASSERT_TRUE(doc.RDData().CheckInvariants(&problem)) << problem;

    std::string page, text;
    StringSink pageSink(page), textSink(text);
    ASSERT_TRUE(doc.SaveHtml(pageSink, "", "t", "", {}));
    ASSERT_TRUE(doc.SaveText("", textSink, 2, false, true));
    const std::string htmlDiff = ByteDiff(e.html, Body(page));
    EXPECT_TRUE(htmlDiff.empty()) << "HTML body of " << e.name << ": " << htmlDiff;
    const std::string textDiff = ByteDiff(e.text, text);
    EXPECT_TRUE(textDiff.empty()) << "text of " << e.name << ": " << textDiff;
}

INSTANTIATE_TEST_SUITE_P(File, RtfExample, ::testing::ValuesIn(LoadExamples()),
                         [](const ::testing::TestParamInfo<Example>& info) { return info.param.name; });

}  // namespace
}  // namespace tovra
