// A Bible's versification: its books with their names and the number of
// verses of every chapter, as read from a tab-separated table.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace tovra::mkmodule {

struct TBookVersification {
    std::string name;                 // full name: "Genesis", "1 Samuel"
    std::string abbrev;               // short name: "Gen", "1Sam"
    std::vector<int> chapterVerses;   // entry c - 1: verses of chapter c
};

struct TVersification {
    std::vector<TBookVersification> books;  // entry b - 1: book b

    int VerseTotal() const;
};

// Reads a table whose first line is the header "book, name, abbrev, chapter,
// verses" (tab separated) and whose other lines give one chapter each, books
// numbered from 1 in order, chapters from 1 in order. Empty lines are
// ignored; CR LF line ends are accepted. Throws tovra::Error naming the line
// on any other content.
TVersification ReadVersification(std::istream& in, const std::string& sourceName);
TVersification ReadVersificationFile(const std::string& path);

}  // namespace tovra::mkmodule
