// TPcreRegEx: one compiled regular expression over 8-bit ANSI text (PCRE2,
// 8-bit code units, no UTF mode, JIT-compiled when the library offers it),
// with a replacement template, a replace-all and a first-match operation.
//
// Character classes (\d, \s, \w, POSIX classes) and case-insensitive matching
// follow the Windows-1252 tables of platform/ansi_char_tables.h, so a
// case-insensitive "é" matches "É".
//
// Replace all: the search starts at the beginning of the text; each match (an
// empty match is never a match) is replaced by the expanded template and the
// search resumes right after the inserted replacement, in the text that
// follows the match. Inserted text and the text before it are never searched
// again. Assertions that look behind the resume point (\b, lookbehind) see
// the original text there, not the inserted replacement.
//
// Template expansion, scanned left to right; the scan stops before the
// template's last character, so a final "$" or "\" is always literal:
//   $n, \n    group n: one digit, or two digits when that two-digit number
//             does not exceed the pattern's group count ($0 is the match)
//   ${n}      group n, any number of digits
//   ${name}   the named group (name: letter or underscore, then letters,
//             digits, underscores)
//   \Fn \In \Ln \Un
//             group n with a letter-case conversion (Windows-1252 case):
//             U upper-cases every letter; L lower-cases every letter;
//             F upper-cases the first letter and lower-cases the rest
//             ("first letter": sentence case); I upper-cases the first letter
//             of every word and lower-cases the other letters ("initial
//             capitals": title case; a word starts at a letter that follows
//             neither a letter nor a digit)
//   $$        "$";    \$  "$";    \\  "\"
//   \c        for any other character c: both characters stay
//   $         that starts no reference stays
// A group the pattern does not have, or that took no part in the match,
// inserts nothing. Inserted group text is never scanned again.
//
// Limits. A hostile text can make backtracking explode, or make each of many
// start positions scan to the end of the text. Each search runs under PCRE2's
// match limit, and all searches of one operation share a work budget that
// grows linearly with the text's length (see pcre_regex.cpp); depth and heap
// limits bound the memory of the interpreter, and the JIT uses its own
// bounded stack. An operation that hits a limit leaves the text as it was,
// reports no replacement or no match, and sets LimitHit().
//
// Not thread-safe: an object reuses one match-data block for every search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/literal_search.h"

namespace tovra {

enum TPcreOption : std::uint32_t {
    preCaseLess = 1u << 0,    // letters match either case
    preSingleLine = 1u << 1,  // a dot also matches CR and LF
};
// A set of TPcreOption values; 0 is the empty set.
using TPcreOptions = std::uint32_t;

class TPcreRegEx {
public:
    // Compiles `regEx`. Throws Error with PCRE2's message and the offset when
    // the pattern is invalid.
    explicit TPcreRegEx(std::string_view regEx, TPcreOptions options = 0, std::string_view replacement = {});
    ~TPcreRegEx();
    TPcreRegEx(TPcreRegEx&&) noexcept;
    TPcreRegEx& operator=(TPcreRegEx&&) noexcept;
    TPcreRegEx(const TPcreRegEx&) = delete;
    TPcreRegEx& operator=(const TPcreRegEx&) = delete;

    const std::string& RegEx() const { return regEx_; }
    TPcreOptions Options() const { return options_; }
    const std::string& Replacement() const { return replacement_; }
    // Declares a fixed string that every match of the pattern contains
    // (compared without regard to letter case when the pattern is
    // case-insensitive). An operation then skips, without running the
    // pattern, a text that lacks it. Declaring a string that some match does
    // not contain would lose that match.
    void SetRequiredLiteral(std::string_view literal);

    // Sets and parses a new replacement template.
    void SetReplacement(std::string_view replacement);

    // Number of capture groups of the pattern.
    int GroupCount() const { return groupCount_; }

    // Replaces every match in `text` (rules above). Returns whether at least
    // one match was replaced; when none was, or a limit was hit, `text` is
    // left exactly as it was.
    bool ReplaceAll(std::string& text);
    // The same, writing the result to `out` (which must not alias `text`).
    bool ReplaceAll(std::string_view text, std::string& out);

    // Searches `text` from its start for the first non-empty match. On
    // success the group offsets of that match stay available until the next
    // search; `text` must stay alive and unchanged while they are used.
    bool FirstMatch(std::string_view text);
    // Start and end offsets of group `index` in the last match; false when the
    // group does not exist or took no part in the match.
    bool GroupOffsets(int index, std::size_t& start, std::size_t& end) const;
    // Text of group `index` of the last match; empty when GroupOffsets fails.
    std::string_view Group(int index) const;

    // True when the last operation stopped at a match, depth, heap or JIT
    // stack limit (and so changed or matched nothing).
    bool LimitHit() const { return limitHit_; }

    // The windows of the bounded search (pcre_regex.cpp). A search over a text
    // no longer than kFirstWindow is one run over the whole text. An attempt
    // that needs text beyond a first-tier window is re-run from its start over
    // kFirstSpan bytes, or twice the bytes it had read, whichever is more.
    static constexpr std::size_t kFirstWindow = 512;
    static constexpr std::size_t kFirstSpan = 256;

private:
    struct Piece;
    struct Pcre;

    enum class SearchResult { Match, NoMatch, Limit };
    SearchResult Search(std::string_view text, std::size_t start, std::uint64_t& budget);
    // ReplaceAll without the copy of an unchanged text: `out` is only valid
    // when it returns true.
    bool ReplaceInto(std::string_view text, std::string& out);
    void ParseTemplate();
    void Expand(std::string_view text, std::string& out) const;

    std::string regEx_;
    TPcreOptions options_ = 0;
    std::string replacement_;
    int groupCount_ = 0;
    std::unique_ptr<Pcre> pcre_;
    std::vector<Piece> pieces_;
    std::string literals_;  // the literal bytes of the parsed template
    TLiteralSearch required_;
    std::string buffer_;    // reused output of the in-place ReplaceAll
    std::string_view subject_;
    bool matched_ = false;
    bool limitHit_ = false;
};

}  // namespace tovra
