// TPcreRegEx over PCRE2 (8-bit). Compiled once; one match-data block, one
// match context and one JIT stack serve every search of the object.
//
// Bounded searching. A backtracking matcher tries every start position in
// turn, and an attempt can scan far ahead before it fails: "{\i a" repeated
// 20,000 times and closed by "]x}" makes each of the 20,000 attempts of the
// italic-groups pattern scan to the end, which is quadratic, and PCRE2's match
// limit does not see it (it counts backtracking, not the scanning of a
// character-class repeat). So every search runs in two tiers:
//   1. An unanchored search over a window of kWindow bytes from the search
//      point, with hard partial matching: an attempt that reaches the window's
//      end stops the search there and reports where it began. Attempts inside
//      a window therefore cost at most kWindow bytes each.
//   2. The attempt that reached the end is re-run anchored at its start over
//      windows that double until it is decided. Each of these runs is charged
//      its window length against a budget shared by the whole operation,
//      kBudgetBase + kBudgetPerByte bytes per byte of the text.
// The first complete match found this way is exactly the match an unbounded
// search finds: partial matching reports the earliest attempt that needs more
// text before any later complete match, and an attempt that never touches the
// window's end behaves as it would on the whole text. Within each run PCRE2's
// match limit bounds backtracking, its heap and depth limits bound the
// interpreter's memory, and the JIT stack is bounded; reaching any limit or
// spending the budget ends the operation with the text unchanged.
#include "engine/pcre_regex.h"

#include "engine/pcre_char_tables.h"
#include "platform/ansi_char_tables.h"
#include "platform/error.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace tovra {
namespace {

// Window of the unanchored first tier. Larger windows need fewer tier-two
// runs on long matches; smaller ones bound the scanning of hostile text more
// tightly (at most kWindow bytes per attempt, so at most kWindow times the
// text's length in all).
constexpr std::size_t kWindow = TPcreRegEx::kFirstWindow;
// First window of a tier-two run.
constexpr std::size_t kMinSpan = TPcreRegEx::kFirstSpan;
// Tier-two bytes an operation may spend: a legitimate text needs about twice
// the length of the matches that cross a window, far below this.
constexpr std::uint64_t kBudgetBase = 1u << 20;
constexpr std::uint64_t kBudgetPerByte = 16;
// Backtracking steps of one run: a base plus a few per byte of its window.
constexpr std::uint32_t kMatchLimitBase = 200000;
constexpr std::uint32_t kMatchLimitPerByte = 8;
// Interpreter memory: nesting depth of backtracking points, heap in KiB.
constexpr std::uint32_t kDepthLimit = 10000;
constexpr std::uint32_t kHeapLimitKiB = 16 * 1024;
// JIT stack (the JIT never uses the machine stack beyond its own frame).
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 1024 * 1024;

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsAsciiDigit(c); }

std::string CompileErrorText(int code, PCRE2_SIZE offset) {
    PCRE2_UCHAR buffer[256];
    if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0) buffer[0] = 0;
    return "Invalid regular expression at offset " + std::to_string(offset) + ": " +
           reinterpret_cast<const char*>(buffer);
}

}  // namespace

// One part of a parsed template: literal bytes or a group reference.
struct TPcreRegEx::Piece {
    enum class Case { None, Upper, Lower, First, Initials };
    bool literal = true;
    std::size_t offset = 0, length = 0;  // literal: bytes of literals_
    int group = -1;                      // reference: group number, -1 for none
    Case conversion = Case::None;
};

struct TPcreRegEx::Pcre {
    pcre2_compile_context* compileContext = nullptr;
    pcre2_code* code = nullptr;
    pcre2_code* anchoredCode = nullptr;  // the same pattern anchored, for tier two
    bool jit = false;                    // both codes run as JIT code
    pcre2_match_data* matchData = nullptr;
    pcre2_match_context* matchContext = nullptr;
    pcre2_jit_stack* jitStack = nullptr;

    ~Pcre() {
        pcre2_jit_stack_free(jitStack);
        pcre2_match_context_free(matchContext);
        pcre2_match_data_free(matchData);
        pcre2_code_free(anchoredCode);
        pcre2_code_free(code);
        pcre2_compile_context_free(compileContext);
    }
};

