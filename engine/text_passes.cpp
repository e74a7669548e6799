// The fixed passes. ExtractBody keeps one compiled object per thread instead
// of compiling its pattern on every call: the result is the same, and a Bible
// calls it 31,102 times.
#include "engine/text_passes.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/ansi_char_tables.h"


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

// kFontTagPattern written out, as the written HTML holds a font tag around
// nearly every run: "<font" or "</font" in any letter case up to the next
// ">". A tag with no ">" after it is left to the pattern itself, whose
// search limits decide such a text; every other text gets what the pattern
// gives, as a tag ends at its first ">" and nothing in it can backtrack.
bool THtmlPasses::FontTags(std::string& text) {
    auto isFont = [&text](std::size_t at) {
        if (text.size() - at < 4) return false;
        return (text[at] | 0x20) == 'f' && (text[at + 1] | 0x20) == 'o' && (text[at + 2] | 0x20) == 'n' &&
               (text[at + 3] | 0x20) == 't';
    };
    std::size_t copied = 0;
    bool replaced = false;
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        std::size_t name = at + 1;
        if (name < text.size() && text[name] == '/') ++name;
        if (!isFont(name)) continue;
        const std::size_t close = text.find('>', name + 4);
        if (close == std::string::npos) return fontTags.ReplaceAll(text);
        if (!replaced) {
            kept_.clear();
            kept_.reserve(text.size());
            replaced = true;
        }
        kept_.append(text, copied, at - copied);
        copied = close + 1;
        at = close;
    }
    if (!replaced) return false;
    kept_.append(text, copied, std::string::npos);
    text.swap(kept_);
    return true;
}

TBiblePasses::TBiblePasses()
    : italicGroups(kItalicPattern, preCaseLess, kItalicReplacement),
      footnoteMarkers(kFootnotePattern, 0, kFootnoteReplacement) {
    italicGroups.SetRequiredLiteral("\\i");
    footnoteMarkers.SetRequiredLiteral("{\\cf6\\super ");
}

namespace {

// The two marker passes are the patterns kMarkPattern and kUnmarkPattern
// with their replacements, written out: `open`, a run of digits (as the
// passes' character tables define \d) and `close` become `newOpen`, the
// digits and `newClose`. A digit run ends where the digits end, so there is
// nothing to backtrack and the result equals the pattern's on every text.
// They run on every entry and are the hottest passes of a module whose
// entries hold many escapes.
bool ReplaceNumbered(std::string_view text, std::string_view open, char close, std::string_view newOpen,
                     char newClose, std::string& out) {
    const AnsiCharTables& ansi = AnsiCharTables::Get();
    std::size_t copied = 0;
    bool replaced = false;
    const char first = open.front();
    const std::string_view rest = open.substr(1);
    for (std::size_t at = 0; at < text.size(); ++at) {
        const void* hit = std::memchr(text.data() + at, first, text.size() - at);
        if (!hit) break;
        at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (text.substr(at + 1, rest.size()) != rest) continue;
        const std::size_t digits = at + open.size();
        std::size_t end = digits;
        while (end < text.size() && ansi.IsDigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == digits || end == text.size() || text[end] != close) continue;
        if (!replaced) {
            out.clear();
            out.reserve(text.size() + text.size() / 8);
            replaced = true;
        }
        out.append(text.substr(copied, at - copied));
        out.append(newOpen);
        out.append(text.substr(digits, end - digits));
        out += newClose;
        copied = end + 1;
        at = end;  // the loop steps past the closing character
    }
    if (replaced) out.append(text.substr(copied));
    return replaced;
}

constexpr std::string_view kMarkOpen = "\\u";
constexpr std::string_view kMarkerOpen = "[tovraUC";
constexpr std::string_view kReferenceOpen = "&#";

bool ReplaceNumberedInPlace(std::string& text, std::string_view open, char close, std::string_view newOpen,
                            char newClose) {
    thread_local std::string buffer;
    if (!ReplaceNumbered(text, open, close, newOpen, newClose, buffer)) return false;
    text.swap(buffer);
    return true;
}

}  // namespace

std::string MarkUnicodeEscapes(std::string_view text) {
    std::string out;
    if (!ReplaceNumbered(text, kMarkOpen, '?', kMarkerOpen, ']', out)) out.assign(text);
    return out;
}

void AppendUnicodeMarker(char32_t codePoint, std::string& out) {
    out += kMarkerOpen;
    out += std::to_string(static_cast<uint32_t>(codePoint));
    out += ']';
}

bool MarkUnicodeEscapes(std::string& text) { return ReplaceNumberedInPlace(text, kMarkOpen, '?', kMarkerOpen, ']'); }

std::string UnmarkUnicodeEscapes(std::string_view text) {
    std::string out;
    if (!ReplaceNumbered(text, kMarkerOpen, ']', kReferenceOpen, ';', out)) out.assign(text);
    return out;
}

bool UnmarkUnicodeEscapes(std::string& text) {
    return ReplaceNumberedInPlace(text, kMarkerOpen, ']', kReferenceOpen, ';');
}

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

bool ReplaceParagraphMarkup(std::string& text, std::string& scratch) {
    const unsigned char* upper = AnsiCharTables::Get().UpperTable();
    auto startsWith = [&](std::size_t at, std::string_view upperCased) {
        if (text.size() - at < upperCased.size()) return false;
        for (std::size_t k = 0; k < upperCased.size(); ++k) {
            if (upper[static_cast<unsigned char>(text[at + k])] != static_cast<unsigned char>(upperCased[k]))
                return false;
        }
        return true;
    };
    // The next "<" and the next backslash, each found once per occurrence.
    auto next = [&text](char c, std::size_t from) {
        return from >= text.size() ? std::string::npos : text.find(c, from);
    };
    std::size_t tag = next('<', 0), backslash = next('\\', 0);
    std::size_t copied = 0;
    bool replaced = false;
    while (tag != std::string::npos || backslash != std::string::npos) {
        const std::size_t at = std::min(tag, backslash);
        std::string_view found, replacement;
        if (at == backslash) {
            if (startsWith(at, "\\PAR")) found = "\\PAR", replacement = "<p>&nbsp;</p>";
        } else if (startsWith(at, "<DIV")) {
            found = "<DIV", replacement = "<p";
        } else if (startsWith(at, "</DIV>")) {
            found = "</DIV>", replacement = "</p>";
        }
        std::size_t resume = at + 1;
        if (!found.empty()) {
            if (!replaced) {
                scratch.clear();
                scratch.reserve(text.size() + text.size() / 8);
                replaced = true;
            }
            scratch.append(text, copied, at - copied);
            scratch.append(replacement);
            copied = at + found.size();
            resume = copied;
        }
        if (tag != std::string::npos && tag < resume) tag = next('<', resume);
        if (backslash != std::string::npos && backslash < resume) backslash = next('\\', resume);
    }
    if (!replaced) return false;
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
