// The fixed passes. MarkUnicodeEscapes, UnmarkUnicodeEscapes and ExtractBody
// keep one compiled object per thread instead of compiling their pattern on
// every call: the result is the same, and a Bible calls them 31,102 times.
#include "engine/text_passes.h"

#include <string>


namespace tovra {

using namespace text_pass;

// Every pass names the fixed string that each of its matches contains, so
// that texts without it are not searched at all; the string is part of the
// pattern beside it and must change with it.
THtmlPasses::THtmlPasses()
    : bodyTag(kBodyTagPattern, preCaseLess, kBodyTagReplacement),
      colour11Groups(kColour11Pattern, preCaseLess, kColour11Replacement),
      underlines(kUnderlinePattern, preCaseLess, kUnderlineReplacement),
      fontTags(kFontTagPattern, preCaseLess, ""),
      emptyParagraphs(kEmptyParagraphPattern, preCaseLess, "") {
    bodyTag.SetRequiredLiteral("<body");
    colour11Groups.SetRequiredLiteral("{\\cf11");
    underlines.SetRequiredLiteral("<U>");
    fontTags.SetRequiredLiteral("font");
    emptyParagraphs.SetRequiredLiteral("<p>");
}

TBiblePasses::TBiblePasses()
    : italicGroups(kItalicPattern, preCaseLess, kItalicReplacement),
      footnoteMarkers(kFootnotePattern, 0, kFootnoteReplacement) {
    italicGroups.SetRequiredLiteral("\\i");
    footnoteMarkers.SetRequiredLiteral("{\\cf6\\super ");
}

namespace {

TPcreRegEx& MarkPass() {
    thread_local TPcreRegEx mark = [] {
        TPcreRegEx regex(kMarkPattern, 0, kMarkReplacement);
        regex.SetRequiredLiteral("\\u");
        return regex;
    }();
    return mark;
}

TPcreRegEx& UnmarkPass() {
    thread_local TPcreRegEx unmark = [] {
        TPcreRegEx regex(kUnmarkPattern, 0, kUnmarkReplacement);
        regex.SetRequiredLiteral("[tovraUC");
        return regex;
    }();
    return unmark;
}

}  // namespace

std::string MarkUnicodeEscapes(std::string_view text) {
    std::string out;
    MarkPass().ReplaceAll(text, out);
    return out;
}

void AppendUnicodeMarker(char32_t codePoint, std::string& out) {
    out += "[tovraUC";
    out += std::to_string(static_cast<uint32_t>(codePoint));
    out += ']';
}

bool MarkUnicodeEscapes(std::string& text) { return MarkPass().ReplaceAll(text); }

std::string UnmarkUnicodeEscapes(std::string_view text) {
    std::string out;
    UnmarkPass().ReplaceAll(text, out);
    return out;
}

bool UnmarkUnicodeEscapes(std::string& text) { return UnmarkPass().ReplaceAll(text); }

std::string ExtractBody(std::string_view text) {
    thread_local TPcreRegEx body = [] {
        TPcreRegEx regex(kBodyPattern, preSingleLine);
        regex.SetRequiredLiteral("<BODY");
        return regex;
    }();
    if (!body.FirstMatch(text)) return std::string(text);
    return std::string(body.Group(1));
}

bool ReplaceTextIgnoringCase(std::string& text, const TLiteralSearch& find, std::string_view replacement,
                             std::string& scratch) {
    if (find.Empty()) return false;
    std::size_t i = find.Find(text);
    if (i == std::string_view::npos) return false;
    scratch.clear();
    scratch.reserve(text.size() + text.size() / 8);
    std::size_t copied = 0;
    do {
        scratch.append(text, copied, i - copied);
        scratch.append(replacement);
        copied = i + find.Size();
        i = find.Find(text, copied);
    } while (i != std::string_view::npos);
    scratch.append(text, copied, std::string::npos);
    text.swap(scratch);
    return true;
}

std::string ReplaceTextIgnoringCase(std::string_view text, std::string_view find, std::string_view replacement) {
    std::string out(text), scratch;
    ReplaceTextIgnoringCase(out, TLiteralSearch(find, true), replacement, scratch);
    return out;
}

}  // namespace tovra
