// One converter serves every input, as one serves every entry of a run, so
// state carried from entry to entry (list styles, reused buffers) is
// exercised too. After each conversion, the document that the entry's RTF
// was loaded into (tables included) must satisfy its invariants. A second
// converter, converting each input once as a dictionary entry with font tags
// removed, must give the page written with FONT tags and cleaned up the long
// way.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/conversion_phase.h"
#include "tests/support/font_tag_oracle.h"

namespace {

class NullLog : public tovra::TStatusLog {
public:
    void Append(const std::string&) override {}
    void Clear() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tovra::TEntryConverter converter;
    static NullLog log;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    struct Path {
        tovra::ModuleKind kind;
        bool removeFonts;
    } paths[] = {{tovra::ModuleKind::Dictionary, true},
                 {tovra::ModuleKind::Bible, true},
                 {tovra::ModuleKind::Bible, false}};
    for (const auto& p : paths) {
        tovra::EntryList entries;
        entries.Append("Entry").TakeText(std::string(text));
        bool italics = false, footnotes = false;
        converter.ConvertEntries(p.kind, entries, p.removeFonts, italics, footnotes, log);
        std::string problem;
        if (!converter.LastLoaded().RDData().CheckInvariants(&problem)) {
            std::fprintf(stderr, "document invariant broken: %s\n", problem.c_str());
            __builtin_trap();
        }
        // Every converted text is given back in joined form.
        std::string joined = entries.At(0).text;
        tovra::NormalizeText(joined);
        if (joined != entries.At(0).text) {
            std::fprintf(stderr, "converted text not in joined form\n");
            __builtin_trap();
        }
    }

    static tovra::TEntryConverter dictionary(nullptr, tovra::TEntryConverter::Threads::CallingOnly);
    static tovra::test_support::TFontTagOracle oracle;
    tovra::EntryList entries;
    tovra::Entry& entry = entries.Append("Entry");
    entry.TakeText(std::string(text));
    const std::string expected = tovra::IsBlankText(entry.text) ? entry.text : oracle.Page(entry.text, entry.name);
    bool italics = false, footnotes = false;
    dictionary.ConvertEntries(tovra::ModuleKind::Dictionary, entries, true, italics, footnotes, log);
    if (entries.At(0).text != expected) {
        std::fprintf(stderr, "page without font tags differs from the page with them removed\n");
        __builtin_trap();
    }
    return 0;
}
