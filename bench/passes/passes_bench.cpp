// passes_bench: throughput of each text pass, in MB/s, over generated texts
// like those of e-Sword modules, and the time of the Bible sequence (marking,
// italic groups, footnote markers, unmarking) over 31,102 verses.
//
// Each pass runs over two corpora: one where it finds matches, and one built
// from the same material with the pass's groups taken out (the common case of
// most entries). Every figure is the best of several runs.
#include "engine/text_passes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace tovra;

namespace {

constexpr int kVerses = 31102;

const char* const kWords[] = {"And", "God", "said", "Let", "there", "be", "light", "and", "there", "was",
                              "light", "in", "the", "beginning", "created", "heaven", "earth", "waters",
                              "upon", "face", "of", "deep", "Spirit", "moved", "darkness", "\xE9l\xE8ve"};

std::string Words(std::mt19937& random, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += kWords[random() % std::size(kWords)];
    }
    return out;
}

// A verse as a Bible module stores it: RTF fragments with italic groups,
// footnote markers, colour groups and Unicode escapes.
std::string Verse(std::mt19937& random, bool withGroups) {
    std::string v = Words(random, 6 + static_cast<int>(random() % 10));
    if (withGroups) {
        if (random() % 3 == 0) v += " {\\i " + Words(random, 1 + static_cast<int>(random() % 3)) + "}";
        if (random() % 5 == 0) v += " {\\cf15\\i " + Words(random, 1) + "}";
        if (random() % 4 == 0) v += "{\\cf6\\super " + std::to_string(random() % 30) + "}";
        if (random() % 6 == 0) v += " {\\cf11 " + Words(random, 2) + "}";
        if (random() % 4 == 0) v += " \\u8212? ";
    } else {
        if (random() % 3 == 0) v += " {\\b " + Words(random, 2) + "}";
        if (random() % 4 == 0) v += "{\\cf2 " + Words(random, 1) + "}";
    }
    v += " " + Words(random, 4 + static_cast<int>(random() % 8)) + ".";
    return v;
}

// An HTML page as the writer produces it for a dictionary entry.
std::string Page(std::mt19937& random, bool withGroups) {
    std::string p = "<html>\r\n<head>\r\n<title>Entry</title>\r\n</head>\r\n";
    p += withGroups ? "<body bgcolor=\"#FFFFFF\" text=\"#000000\">\r\n" : "<BODY>\r\n";
    const int paragraphs = 4 + static_cast<int>(random() % 6);
    for (int i = 0; i < paragraphs; ++i) {
        if (withGroups) {
            p += "<DIV align=left><FONT face=\"Times New Roman\" size=3>" + Words(random, 12) +
                 "</FONT> <U>see_also</U> <b>" + Words(random, 2) + "</b></DIV>\r\n";
            if (random() % 2) p += "<p>&nbsp;</p>\r\n<p><i> </i></p>\r\n";
            if (random() % 3 == 0) p += "\\par [tovraUC8212] {\\cf11 " + Words(random, 2) + "}\r\n";
        } else {
            p += "<p align=left><span class=x>" + Words(random, 12) + "</span> <u>seealso</u> <b>" +
                 Words(random, 2) + "</b></p>\r\n";
            if (random() % 2) p += "<p>text</p>\r\n";
        }
    }
    p += "</BODY>\r\n</html>\r\n";
    return p;
}

std::vector<std::string> Corpus(bool bible, bool withGroups, std::size_t targetBytes, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> texts;
    std::size_t total = 0;
    while (total < targetBytes) {
        texts.push_back(bible ? Verse(random, withGroups) : Page(random, withGroups));
        total += texts.back().size();
    }
    return texts;
}

std::size_t Bytes(const std::vector<std::string>& texts) {
    std::size_t n = 0;
    for (const auto& t : texts) n += t.size();
    return n;
}

// Best time in seconds of `runs` runs of `body` over fresh copies of `texts`.
double Best(const std::vector<std::string>& texts, const std::function<void(std::string&)>& body, int runs = 5) {
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        std::vector<std::string> copy = texts;
        const auto start = std::chrono::steady_clock::now();
        for (std::string& t : copy) body(t);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, s);
    }
    return best;
}

void Report(const char* name, const std::vector<std::string>& with, const std::vector<std::string>& without,
            const std::function<void(std::string&)>& body) {
    const double a = Best(with, body), b = Best(without, body);
    std::printf("%-28s %9.1f MB/s with matches %9.1f MB/s without\n", name, Bytes(with) / a / 1e6,
                Bytes(without) / b / 1e6);
}

}  // namespace

