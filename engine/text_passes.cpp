// The fixed passes. ExtractBody keeps one compiled object per thread instead
// of compiling its pattern on every call: the result is the same, and a Bible
// calls it 31,102 times.
#include "engine/text_passes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/ansi_char_tables.h"


namespace tovra {

using namespace text_pass;

namespace {

// A text rebuilt with some of its spans replaced, into a buffer the caller
// keeps. Nothing is copied before the first replacement, so a text with
// none costs only its search.
class TSplice {
public:
    TSplice(std::string_view source, std::string& out) : source_(source), out_(out) {}

    // Keeps the source up to `at`, drops it from there to `end` and returns
    // the buffer, for the replacement to be appended.
    std::string& Replace(std::size_t at, std::size_t end) {
        if (!started_) {
            out_.clear();
            out_.reserve(source_.size() + source_.size() / 8);
            started_ = true;
        }
        out_.append(source_.substr(copied_, at - copied_));
        copied_ = end;
        return out_;
    }
    // Appends the rest of the source. False, with the buffer untouched, when
    // nothing was replaced.
    bool Finish() {
        if (started_) out_.append(source_.substr(copied_));
        return started_;
    }
    // Finish, and the rebuilt text takes the place of `source`, the text
    // this splice was made from.
    bool FinishInto(std::string& source) {
        if (!Finish()) return false;
        source.swap(out_);
        return true;
    }

private:
    std::string_view source_;
    std::string& out_;
    std::size_t copied_ = 0;
    bool started_ = false;
};

}  // namespace

// Every pass names the fixed string that each of its matches contains, so
// that texts without it are not searched at all; the string is part of the
// pattern beside it and must change with it.
THtmlPasses::THtmlPasses()
    : bodyTag(kBodyTagPattern, preCaseLess, kBodyTagReplacement),
      colour11Groups(kColour11Pattern, preCaseLess, kColour11Replacement),
      underlines(kUnderlinePattern, preCaseLess, kUnderlineReplacement),
      fontTags(kFontTagPattern, preCaseLess, ""),
      emptyParagraphs(kEmptyParagraphPattern, preCaseLess, ""),
      bodyOpen_("<body", true) {
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
std::size_t FindFontTag(std::string_view text, std::size_t from) {
    for (std::size_t at = text.find('<', from); at != std::string_view::npos; at = text.find('<', at + 1)) {
        std::size_t name = at + 1;
        if (name < text.size() && text[name] == '/') ++name;
        if (text.size() - name >= 4 && (text[name] | 0x20) == 'f' && (text[name + 1] | 0x20) == 'o' &&
            (text[name + 2] | 0x20) == 'n' && (text[name + 3] | 0x20) == 't') {
            return at;
        }
    }
    return std::string_view::npos;
}

bool THtmlPasses::FontTags(std::string& text) {
    // The tags are all found first, so that a text the pattern must decide
    // reaches it untouched; then the text after each tag moves up over it.
    tagSpans_.clear();
    for (std::size_t at = FindFontTag(text, 0); at != std::string::npos; at = FindFontTag(text, at + 1)) {
        const std::size_t close = text.find('>', at + 5);
        if (close == std::string::npos) return fontTags.ReplaceAll(text);
        tagSpans_.push_back({at, close + 1});
        at = close;
    }
    if (tagSpans_.empty()) return false;
    std::size_t kept = tagSpans_.front().first;
    for (std::size_t k = 0; k < tagSpans_.size(); ++k) {
        const std::size_t from = tagSpans_[k].second;
        const std::size_t to = k + 1 < tagSpans_.size() ? tagSpans_[k + 1].first : text.size();
        std::memmove(text.data() + kept, text.data() + from, to - from);
        kept += to - from;
    }
    text.resize(kept);
    return true;
}

namespace {

// The bytes, three at most, that end a run of a pattern's character class.
struct TStops {
    std::uint64_t repeated[3] = {};  // each byte in all eight bytes of a word
    std::size_t count = 0;
    bool bytes[256] = {};
    explicit constexpr TStops(std::string_view stops) {
        for (const char c : stops) {
            bytes[static_cast<unsigned char>(c)] = true;
            repeated[count++] = 0x0101010101010101u * static_cast<unsigned char>(c);
        }
    }
};
constexpr TStops kItalicWordStops("\\{}");   // [^\\{}]
constexpr TStops kItalicGroupStops("}]");      // [^}\]]
constexpr TStops kTagEndStops(">");            // [^>]

// When a scan may stand for its pattern. TPcreRegEx gives the pattern's
// unbounded result unless a limit stops it, and then the text stays as it
// was; a scan that replaces a pattern must give that too. The patterns
// written out below have no unbounded backtracking (their repeats are
// possessive, or end where the next item cannot start, and they have a few
// optional items), so a run spends a few steps per start position, far below
// PCRE2's match limit, and a limit can only come from the second search tier:
//   - a text of at most kFirstWindow bytes is searched in one run, with no
//     second tier at all;
//   - in a longer text, when every attempt reads at most kFirstSpan bytes
//     from its start, an attempt that reaches the end of a first-tier window
//     starts fewer than kFirstSpan bytes before it, is decided by one
//     second-tier run of at most 2 * kFirstSpan bytes, and the next such
//     attempt lies beyond the next window, more than kFirstWindow -
//     kFirstSpan bytes further on: the budget, over a MiB, is never spent.
// So a scan reads each attempt through a TAttemptView, reading every byte the
// pattern's attempt reads (or more), and gives the text to the pattern when an
// attempt of a long text would read further.
class TAttemptView {
public:
    TAttemptView(std::string_view text, std::size_t start)
        : text_(text),
          end_(text.size() <= TPcreRegEx::kFirstWindow ? text.size()
                                                        : std::min(text.size(), start + TPcreRegEx::kFirstSpan)) {}

    // The byte at `at`, or -1 past the end of the text or of the view.
    int At(std::size_t at) {
        if (at < end_) return static_cast<unsigned char>(text_[at]);
        if (end_ < text_.size()) beyond_ = true;
        return -1;
    }
    // The first byte at or after `from` that is in `stops` (a 256-entry
    // table), or the end of the view; the run reads every byte before it.
    std::size_t Run(std::size_t from, const bool* stops) {
        std::size_t at = from;
        while (at < end_ && !stops[static_cast<unsigned char>(text_[at])]) ++at;
        if (at >= end_ && end_ < text_.size()) beyond_ = true;
        return at;
    }
    // The same for a run ended by one of `stops`, eight bytes at a time
    // while they lie in the view: in (x - 0x01...) & ~x & 0x80... the
    // lowest flagged byte is the first zero byte of x, so the lowest flagged
    // byte over the stops is the first stop.
    std::size_t Run(std::size_t from, const TStops& stops) {
        constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
        std::size_t at = from;
        for (; at + 8 <= end_; at += 8) {
            std::uint64_t word;
            std::memcpy(&word, text_.data() + at, 8);
            std::uint64_t found = 0;
            for (std::size_t k = 0; k < stops.count; ++k) {
                const std::uint64_t x = word ^ stops.repeated[k];
                found |= (x - kOnes) & ~x & kHighs;
            }
            if (found) {
                if constexpr (std::endian::native == std::endian::little) return at + std::countr_zero(found) / 8;
                return at + std::countl_zero(found) / 8;
            }
        }
        return Run(at, stops.bytes);
    }
    // True when the attempt read past the view into the rest of the text.
    bool Beyond() const { return beyond_; }

private:
    std::string_view text_;
    std::size_t end_;
    bool beyond_ = false;
};

// A match of a scan: the bytes it covers and the bytes of its group.
struct TScanMatch {
    std::size_t end = 0, groupStart = 0, groupEnd = 0;
};

// kItalicPattern's tail "( ?)\[?([^}\]]++)\]?\}" from `at`. The run stops at
// the first "}" or "]" at or after `at` (the blank and the bracket are in the
// run's class too), so every way of taking the optional blank and bracket
// ends its run there; the run is followed by "}" or "]}" or the tail fails.
// The first way (blank, then bracket, taken before left out) whose run is
// not empty gives the group.
bool ItalicTail(TAttemptView& view, std::size_t at, TScanMatch& match) {
    const std::size_t stop = view.Run(at, kItalicGroupStops);
    const int c = view.At(stop);
    if (c < 0) return false;
    if (c == '}') {
        match.end = stop + 1;
    } else if (view.At(stop + 1) == '}') {
        match.end = stop + 2;
    } else {
        return false;
    }
    const std::size_t blank = view.At(at) == ' ' ? 1 : 0;
    for (std::size_t b = blank + 1; b-- > 0;) {
        const std::size_t bracket = view.At(at + b) == '[' ? 1 : 0;
        for (std::size_t k = bracket + 1; k-- > 0;) {
            if (at + b + k < stop) {
                match.groupStart = at + b + k;
                match.groupEnd = stop;
                return true;
            }
        }
    }
    return false;
}

// kItalicPattern from the "{" at `at`, in the pattern's order: first with
// the control word before "\i" (its possessive run stops at the first "\",
// "{" or "}", where "\i" must follow), then without.
bool ItalicAttempt(TAttemptView& view, std::size_t at, TScanMatch& match) {
    auto isI = [](int c) { return c == 'i' || c == 'I'; };
    if (view.At(at + 1) != '\\') return false;
    const std::size_t word = view.Run(at + 2, kItalicWordStops);
    if (view.At(word) == '\\' && isI(view.At(word + 1)) && ItalicTail(view, word + 2, match)) return true;
    return isI(view.At(at + 2)) && ItalicTail(view, at + 3, match);
}

}  // namespace

// kItalicPattern written out (see TAttemptView for when the pattern decides
// instead), with its replacement "[$1]". Matches start at "{" only, and each
// search resumes after the match it replaced. The letter "i" is the only
// letter of the pattern; its other case in the ANSI tables is "I" alone.
bool TBiblePasses::ItalicGroups(std::string& text) {
    TSplice splice(text, replaced_);
    for (std::size_t at = text.find('{'); at != std::string::npos; at = text.find('{', at + 1)) {
        TAttemptView view(text, at);
        TScanMatch match;
        const bool found = ItalicAttempt(view, at, match);
        if (view.Beyond()) return italicGroups.ReplaceAll(text);
        if (!found) continue;
        std::string& out = splice.Replace(at, match.end);
        out += '[';
        out.append(text, match.groupStart, match.groupEnd - match.groupStart);
        out += ']';
        at = match.end - 1;
    }
    return splice.FinishInto(text);
}

namespace {

// The bytes that are not white space (\s) in the ANSI tables: TAB, LF, VT,
// FF, CR and SPACE are, the no-break space 0xA0 is not.
const bool* NonSpaceBytes() {
    static const std::array<bool, 256> bytes = [] {
        std::array<bool, 256> table{};
        const AnsiCharTables& ansi = AnsiCharTables::Get();
        for (std::size_t c = 0; c < table.size(); ++c) table[c] = !ansi.IsSpace(static_cast<unsigned char>(c));
        return table;
    }();
    return bytes.data();
}

// Whether the bytes from `at` are `literal` in either letter case (its
// letters ASCII, whose only other case in the ANSI tables is the ASCII one).
bool ViewHasFolded(TAttemptView& view, std::size_t at, std::string_view literal) {
    for (std::size_t k = 0; k < literal.size(); ++k) {
        const int c = view.At(at + k);
        const char l = literal[k];
        const bool letter = l >= 'a' && l <= 'z';
        if (c != static_cast<unsigned char>(l) && !(letter && c == l - 'a' + 'A')) return false;
    }
    return true;
}

// kEmptyParagraphPattern from the "<p>" at `at`, giving the end of the
// match. Every optional item taken where it can be is the only way to a
// match: leaving out "<i>" that is there leaves "<i" where the white space,
// "&nbsp;", "</i>" or "</p>" would have to start; leaving out "&nbsp;" leaves
// "&" where "</i>" or "</p>" would have to start; leaving out "</i>" leaves
// "</i" where "</p>" would. The white-space runs are possessive.
bool EmptyParagraphAttempt(TAttemptView& view, std::size_t at, std::size_t& end) {
    auto isIB = [](int c) { return c == 'i' || c == 'I' || c == 'b' || c == 'B'; };
    std::size_t pos = at + 3;
    if (view.At(pos) == '<' && isIB(view.At(pos + 1)) && view.At(pos + 2) == '>') pos += 3;
    pos = view.Run(pos, NonSpaceBytes());
    if (ViewHasFolded(view, pos, "&nbsp;")) pos += 6;
    pos = view.Run(pos, NonSpaceBytes());
    if (view.At(pos) == '<' && view.At(pos + 1) == '/' && isIB(view.At(pos + 2)) && view.At(pos + 3) == '>') pos += 4;
    if (!ViewHasFolded(view, pos, "</p>")) return false;
    end = pos + 4;
    return true;
}

}  // namespace

// kEmptyParagraphPattern written out (see TAttemptView for when the pattern
// decides instead), deleting every match. Matches start at "<p>" in either
// case; an attempt anywhere else fails within three bytes.
bool THtmlPasses::EmptyParagraphs(std::string& text) {
    auto findOpen = [&text](std::size_t from) {
        for (std::size_t at = text.find('<', from); at != std::string::npos; at = text.find('<', at + 1)) {
            if (text.size() - at >= 3 && (text[at + 1] == 'p' || text[at + 1] == 'P') && text[at + 2] == '>')
                return at;
        }
        return std::string::npos;
    };
    TSplice splice(text, kept_);
    for (std::size_t at = findOpen(0); at != std::string::npos;) {
        TAttemptView view(text, at);
        std::size_t end = 0;
        const bool found = EmptyParagraphAttempt(view, at, end);
        if (view.Beyond()) return emptyParagraphs.ReplaceAll(text);
        if (!found) {
            at = findOpen(at + 3);
            continue;
        }
        splice.Replace(at, end);
        at = findOpen(end);
    }
    return splice.FinishInto(text);
}

// kBodyTagPattern written out (see TAttemptView for when the pattern decides
// instead): "<body" in either case up to the next ">" becomes "<BODY>". The
// run of non-">" bytes ends at the first ">", which must follow it, so an
// attempt has one way to a match. An attempt anywhere but at "<body" fails
// within five bytes, so only those are made.
bool THtmlPasses::BodyTag(std::string& text) {
    TSplice splice(text, kept_);
    for (std::size_t at = bodyOpen_.Find(text); at != std::string::npos; at = bodyOpen_.Find(text, at + 1)) {
        TAttemptView view(text, at);
        const std::size_t close = view.Run(at + 5, kTagEndStops);
        if (view.Beyond()) return bodyTag.ReplaceAll(text);
        if (close == text.size()) break;  // no ">" in the rest of the text
        splice.Replace(at, close + 1) += kBodyTagReplacement;
        at = close;
    }
    return splice.FinishInto(text);
}

TBiblePasses::TBiblePasses()
    : italicGroups(kItalicPattern, preCaseLess, kItalicReplacement),
      footnoteMarkers(kFootnotePattern, 0, kFootnoteReplacement) {
    italicGroups.SetRequiredLiteral("\\i");
    footnoteMarkers.SetRequiredLiteral("{\\cf6\\super ");
}

namespace {

// The first position at or after `from` where `a` is followed by `b`, or
// npos; sixteen positions are tested at once while seventeen bytes are left.
std::size_t FindPair(std::string_view text, std::size_t from, char a, char b) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(a), second = _mm_set1_epi8(b);
    for (; i + 17 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i pairs = _mm_and_si128(_mm_cmpeq_epi8(x, first), _mm_cmpeq_epi8(next, second));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(pairs));
        if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
    }
#endif
    for (; i + 1 < n; ++i) {
        if (p[i] == a && p[i + 1] == b) return i;
    }
    return std::string_view::npos;
}

// The two marker passes are the patterns kMarkPattern and kUnmarkPattern
// with their replacements, written out: `open`, a run of digits (as the
// passes' character tables define \d) and `close` become `newOpen`, the
// digits and `newClose`. A digit run ends where the digits end, so there is
// nothing to backtrack and the result equals the pattern's on every text.
// They run on every entry and are the hottest passes of a module whose
// entries hold many escapes. (`open` has two bytes or more; its first two
// are looked for together, as a backslash alone is in nearly every control
// word of RTF.)
bool ReplaceNumbered(std::string_view text, std::string_view open, char close, std::string_view newOpen,
                     char newClose, std::string& out) {
    const AnsiCharTables& ansi = AnsiCharTables::Get();
    TSplice splice(text, out);
    const std::string_view rest = open.substr(2);
    for (std::size_t at = FindPair(text, 0, open[0], open[1]); at != std::string_view::npos;
         at = FindPair(text, at + 1, open[0], open[1])) {
        if (text.substr(at + 2, rest.size()) != rest) continue;
        const std::size_t digits = at + open.size();
        std::size_t end = digits;
        while (end < text.size() && ansi.IsDigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == digits || end == text.size() || text[end] != close) continue;
        splice.Replace(at, end + 1).append(newOpen).append(text.substr(digits, end - digits)) += newClose;
        at = end;  // the search goes on after the closing character
    }
    return splice.Finish();
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
    TSplice splice(text, scratch);
    for (std::size_t i = find.Find(text); i != std::string_view::npos; i = find.Find(text, i + find.Size()))
        splice.Replace(i, i + find.Size()).append(replacement);
    return splice.FinishInto(text);
}

namespace {

// The first position at or after `from` where paragraph markup can start: a
// "<" before "D", "d" or "/", or a backslash before "P" or "p". (These are
// the only bytes that the ANSI tables upper-case to the first two bytes of
// "\PAR", "<DIV" and "</DIV>".) Sixteen positions are tested at once while
// seventeen bytes are left.
std::size_t NextMarkupCandidate(std::string_view text, std::size_t from) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<'), backslash = _mm_set1_epi8('\\'), slash = _mm_set1_epi8('/'),
                  lowerBit = _mm_set1_epi8(0x20), d = _mm_set1_epi8('d'), letterP = _mm_set1_epi8('p');
    for (; i + 17 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i nextLower = _mm_or_si128(next, lowerBit);
        const __m128i tagNames = _mm_or_si128(_mm_cmpeq_epi8(nextLower, d), _mm_cmpeq_epi8(next, slash));
        const __m128i tags = _mm_and_si128(_mm_cmpeq_epi8(x, lt), tagNames);
        const __m128i marks = _mm_and_si128(_mm_cmpeq_epi8(x, backslash), _mm_cmpeq_epi8(nextLower, letterP));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(tags, marks)));
        if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
    }
