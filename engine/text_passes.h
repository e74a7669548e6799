// The text passes around each entry's RTF conversion: regular-expression
// replacements compiled once per file and applied to every entry, the
// Unicode-escape markers that carry RTF \u escapes through the conversion,
// the extraction of an HTML body, and the plain case-insensitive replacement.
//
// No pass fails on any content. A pass whose search reaches one of the limits
// of TPcreRegEx (a hostile text) leaves that text exactly as it was.
#pragma once

#include "engine/pcre_regex.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovra {

// Patterns and replacement templates of the passes. The two marker passes
// are written out by hand (they run on every entry); their patterns stay
// here as their definition, and the tests hold the code to them.
namespace text_pass {
inline constexpr std::string_view kMarkPattern = R"(\\u(\d+)\?)";
inline constexpr std::string_view kMarkReplacement = "[tovraUC${1}]";
inline constexpr std::string_view kUnmarkPattern = R"(\[tovraUC(\d+)\])";
inline constexpr std::string_view kUnmarkReplacement = "&#${1};";
inline constexpr std::string_view kBodyPattern = R"(<BODY[^>]*?>(.*?)</BODY>)";
inline constexpr std::string_view kBodyTagPattern = R"(<body[^>]*>)";
inline constexpr std::string_view kBodyTagReplacement = "<BODY>";
inline constexpr std::string_view kColour11Pattern = R"(\{\\cf11 ?(?:\\ul)? ?([^}]+)\})";
inline constexpr std::string_view kColour11Replacement = "${1}";
// "<U>([^<]+_[^<]+)</U>" written so that it cannot backtrack quadratically:
// group 1 is in both forms the whole run of non-"<" bytes after "<U>", and
// the look-ahead asks for an underscore with a byte on either side in it.
inline constexpr std::string_view kUnderlinePattern = R"(<U>(?=[^<]+_[^<])([^<]++)</U>)";
inline constexpr std::string_view kUnderlineReplacement = "$1";
inline constexpr std::string_view kFontTagPattern = R"(</?font[^>]*>)";
// "<p>(?:<[ib]>)?\s*(?:&nbsp;)?\s*(?:</[ib]>)?</p>" with possessive white-space
// runs: what follows each run starts with "&" or "<", so giving white space
// back can never lead to a match, and a long run of blanks costs linear time.
inline constexpr std::string_view kEmptyParagraphPattern = R"(<p>(?:<[ib]>)?\s*+(?:&nbsp;)?\s*+(?:</[ib]>)?</p>)";
// The control words allowed before \i cannot contain a brace, so a match
// never runs from one group's opening brace into a later group: with a prefix
// of "(?:\\[^\\]*)?" the text "{\i a} and {\i b}" became "[b]" instead of
// "[a] and [b]". Both runs are possessive: the prefix run holds no backslash
// and the word run no "}" or "]", so giving bytes back can never lead to the
// "\i" or the closing brace that failed after the whole run. The plain form,
// "\{(?:\\[^\\{}]*)?\\i ?\[?([^}\]]+)\]?\}", tries every shorter run at
// every brace of a verse full of {\cf11 H1234} groups.
inline constexpr std::string_view kItalicPattern = R"(\{(?:\\[^\\{}]*+)?\\i ?\[?([^}\]]++)\]?\})";
inline constexpr std::string_view kItalicReplacement = "[$1]";
inline constexpr std::string_view kFootnotePattern = R"(\{\\cf6\\super ([^}\t\r\n]+)\})";
inline constexpr std::string_view kFootnoteReplacement = R"(\{${1}\})";
}  // namespace text_pass

// The clean-up passes of the HTML path. Each replaces every match in place
// and returns whether it replaced anything.
struct THtmlPasses {
    THtmlPasses();

    // "<body ...>" in any letter case becomes "<BODY>".
    bool BodyTag(std::string& text);
    // "{\cf11 ...}" groups (an optional \ul) become their text.
    bool Colour11Groups(std::string& text) { return colour11Groups.ReplaceAll(text); }
    // "<U>a_b</U>" loses the underline tags when the text has an underscore.
    bool UnderlinedUnderscores(std::string& text) { return underlines.ReplaceAll(text); }
    // Opening and closing font tags are deleted.
    bool FontTags(std::string& text);
    // Paragraphs holding nothing but white space, one "&nbsp;" and an
    // optional <i> or <b> around them are deleted.
    bool EmptyParagraphs(std::string& text);

    TPcreRegEx bodyTag, colour11Groups, underlines, fontTags, emptyParagraphs;

private:
    std::string kept_;  // the text without its empty paragraphs or with its body tags replaced, reused
    std::vector<std::pair<std::size_t, std::size_t>> tagSpans_;  // the font tags of a text, reused
    TLiteralSearch bodyOpen_;  // "<body" in either case
};

// The passes of the Bible path, before the RTF conversion.
struct TBiblePasses {
    TBiblePasses();

    // "{\i word}" (optionally after other control words, optionally with the
    // word in square brackets) becomes "[word]".
    bool ItalicGroups(std::string& text);
    // "{\cf6\super a}" becomes "\{a\}", which the RTF reader reads as
    // literal braces.
    bool FootnoteMarkers(std::string& text) { return footnoteMarkers.ReplaceAll(text); }

    TPcreRegEx italicGroups, footnoteMarkers;

private:
    std::string replaced_;  // the text with its groups replaced, reused
};

// RTF Unicode escapes "\u8212?" become "[tovraUC8212]"; other fallback
// characters, negative numbers and "\U" are left alone.
std::string MarkUnicodeEscapes(std::string_view text);
// The same in place; returns whether anything was marked.
bool MarkUnicodeEscapes(std::string& text);
// Appends the marker of a character that 8-bit text cannot hold,
// "[tovraUC955]" for U+03BB: the RTF reader writes every such character it
// reads this way, so that it ends as the same reference as an escape that
// was marked before reading.
void AppendUnicodeMarker(char32_t codePoint, std::string& out);
// "[tovraUC8212]" becomes the character reference "&#8212;".
std::string UnmarkUnicodeEscapes(std::string_view text);
// The same in place; returns whether anything was unmarked.
bool UnmarkUnicodeEscapes(std::string& text);
// The part between the first upper-case "<BODY...>" tag and the next
// "</BODY>"; the whole text when there is none.
std::string ExtractBody(std::string_view text);

// Every occurrence of `find` in `text`, compared without regard to letter
// case (both upper-cased with the ANSI tables), replaced by `replacement`;
// the search continues after each replaced part and never looks into a
// replacement. The rest of the text keeps its letter case. An empty `find`
// leaves the text unchanged.
std::string ReplaceTextIgnoringCase(std::string_view text, std::string_view find, std::string_view replacement);
// The same in place, with the search prepared once (case ignored) and a
// buffer kept by the caller; returns whether anything was replaced.
bool ReplaceTextIgnoringCase(std::string& text, const TLiteralSearch& find, std::string_view replacement,
                             std::string& scratch);

// The position of the next "<font" or "</font" (letter case ignored) at or
// after `from`: where a match of the font-tag pattern can start.
std::size_t FindFontTag(std::string_view text, std::size_t from);

// The three plain replacements of a written HTML page in one scan, with the
// result of making them one after the other: "\par" becomes
// "<p>&nbsp;</p>", "<DIV" becomes "<p" and "</DIV>" becomes "</p>", letter
// case ignored. (No two of them can overlap, and no replacement makes or
// breaks an occurrence of another.) Returns whether anything was replaced.
bool ReplaceParagraphMarkup(std::string& text, std::string& scratch);

}  // namespace tovra