TPcreRegEx::TPcreRegEx(std::string_view regEx, TPcreOptions options, std::string_view replacement)
    : regEx_(regEx), options_(options), replacement_(replacement), pcre_(std::make_unique<Pcre>()) {
    Pcre& p = *pcre_;
    p.compileContext = pcre2_compile_context_create(nullptr);
    if (!p.compileContext) throw Error("Out of memory compiling a regular expression");
    if (const std::uint8_t* tables = AnsiPcreTables()) pcre2_set_character_tables(p.compileContext, tables);

    std::uint32_t flags = 0;
    if (options & preCaseLess) flags |= PCRE2_CASELESS;
    if (options & preSingleLine) flags |= PCRE2_DOTALL;
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    p.code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(regEx_.data()), regEx_.size(), flags, &errorCode,
                           &errorOffset, p.compileContext);
    if (!p.code) throw Error(CompileErrorText(errorCode, errorOffset));
    // The JIT cannot anchor a search at match time, so the tier-two runs use
    // a second code compiled anchored.
    p.anchoredCode = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(regEx_.data()), regEx_.size(),
                                   flags | PCRE2_ANCHORED, &errorCode, &errorOffset, p.compileContext);
    if (!p.anchoredCode) throw Error(CompileErrorText(errorCode, errorOffset));
    // Without JIT support the interpreter serves, under the same limits.
    const std::uint32_t jitModes = PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD;
    p.jit = pcre2_jit_compile(p.code, jitModes) == 0 && pcre2_jit_compile(p.anchoredCode, jitModes) == 0;

    std::uint32_t captures = 0;
    pcre2_pattern_info(p.code, PCRE2_INFO_CAPTURECOUNT, &captures);
    groupCount_ = static_cast<int>(captures);
    p.matchData = pcre2_match_data_create_from_pattern(p.code, nullptr);
    p.matchContext = pcre2_match_context_create(nullptr);
    if (!p.matchData || !p.matchContext) throw Error("Out of memory compiling a regular expression");
    pcre2_set_depth_limit(p.matchContext, kDepthLimit);
    pcre2_set_heap_limit(p.matchContext, kHeapLimitKiB);
    p.jitStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    if (p.jitStack) pcre2_jit_stack_assign(p.matchContext, nullptr, p.jitStack);
    ParseTemplate();
}

TPcreRegEx::~TPcreRegEx() = default;
TPcreRegEx::TPcreRegEx(TPcreRegEx&&) noexcept = default;
TPcreRegEx& TPcreRegEx::operator=(TPcreRegEx&&) noexcept = default;

void TPcreRegEx::SetReplacement(std::string_view replacement) {
    replacement_ = replacement;
    ParseTemplate();
}

void TPcreRegEx::ParseTemplate() {
    pieces_.clear();
    literals_.clear();
    const std::string& t = replacement_;
    const std::size_t n = t.size();

    auto addLiteral = [&](std::string_view bytes) {
        if (!pieces_.empty() && pieces_.back().literal &&
            pieces_.back().offset + pieces_.back().length == literals_.size()) {
            pieces_.back().length += bytes.size();
        } else {
            Piece piece;
            piece.offset = literals_.size();
            piece.length = bytes.size();
            pieces_.push_back(piece);
        }
        literals_.append(bytes);
    };
    auto addGroup = [&](int group, Piece::Case conversion) {
        // A group the pattern lacks inserts nothing: no piece at all.
        if (group < 0 || group > groupCount_) return;
        Piece piece;
        piece.literal = false;
        piece.group = group;
        piece.conversion = conversion;
        pieces_.push_back(piece);
    };
    // Reads the group number at t[i] (a digit): one digit, or two when the
    // two-digit number is a group of the pattern. Advances i past it.
    auto readNumber = [&](std::size_t& i) {
        int number = t[i] - '0';
        ++i;
        if (i < n && IsAsciiDigit(t[i])) {
            const int two = number * 10 + (t[i] - '0');
            if (two <= groupCount_) {
                number = two;
                ++i;
            }
        }
        return number;
    };

    std::size_t i = 0;
    // The scan stops before the last character: a reference may end on it,
    // but none starts there.
    while (n > 0 && i < n - 1) {
        const char c = t[i];
        const char next = t[i + 1];
        if (c == '$') {
            if (next == '$') {
                addLiteral("$");
                i += 2;
            } else if (IsAsciiDigit(next)) {
                ++i;
                addGroup(readNumber(i), Piece::Case::None);
            } else if (next == '{') {
                const std::size_t close = t.find('}', i + 2);
                const std::string_view inside =
                    close == std::string::npos ? std::string_view() : std::string_view(t).substr(i + 2, close - i - 2);
                const bool number = !inside.empty() && std::all_of(inside.begin(), inside.end(), IsAsciiDigit);
                const bool name = !inside.empty() && IsNameStart(inside[0]) &&
                                  std::all_of(inside.begin(), inside.end(), IsNameChar);
                if (number) {
                    long long value = 0;
                    for (char d : inside) value = std::min<long long>(value * 10 + (d - '0'), 1LL << 40);
                    addGroup(value > groupCount_ ? -1 : static_cast<int>(value), Piece::Case::None);
                    i = close + 1;
                } else if (name) {
                    const std::string nameText(inside);
                    const int found = pcre2_substring_number_from_name(
                        pcre_->code, reinterpret_cast<PCRE2_SPTR>(nameText.c_str()));
                    addGroup(found > 0 ? found : -1, Piece::Case::None);
                    i = close + 1;
                } else {
                    addLiteral("$");  // starts no reference
                    ++i;
                }
            } else {
                addLiteral("$");
                ++i;
            }
        } else if (c == '\\') {
            if (next == '$' || next == '\\') {
                addLiteral(std::string_view(&t[i + 1], 1));
                i += 2;
            } else if (IsAsciiDigit(next)) {
                ++i;
                addGroup(readNumber(i), Piece::Case::None);
            } else if ((next == 'F' || next == 'I' || next == 'L' || next == 'U') && i + 2 < n &&
                       IsAsciiDigit(t[i + 2])) {
                const Piece::Case conversion = next == 'F'   ? Piece::Case::First
                                               : next == 'I' ? Piece::Case::Initials
                                               : next == 'L' ? Piece::Case::Lower
                                                             : Piece::Case::Upper;
                i += 2;
                addGroup(readNumber(i), conversion);
            } else {
                addLiteral(std::string_view(&t[i], 2));  // both characters stay
                i += 2;
            }
        } else {
            const std::size_t stop = t.find_first_of("$\\", i);
            const std::size_t end = std::min(stop == std::string::npos ? n - 1 : stop, n - 1);
            addLiteral(std::string_view(t).substr(i, std::max<std::size_t>(end - i, 1)));
            i = std::max(end, i + 1);
        }
    }
    if (i == n - 1 && n > 0) addLiteral(std::string_view(&t[n - 1], 1));
}