int main() {
    const std::size_t kCorpusBytes = 8 << 20;
    const auto versesWith = Corpus(true, true, kCorpusBytes, 1);
    const auto versesWithout = Corpus(true, false, kCorpusBytes, 2);
    const auto pagesWith = Corpus(false, true, kCorpusBytes, 3);
    const auto pagesWithout = Corpus(false, false, kCorpusBytes, 4);
    std::printf("corpora: %zu verses (%.1f MB) with groups, %zu without; %zu pages (%.1f MB) with, %zu without\n",
                versesWith.size(), Bytes(versesWith) / 1e6, versesWithout.size(), pagesWith.size(),
                Bytes(pagesWith) / 1e6, pagesWithout.size());

    TBiblePasses bible;
    THtmlPasses html;
    Report("MarkUnicodeEscapes", versesWith, versesWithout, [](std::string& t) { t = MarkUnicodeEscapes(t); });
    const auto markedWith = [&] {
        auto m = versesWith;
        for (auto& t : m) t = MarkUnicodeEscapes(t);
        return m;
    }();
    Report("UnmarkUnicodeEscapes", markedWith, versesWithout, [](std::string& t) { t = UnmarkUnicodeEscapes(t); });
    Report("italic groups", versesWith, versesWithout, [&](std::string& t) { bible.ItalicGroups(t); });
    Report("footnote markers", versesWith, versesWithout, [&](std::string& t) { bible.FootnoteMarkers(t); });
    // The writer's pages carry an upper-case body only in the second corpus.
    Report("ExtractBody", pagesWithout, pagesWith, [](std::string& t) { t = ExtractBody(t); });
    Report("body tag", pagesWith, pagesWithout, [&](std::string& t) { html.BodyTag(t); });
    Report("colour-11 groups", pagesWith, pagesWithout, [&](std::string& t) { html.Colour11Groups(t); });
    Report("underlines around _", pagesWith, pagesWithout, [&](std::string& t) { html.UnderlinedUnderscores(t); });
    Report("font tags", pagesWith, pagesWithout, [&](std::string& t) { html.FontTags(t); });
    Report("empty paragraphs", pagesWith, pagesWithout, [&](std::string& t) { html.EmptyParagraphs(t); });
    Report("plain \\par", pagesWith, pagesWithout,
           [](std::string& t) { t = ReplaceTextIgnoringCase(t, "\\par", "<p>&nbsp;</p>"); });
    Report("plain <DIV", pagesWith, pagesWithout, [](std::string& t) { t = ReplaceTextIgnoringCase(t, "<DIV", "<p"); });
    Report("plain </DIV>", pagesWith, pagesWithout,
           [](std::string& t) { t = ReplaceTextIgnoringCase(t, "</DIV>", "</p>"); });

    // Hostile entries of about 1 MB: the time until the pass gives up (or
    // finishes), which the work limits keep short.
    std::string repeatedItalics, shortFailures, repeatedNotes, bodies;
    while (repeatedItalics.size() < (1 << 20)) repeatedItalics += "{\\i a";
    repeatedItalics += "]x}";
    while (shortFailures.size() < (1 << 20)) {
        for (int k = 0; k < 100; ++k) shortFailures += "{\\i a";  // each attempt fails ~500 bytes on
        shortFailures += "]x";
    }
    while (repeatedNotes.size() < (1 << 20)) repeatedNotes += "{\\cf6\\super a";
    repeatedNotes += "\n}";
    while (bodies.size() < (1 << 20)) bodies += "<BODY>";
    const std::string underscores = "<U>" + std::string(1 << 20, '_') + "<x";
    const std::string blanks = "<p>" + std::string(1 << 20, ' ') + "x</p>";
    auto hostile = [](const char* name, const std::string& text, const std::function<void(std::string&)>& body) {
        const double s = Best({text}, body, 3);
        std::printf("hostile %-34s %6.1f ms for %.1f MB\n", name, s * 1e3, text.size() / 1e6);
    };
    hostile("italics, one long failing scan each", repeatedItalics, [&](std::string& t) { bible.ItalicGroups(t); });
    hostile("italics, 500-byte failing scans", shortFailures, [&](std::string& t) { bible.ItalicGroups(t); });
    hostile("footnotes, one long failing scan each", repeatedNotes, [&](std::string& t) { bible.FootnoteMarkers(t); });
    hostile("ExtractBody, unclosed bodies", bodies, [](std::string& t) { t = ExtractBody(t); });
    hostile("underlines, 1M underscores", underscores, [&](std::string& t) { html.UnderlinedUnderscores(t); });
    hostile("empty paragraphs, 1M blanks", blanks, [&](std::string& t) { html.EmptyParagraphs(t); });

    // The Bible sequence over one Bible's verses; the passes object is made
    // once, as for one file.
    std::mt19937 random(5);
    std::vector<std::string> verses;
    for (int i = 0; i < kVerses; ++i) verses.push_back(Verse(random, true));
    bool italics = false, footnotes = false;
    const double sequence = Best(verses, [&](std::string& t) {
        t = MarkUnicodeEscapes(t);
        italics |= bible.ItalicGroups(t);
        footnotes |= bible.FootnoteMarkers(t);
        t = UnmarkUnicodeEscapes(t);
    });
    std::printf("Bible sequence (mark, italics, footnotes, unmark), %d verses, %.1f MB: %.2f ms%s%s\n", kVerses,
                Bytes(verses) / 1e6, sequence * 1e3, italics ? "" : " (no italics found!)",
                footnotes ? "" : " (no footnotes found!)");
    return 0;
}
