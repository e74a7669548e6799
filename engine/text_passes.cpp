// The fixed passes. MarkUnicodeEscapes, UnmarkUnicodeEscapes and ExtractBody
// keep one compiled object per thread instead of compiling their pattern on
// every call: the result is the same, and a Bible calls them 31,102 times.
#include "engine/text_passes.h"

#include "platform/ansi_char_tables.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>


namespace tovra {

using namespace text_pass;

THtmlPasses::THtmlPasses()
    : bodyTag(kBodyTagPattern, preCaseLess, kBodyTagReplacement),
      colour11Groups(kColour11Pattern, preCaseLess, kColour11Replacement),
      underlines(kUnderlinePattern, preCaseLess, kUnderlineReplacement),
      fontTags(kFontTagPattern, preCaseLess, ""),
      emptyParagraphs(kEmptyParagraphPattern, preCaseLess, "") {}

TBiblePasses::TBiblePasses()
    : italicGroups(kItalicPattern, preCaseLess, kItalicReplacement),
      footnoteMarkers(kFootnotePattern, 0, kFootnoteReplacement) {}

std::string MarkUnicodeEscapes(std::string_view text) {
    thread_local TPcreRegEx mark(kMarkPattern, 0, kMarkReplacement);
    std::string out;
    mark.ReplaceAll(text, out);
    return out;
}

void AppendUnicodeMarker(char32_t codePoint, std::string& out) {
    out += "[tovraUC";
    out += std::to_string(static_cast<uint32_t>(codePoint));
    out += ']';
}

std::string UnmarkUnicodeEscapes(std::string_view text) {
    thread_local TPcreRegEx unmark(kUnmarkPattern, 0, kUnmarkReplacement);
    std::string out;
    unmark.ReplaceAll(text, out);
    return out;
}

std::string ExtractBody(std::string_view text) {
    thread_local TPcreRegEx body(kBodyPattern, preSingleLine);
    if (!body.FirstMatch(text)) return std::string(text);
    return std::string(body.Group(1));
}

std::string ReplaceTextIgnoringCase(std::string_view text, std::string_view find, std::string_view replacement) {
    if (find.empty() || find.size() > text.size()) return std::string(text);
    const unsigned char* upper = AnsiCharTables::Get().UpperTable();
    const std::string wanted = AnsiUpperCase(find);
    // Bytes that can begin an occurrence: every byte whose upper case is the
    // upper case of the first searched byte.
    bool starts[256] = {};
    for (int b = 0; b < 256; ++b) starts[b] = upper[b] == static_cast<unsigned char>(wanted[0]);

    std::string out;
    bool replaced = false;
    std::size_t copied = 0;
    const std::size_t last = text.size() - find.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    // With a single possible first byte ("<", "\\"), memchr finds candidates.
    const int startCount = static_cast<int>(std::count(std::begin(starts), std::end(starts), true));
    std::size_t i = 0;
    while (i <= last) {
        if (startCount == 1) {
            const void* hit = std::memchr(bytes + i, wanted[0], last - i + 1);
            if (!hit) break;
            i = static_cast<const unsigned char*>(hit) - bytes;
        } else if (!starts[bytes[i]]) {
            ++i;
            continue;
        }
        std::size_t k = 1;
        while (k < wanted.size() && upper[bytes[i + k]] == static_cast<unsigned char>(wanted[k])) ++k;
        if (k < wanted.size()) {
            ++i;
            continue;
        }
        if (!replaced) out.reserve(text.size() + text.size() / 8);
        replaced = true;
        out.append(text, copied, i - copied);
        out.append(replacement);
        i += find.size();
        copied = i;
    }
    if (!replaced) return std::string(text);
    out.append(text, copied, std::string_view::npos);
    return out;
}

}  // namespace tovra
