// ReadStream throughput on three synthetic corpora shaped like e-Sword
// module text, and the throughput of unrtf --html and pandoc -f rtf -t html
// (as whole programs, one run per entry file) on samples of the same corpus.
//
// Usage: rtf_reader_bench [entries-per-corpus] [unrtf-sample] [pandoc-sample]
// Defaults: 20000 entries, 300 files for unrtf, 60 for pandoc; a sample of 0
// skips that program. Throughput is input bytes per CPU second (of this
// process for the reader, of the child processes, shell included, for the
// programs), so that a busy machine does not distort the ratio.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "richtext/rtf_reader.h"

namespace {

using namespace tovra;

// CPU seconds of this process, or of its finished children: the figures
// stay meaningful on a loaded machine, where wall time is shared.
double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

const char* const kWords[] = {"the",  "LORD", "said", "unto",  "Moses", "and",  "of",  "that",    "shall", "be",
                              "in",   "his",  "they", "which", "heaven", "earth", "God", "children", "Israel",
                              "word", "from", "upon", "father", "name", "was",   "for", "with",    "people"};

std::string Words(std::mt19937& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += kWords[rng() % std::size(kWords)];
    }
    return s;
}

// (a) A dictionary entry: header, font and colour tables, a bold coloured
// headword and paragraphs mixing bold, italic, colour and size changes.
std::string DictionaryEntry(std::mt19937& rng) {
    std::string s =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 "
        "Times New Roman;}{\\f2\\fnil\\fcharset161 Greek;}}{\\colortbl ;\\red0\\green0\\blue255;\\red255\\green0"
        "\\blue0;\\red0\\green128\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20{\\b\\cf1 " +
        Words(rng, 2) + "}\\par\\pard\\f1\\fs24 ";
    int paragraphs = 2 + static_cast<int>(rng() % 5);
    for (int p = 0; p < paragraphs; ++p) {
        int pieces = 4 + static_cast<int>(rng() % 8);
        for (int i = 0; i < pieces; ++i) {
            switch (rng() % 6) {
                case 0: s += "{\\b " + Words(rng, 3) + "} "; break;
                case 1: s += "\\i " + Words(rng, 4) + "\\i0  "; break;
                case 2: s += "{\\cf2 " + Words(rng, 2) + " " + std::to_string(rng() % 50) + ":" +
                             std::to_string(rng() % 30) + "}; "; break;
                case 3: s += "{\\f2 \\'e1\\'e3\\'e1\\'f0\\'e7} "; break;
                default: s += Words(rng, 8) + ", "; break;
            }
        }
        s += "\\par\r\n";
    }
    return s + "}";
}

// (b) A dictionary entry in Western text only: Windows-1252 fonts, accented
// letters as escapes and as raw bytes, quotes and dashes. The reader's fast
// path for plain Western text is measured here.
std::string WesternEntry(std::mt19937& rng) {
    std::string s =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 "
        "Times New Roman;}}{\\colortbl ;\\red0\\green0\\blue255;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard"
        "\\f0\\fs20{\\b\\cf1 " +
        Words(rng, 2) + "}\\par\\pard\\f1\\fs24 ";
    int paragraphs = 2 + static_cast<int>(rng() % 5);
    for (int p = 0; p < paragraphs; ++p) {
        int pieces = 4 + static_cast<int>(rng() % 8);
        for (int i = 0; i < pieces; ++i) {
            switch (rng() % 6) {
                case 0: s += "{\\b " + Words(rng, 3) + "} "; break;
                case 1: s += "\\i " + Words(rng, 4) + "\\i0  "; break;
                case 2: s += "caf\\'e9 na\\'efve \\ldblquote " + Words(rng, 2) + "\\rdblquote  "; break;
                case 3: s += "r\xE9sum\xE9 \x93" + Words(rng, 3) + "\x94 \x96 "; break;
                default: s += Words(rng, 8) + ", "; break;
            }
        }
        s += "\\par\r\n";
    }
    return s + "}";
}

// (c) A Bible verse fragment wrapped as a document.
std::string VerseEntry(std::mt19937& rng) {
    std::string s = "{\\rtf1 " + Words(rng, 6);
    if (rng() % 3 == 0) s += " {\\i " + Words(rng, 2) + "}";
    if (rng() % 4 == 0) s += " {\\cf15\\super " + std::to_string(rng() % 9000) + "}";
    return s + " " + Words(rng, 8) + ".}";
}

