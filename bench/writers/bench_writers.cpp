// Output throughput of the HTML and text writers on a document of typical
// dictionary-entry size: a heading, a few paragraphs in several text styles,
// a bullet list and a numbered list. Each measurement writes the entry the
// given number of times into one reused buffer; the "cycle" figures also
// clear the document, reset the styles and build the entry again each time,
// as the conversion of one entry does around its load.
//
// Usage: bench_writers [iterations]   (default 100000)
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "richtext/rich_doc.h"

using namespace tovra;

namespace {

void BuildEntry(TRichDoc& doc, int bulletList, int numberList) {
    TRichDocRDData& d = doc.RDData();
    TRDStyle& s = *doc.Style();
    // Styles a load typically adds: the body font at 12 points, bold and
    // italic variants, and a Greek font.
    TFontInfo& body = s.TextStyles.Add();  // 6
    body.FontName = "Times New Roman";
    body.Size = 12;
    TFontInfo& bold = s.TextStyles.Add();  // 7
    bold = body;
    bold.Style.Include(fsBold);
    TFontInfo& italic = s.TextStyles.Add();  // 8
    italic = body;
    italic.Style.Include(fsItalic);
    TFontInfo& greek = s.TextStyles.Add();  // 9
    greek = body;
    greek.FontName = "Greek";
    greek.Charset = 161;

    d.AddText("AARON", 7, 1);
    d.AddText("ar'-on, (Aharon, \"enlightened\" or \"mountain of strength\"):", 6, 0);
    d.AddText(" the first high priest of Israel, son of Amram and Jochebed, of the tribe of Levi; "
              "born three years before his brother Moses & a few years after his sister Miriam.", 6, -1);
    d.AddText("Family and early life.", 8, 0);
    d.AddText("In the wilderness he was the spokesman of Moses before Pharaoh <Ex 4:14-16>, "
              "and with Hur held up the hands of Moses  during the battle with Amalek.", 6, 0);
    d.AddText("\xe1\xf1\xe1\xf9\xed", 9, -1);
    const char* items[] = {"His consecration as priest (Ex 28-29).", "The golden calf (Ex 32).",
                           "The rod that budded (Nu 17).", "His death on Mount Hor (Nu 20:22-29)."};
    int i = 0;
    for (const char* item : items) {
        d.AddItem({}, std::make_unique<TRDMarkerItemInfo>(i < 2 ? bulletList : numberList, 0, 1, false));
        d.RegisterMarker(d.ItemCount() - 1);
        d.AddText(item, 6, -1);
        ++i;
    }
    d.AddText("See also PRIEST; LEVITES; TABERNACLE.", 6, 0);
    d.AddText("LITERATURE.", 7, 0);
    d.AddText("The commentaries on Exodus, Leviticus and Numbers; the histories of Israel.", 6, -1);
}

// Wall time and the process's CPU time: on a busy machine the CPU figures
// show what the writer itself costs.
struct Stamp {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
};

void Report(const char* what, long iterations, const Stamp& start, size_t bytesPerEntry) {
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start.wall).count();
    const double cpu = static_cast<double>(std::clock() - start.cpu) / CLOCKS_PER_SEC;
    const double mb = static_cast<double>(bytesPerEntry) * static_cast<double>(iterations) / 1e6;
    const double n = static_cast<double>(iterations);
    std::printf("%-30s wall: %7.1f MB/s %9.0f entries/s | cpu: %7.1f MB/s %9.0f entries/s  (%zu bytes/entry)\n",
                what, mb / wall, n / wall, mb / cpu, n / cpu, bytesPerEntry);
}

}  // namespace

int main(int argc, char** argv) {
    const long iterations = argc > 1 ? std::atol(argv[1]) : 100000;
    if (iterations <= 0) {
        std::fprintf(stderr, "usage: bench_writers [iterations]\n");
        return 2;
    }
    TRichDoc doc;
    TRDStyle& style = *doc.Style();
    TRDListInfo& bullets = style.ListStyles.Add();
    bullets.Levels.Add();
    TRDListInfo& numbers = style.ListStyles.Add();
    numbers.Levels.Add().ListType = rdlstDecimal;
    auto rebuild = [&] {
        doc.RDData().Clear();
        style.ResetTextStyles();
        style.ResetParaStyles();
        BuildEntry(doc, 0, 1);
    };
    rebuild();

    std::string buffer;
    StringSink sink(buffer);
    size_t checksum = 0;

    doc.SaveHtml(sink, "", "Aaron", "", {});
    const size_t htmlBytes = buffer.size();
    Stamp start;
    for (long i = 0; i < iterations; ++i) {
        buffer.clear();
        doc.SaveHtml(sink, "", "Aaron", "", {});
        checksum += buffer.size();
    }
    Report("SaveHtml", iterations, start, htmlBytes);

    buffer.clear();
    doc.SaveText("", sink, 2, false, true);
    const size_t textBytes = buffer.size();
    start = Stamp();
    for (long i = 0; i < iterations; ++i) {
        buffer.clear();
        doc.SaveText("", sink, 2, false, true);
        checksum += buffer.size();
    }
    Report("SaveText", iterations, start, textBytes);

    start = Stamp();
    for (long i = 0; i < iterations; ++i) {
        rebuild();
        buffer.clear();
        doc.SaveHtml(sink, "", "Aaron", "", {});
        checksum += buffer.size();
    }
    Report("cycle: clear, build, SaveHtml", iterations, start, htmlBytes);

    start = Stamp();
    for (long i = 0; i < iterations; ++i) {
        rebuild();
        buffer.clear();
        doc.SaveText("", sink, 2, false, true);
        checksum += buffer.size();
    }
    Report("cycle: clear, build, SaveText", iterations, start, textBytes);

    std::printf("(checksum %zu)\n", checksum);
    return 0;
}