TPcreRegEx::SearchResult TPcreRegEx::Search(std::string_view text, std::size_t start, std::uint64_t& budget) {
    Pcre& p = *pcre_;
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    const std::size_t n = text.size();
    auto run = [&](std::size_t from, std::size_t end, bool anchored) {
        const std::size_t span = end - from;
        const std::uint64_t limit = kMatchLimitBase + std::uint64_t{kMatchLimitPerByte} * span;
        pcre2_set_match_limit(p.matchContext, static_cast<std::uint32_t>(
                                                  std::min<std::uint64_t>(limit, std::numeric_limits<std::uint32_t>::max())));
        const std::uint32_t flags = PCRE2_NOTEMPTY | (end < n ? PCRE2_PARTIAL_HARD : 0);
        pcre2_code* code = anchored ? p.anchoredCode : p.code;
        if (p.jit) return pcre2_jit_match(code, subject, end, from, flags, p.matchData, p.matchContext);
        return pcre2_match(code, subject, end, from, flags, p.matchData, p.matchContext);
    };

    std::size_t from = start;
    while (from <= n) {
        const std::size_t end = n - from > kWindow ? from + kWindow : n;
        const int rc = run(from, end, false);
        if (rc >= 0) return SearchResult::Match;
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (end == n) return SearchResult::NoMatch;
            from = end;  // every attempt that starts in the window failed
            continue;
        }
        if (rc != PCRE2_ERROR_PARTIAL) return SearchResult::Limit;

        // The attempt at `attempt` needs text beyond the window: decide it on
        // its own, over growing windows, charged to the budget.
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(p.matchData);
        const std::size_t attempt = std::max<std::size_t>(ovector[0], from);
        std::size_t span = std::max(kMinSpan, 2 * (end - attempt));
        for (;;) {
            const std::size_t attemptEnd = n - attempt > span ? attempt + span : n;
            const std::uint64_t cost = attemptEnd - attempt;
            if (cost > budget) return SearchResult::Limit;
            budget -= cost;
            const int arc = run(attempt, attemptEnd, true);
            if (arc >= 0) return SearchResult::Match;
            if (arc == PCRE2_ERROR_NOMATCH) break;
            if (arc != PCRE2_ERROR_PARTIAL || attemptEnd == n) return SearchResult::Limit;
            span = span > n ? n : 2 * span;
        }
        from = attempt + 1;
    }
    return SearchResult::NoMatch;
}