struct Corpus {
    const char* name;
    std::vector<std::string> entries;
    size_t bytes = 0;
};

double ReaderMBps(const Corpus& corpus, size_t& runs) {
    TRDRTFReader reader;
    size_t count = 0;
    reader.OnNewText = [&](TRDRTFReader&, std::string_view, TRDRTFPosition) { ++count; };
    size_t total = 0;
    double start = CpuSeconds(RUSAGE_SELF);
    double seconds = 0;
    size_t passes = 0;
    do {
        ++passes;
        for (const std::string& e : corpus.entries) {
            if (reader.ReadStream(e) != rtf_st_Ok) std::fprintf(stderr, "unexpected status\n");
            total += e.size();
        }
        seconds = CpuSeconds(RUSAGE_SELF) - start;
    } while (seconds < 2.0);
    runs = count / passes;
    return total / seconds / 1e6;
}

// Runs `command` over the first `sample` entries written one per file;
// returns MB/s of input, or a negative value when it could not run.
double ProgramMBps(const Corpus& corpus, size_t sample, const std::string& command) {
    if (sample == 0) return -1;
    sample = std::min(sample, corpus.entries.size());
    char dir[] = "/tmp/tovra-rtf-bench-XXXXXX";
    if (!mkdtemp(dir)) return -1;
    size_t bytes = 0;
    for (size_t i = 0; i < sample; ++i) {
        std::ofstream(std::string(dir) + "/e" + std::to_string(i) + ".rtf", std::ios::binary) << corpus.entries[i];
        bytes += corpus.entries[i].size();
    }
    std::string script = "for f in " + std::string(dir) + "/*.rtf; do " + command +
                         " \"$f\" >/dev/null 2>&1 || exit 1; done";
    double start = CpuSeconds(RUSAGE_CHILDREN);
    int rc = std::system(("sh -c '" + script + "'").c_str());
    double seconds = CpuSeconds(RUSAGE_CHILDREN) - start;
    std::system(("rm -rf " + std::string(dir)).c_str());
    if (rc != 0) return -1;
    return bytes / seconds / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    size_t entries = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
    size_t unrtfSample = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 300;
    size_t pandocSample = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 60;
    std::mt19937 rng(20261210);
    Corpus corpora[3] = {{"dictionary entries", {}}, {"Western entries", {}}, {"Bible verses", {}}};
    for (size_t i = 0; i < entries; ++i) {
        corpora[0].entries.push_back(DictionaryEntry(rng));
        corpora[2].entries.push_back(VerseEntry(rng));
    }
    // A generator of its own, so that the other two corpora stay as they were.
    std::mt19937 westernRng(20261211);
    for (size_t i = 0; i < entries; ++i) corpora[1].entries.push_back(WesternEntry(westernRng));
    for (Corpus& c : corpora)
        for (const auto& e : c.entries) c.bytes += e.size();

    for (const Corpus& c : corpora) {
        size_t runs = 0;
        double ours = ReaderMBps(c, runs);
        std::printf("%-19s %zu entries, %.2f MB, avg %zu bytes\n", c.name, c.entries.size(), c.bytes / 1e6,
                    c.bytes / c.entries.size());
        std::printf("  TRDRTFReader::ReadStream   %9.1f MB/s (%zu runs reported per pass)\n", ours, runs);
        struct Program {
            const char* label;
            const char* command;
            size_t sample;
        } programs[] = {{"unrtf --html", "unrtf --html", unrtfSample},
                        {"pandoc -f rtf -t html", "pandoc -f rtf -t html", pandocSample}};
        for (const Program& p : programs) {
            double theirs = ProgramMBps(c, p.sample, p.command);
            if (theirs < 0) {
                std::printf("  %-26s  not measured\n", p.label);
                continue;
            }
            std::printf("  %-26s %9.3f MB/s (%zu files)  ours/theirs %.0fx\n", p.label, theirs,
                        std::min(p.sample, c.entries.size()), ours / theirs);
        }
    }
    return 0;
}