#endif
    for (; i + 1 < n; ++i) {
        const char c = p[i], next = static_cast<char>(p[i + 1] | 0x20);
        if (c == '<' && (next == 'd' || p[i + 1] == '/')) return i;
        if (c == '\\' && next == 'p') return i;
    }
    return std::string_view::npos;
}

}  // namespace

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
    TSplice splice(text, scratch);
    for (std::size_t at = NextMarkupCandidate(text, 0); at != std::string::npos;) {
        std::string_view found, replacement;
        if (text[at] == '\\') {
            if (startsWith(at, "\\PAR")) found = "\\PAR", replacement = "<p>&nbsp;</p>";
        } else if (startsWith(at, "<DIV")) {
            found = "<DIV", replacement = "<p";
        } else if (startsWith(at, "</DIV>")) {
            found = "</DIV>", replacement = "</p>";
        }
        std::size_t resume = at + 1;
        if (!found.empty()) {
            resume = at + found.size();
            splice.Replace(at, resume).append(replacement);
        }
        at = NextMarkupCandidate(text, resume);
    }
    return splice.FinishInto(text);
}

std::string ReplaceTextIgnoringCase(std::string_view text, std::string_view find, std::string_view replacement) {
    std::string out(text), scratch;
    ReplaceTextIgnoringCase(out, TLiteralSearch(find, true), replacement, scratch);
    return out;
}

}  // namespace tovra
