// Feeds arbitrary bytes to the RTF reader twice: once with only the events
// the document builder attaches, once with every event attached. Checks that
// table events nest, that runs are reported only with known positions, and
// that the state the consumer reads is consistent during every event.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/utf8.h"
#include "richtext/rtf_reader.h"

namespace {

using namespace tovra;

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckState(const TRDRTFReader& r) {
    const TRDRTFReaderState& s = r.State();
    Check(s.Destination <= destListOverrideLevel);
    Check(s.ParaProps.CurBorderSide < 4);
    if (s.RowProps) {
        // Reading every cell must stay inside the list.
        for (const auto& cell : s.RowProps->Cells) Check(cell.CurBorderSide < 4);
    }
    // Font and override indexes can outlive a later \fonttbl or
    // \listoverridetable that replaced their list, so they are not checked.
    Check(r.TableLevel() >= 0 && r.TableLevel() <= TRDRTFReader::kMaxTableLevel);
}

struct Recorder {
    int32_t openTables = 0;
    size_t bytes = 0;

    void Attach(TRDRTFReader& r, bool everything) {
        r.OnNewText = [this](TRDRTFReader& rd, std::string_view text, TRDRTFPosition pos) {
            Check(pos <= rtf_ts_NewPara);
            bytes += text.size();
            CheckState(rd);
        };
        r.OnTable = [this](TRDRTFReader& rd, TRDRTFTableEventKind kind) {
            if (kind == rdf_tbl_TableStart) ++openTables;
            if (kind == rdf_tbl_TableEnd) {
                Check(openTables > 0);
                --openTables;
            }
            if (kind == rdf_tbl_RowEnd) Check(rd.State().RowProps != nullptr);
            CheckState(rd);
        };
        r.OnUpdateMarker = [](TRDRTFReader& rd) {
            Check(rd.State().ParaProps.Marker.has_value());
            CheckState(rd);
        };
        if (!everything) return;
        r.OnNewUnicodeText = [this](TRDRTFReader& rd, std::u16string_view text, TRDRTFPosition pos) {
            Check(pos <= rtf_ts_NewPara);
            bytes += text.size();
            CheckState(rd);
        };
        r.OnRequiredPageBreak = [](TRDRTFReader& rd) { CheckState(rd); };
        r.OnHeaderFooter = [](TRDRTFReader& rd, TRDRTFHeaderFooterType type, bool) {
            Check(type == rtf_hf_Header || type == rtf_hf_Footer);
            CheckState(rd);
        };
        r.ConvertHighlight = rtf_hl_ColorTable;
        r.UnmappableChar = &Marker;
    }

    // The conversion's form for a character without an ANSI byte: at most
    // kMarkerBytes bytes for one character of input.
    static void Marker(char32_t cp, std::string& out) {
        Check(IsUnicodeScalarValue(cp));
        out += "[tovraUC" + std::to_string(static_cast<uint32_t>(cp)) + "]";
    }
    static constexpr size_t kMarkerBytes = 16;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (bool everything : {false, true}) {
        TRDRTFReader reader;
        Recorder recorder;
        recorder.Attach(reader, everything);
        uint8_t status = reader.ReadStream(input);
        Check(status <= rtf_st_HandlerException && status != 8);
        // A read that ended normally has closed every table it opened.
        if (status == rtf_st_Ok || status == rtf_st_UnclosedGroup) Check(recorder.openTables == 0);
        Check(recorder.bytes <= size * (everything ? Recorder::kMarkerBytes : 4) + 64);
    }
    return 0;
}