void TPcreRegEx::Expand(std::string_view text, std::string& out) const {
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(pcre_->matchData);
    const AnsiCharTables& ansi = AnsiCharTables::Get();
    for (const Piece& piece : pieces_) {
        if (piece.literal) {
            out.append(literals_, piece.offset, piece.length);
            continue;
        }
        const PCRE2_SIZE gs = ovector[2 * piece.group];
        const PCRE2_SIZE ge = ovector[2 * piece.group + 1];
        if (gs == PCRE2_UNSET || ge < gs) continue;  // took no part in the match
        const std::size_t at = out.size();
        out.append(text.substr(gs, ge - gs));
        if (piece.conversion == Piece::Case::None) continue;
        bool first = true;             // for F: no letter seen yet
        bool afterWordChar = false;    // for I: previous byte a letter or digit
        for (std::size_t k = at; k < out.size(); ++k) {
            const unsigned char c = static_cast<unsigned char>(out[k]);
            unsigned char r = c;
            switch (piece.conversion) {
                case Piece::Case::Upper: r = ansi.ToUpper(c); break;
                case Piece::Case::Lower: r = ansi.ToLower(c); break;
                case Piece::Case::First:
                    if (ansi.IsLetter(c)) {
                        r = first ? ansi.ToUpper(c) : ansi.ToLower(c);
                        first = false;
                    }
                    break;
                case Piece::Case::Initials:
                    if (ansi.IsLetter(c)) r = afterWordChar ? ansi.ToLower(c) : ansi.ToUpper(c);
                    afterWordChar = ansi.IsLetter(c) || ansi.IsDigit(c);
                    break;
                case Piece::Case::None: break;
            }
            out[k] = static_cast<char>(r);
        }
    }
}

bool TPcreRegEx::ReplaceAll(std::string_view text, std::string& out) {
    if (ReplaceInto(text, out)) return true;
    out.assign(text);
    return false;
}

bool TPcreRegEx::ReplaceInto(std::string_view text, std::string& out) {
    matched_ = false;
    limitHit_ = false;
    subject_ = {};
    // A text that lacks the string every match contains has no match.
    if (!required_.Empty() && required_.Find(text) == std::string_view::npos) return false;
    std::uint64_t budget = kBudgetBase + kBudgetPerByte * text.size();
    std::size_t from = 0;     // where the next search starts
    std::size_t copied = 0;   // text before this is already in `out`
    bool replaced = false;
    for (;;) {
        const SearchResult result = Search(text, from, budget);
        if (result == SearchResult::Limit) {
            limitHit_ = true;
            return false;
        }
        if (result == SearchResult::NoMatch) break;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(pcre_->matchData);
        // (\K in a lookahead can report an end before the start or a start
        // before the search point; the text is never copied twice.)
        const std::size_t ms = std::max<std::size_t>(ovector[0], copied);
        const std::size_t me = std::max<std::size_t>(ovector[1], ms);
        if (!replaced) {
            out.clear();
            out.reserve(text.size() + text.size() / 8);
            replaced = true;
        }
        out.append(text.substr(copied, ms - copied));
        Expand(text, out);
        copied = me;
        // A non-empty match always ends after the search point.
        from = me > from ? me : from + 1;
        if (from > text.size()) break;
    }
    if (!replaced) return false;
    if (copied < text.size()) out.append(text.substr(copied));
    return true;
}

bool TPcreRegEx::ReplaceAll(std::string& text) {
    if (!ReplaceInto(text, buffer_)) return false;
    text.swap(buffer_);
    return true;
}

void TPcreRegEx::SetRequiredLiteral(std::string_view literal) {
    required_ = TLiteralSearch(literal, (options_ & preCaseLess) != 0);
}

bool TPcreRegEx::FirstMatch(std::string_view text) {
    limitHit_ = false;
    if (!required_.Empty() && required_.Find(text) == std::string_view::npos) {
        matched_ = false;
        subject_ = {};
        return false;
    }
    std::uint64_t budget = kBudgetBase + kBudgetPerByte * text.size();
    const SearchResult result = Search(text, 0, budget);
    limitHit_ = result == SearchResult::Limit;
    matched_ = result == SearchResult::Match;
    subject_ = matched_ ? text : std::string_view();
    return matched_;
}

bool TPcreRegEx::GroupOffsets(int index, std::size_t& start, std::size_t& end) const {
    if (!matched_ || index < 0 || index > groupCount_) return false;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(pcre_->matchData);
    if (ovector[2 * index] == PCRE2_UNSET || ovector[2 * index + 1] < ovector[2 * index]) return false;
    start = ovector[2 * index];
    end = ovector[2 * index + 1];
    return true;
}

std::string_view TPcreRegEx::Group(int index) const {
    std::size_t start = 0, end = 0;
    if (!GroupOffsets(index, start, end)) return {};
    return subject_.substr(start, end - start);
}

}  // namespace tovra
