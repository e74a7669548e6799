// Parsing the versification table.
#include "tools/mkmodule/versification.h"

#include <charconv>
#include <fstream>
#include <numeric>

#include "platform/error.h"

namespace tovra::mkmodule {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool ParseNumber(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

int TVersification::VerseTotal() const {
    int total = 0;
    for (const TBookVersification& book : books)
        total = std::accumulate(book.chapterVerses.begin(), book.chapterVerses.end(), total);
    return total;
}

TVersification ReadVersification(std::istream& in, const std::string& sourceName) {
    TVersification result;
    std::string line;
    int lineNumber = 0;
    bool headerSeen = false;
    auto fail = [&](const std::string& what) {
        throw Error(sourceName + " line " + std::to_string(lineNumber) + ": " + what);
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> f = SplitTabs(line);
        if (!headerSeen) {
            if (f != std::vector<std::string>{"book", "name", "abbrev", "chapter", "verses"})
                fail("expected the header \"book name abbrev chapter verses\"");
            headerSeen = true;
            continue;
        }
        if (f.size() != 5) fail("expected 5 tab-separated fields");
        int book = 0, chapter = 0, verses = 0;
        if (!ParseNumber(f[0], book) || !ParseNumber(f[3], chapter) || !ParseNumber(f[4], verses))
            fail("book, chapter and verses must be numbers");
        if (f[1].empty() || f[2].empty()) fail("empty book name or abbreviation");
        if (verses < 1) fail("a chapter needs at least one verse");
        const int books = static_cast<int>(result.books.size());
        if (book == books + 1) {
            result.books.push_back({f[1], f[2], {}});
        } else if (book != books || books == 0) {
            fail("books must be numbered 1, 2, 3 ... in order");
        }
        TBookVersification& current = result.books.back();
        if (current.name != f[1] || current.abbrev != f[2]) fail("book names change within a book");
        if (chapter != static_cast<int>(current.chapterVerses.size()) + 1)
            fail("chapters must be numbered 1, 2, 3 ... in order");
        current.chapterVerses.push_back(verses);
    }
    if (!headerSeen) throw Error(sourceName + ": no versification header");
    if (result.books.empty()) throw Error(sourceName + ": no books");
    return result;
}

TVersification ReadVersificationFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("Cannot read " + path);
    return ReadVersification(in, path);
}

}  // namespace tovra::mkmodule
