// Finding a fixed string in a text, optionally without regard to letter case
// (both sides compared after upper-casing with the ANSI tables).
//
// The plain replacements use it to find what they replace, and the
// regular-expression passes use it to skip texts that cannot hold a match:
// a pattern whose every match contains a fixed string cannot match a text
// that lacks it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovra {

class TLiteralSearch {
public:
    // An empty literal is found at every position.
    explicit TLiteralSearch(std::string_view literal = {}, bool ignoreCase = false);

    // The first position at or after `from` where the literal starts, or
    // std::string_view::npos.
    std::size_t Find(std::string_view text, std::size_t from = 0) const;

    std::size_t Size() const { return literal_.size(); }
    bool Empty() const { return literal_.empty(); }

private:
    std::string literal_;   // upper-cased when letter case is ignored
    bool ignoreCase_ = false;
    // The byte that starts every occurrence when there is only one such
    // byte (memchr finds the candidates); -1 when there are several.
    int onlyFirst_ = -1;
    bool first_[256] = {};  // bytes that can start an occurrence
    // When at most two bytes can start an occurrence and at most two can
    // follow them, candidates are found by testing both bytes of sixteen
    // positions at once; the pairs below repeat a byte when there is one.
    bool pairScan_ = false;
    unsigned char firstPair_[2] = {}, secondPair_[2] = {};
};

}  // namespace tovra
