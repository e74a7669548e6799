// Output file naming, layout and the all-or-nothing write.
#include "engine/output_file.h"

#include "platform/atomic_file.h"
#include "platform/version.h"

namespace tovra {

std::string BaseName(const std::string& inputPath) {
    size_t slash = inputPath.rfind('/');
    std::string name = slash == std::string::npos ? inputPath : inputPath.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string OutputFilePath(const std::string& outFolder, const std::string& inputPath) {
    return outFolder + "/" + BaseName(inputPath) + "_loom.txt";
}

namespace {

// Lays out the output file into `out`. Whenever `out` holds at least
// `chunk` bytes after an entry, they are handed to `flush`, which empties
// `out`; the pieces handed over and what is left make the whole content.
template <class Flush>
void LayOutOutput(const std::string& inputPath, const EntryList& entries, bool hasItalics, bool hasFootnotes,
                  std::string& out, size_t chunk, Flush flush) {
    auto line = [&out](const std::string& text) {
        out += text;
        out += "\r\n";
    };
    line("; Exported by tovra " + VersionString());
    line("; Source: " + inputPath);
    if (hasItalics) line("; HAS ITALICS");
    if (hasFootnotes) line("; HAS FOOTNOTES");
    for (const Entry& e : entries) {
        if (IsBlankText(e.text)) continue;
        out += "\r\n$$ ";
        line(e.name);
        out += e.text;
        out += "\r\n";
        if (out.size() >= chunk) flush();
    }
}

// The output is written to the file in pieces of about this size, so that
// a large module's output is never held in memory whole.
constexpr size_t kWriteChunk = 1 << 20;

}  // namespace

std::string BuildOutputContent(const std::string& inputPath, const EntryList& entries, bool hasItalics,
                               bool hasFootnotes) {
    size_t size = 128 + inputPath.size();
    for (const Entry& e : entries) {
        size += e.name.size() + e.text.size() + 10;
    }
    std::string out;
    out.reserve(size);
    LayOutOutput(inputPath, entries, hasItalics, hasFootnotes, out, std::string::npos, [] {});
    return out;
}

void WriteOutputFile(const std::string& inputPath, const EntryList& entries, bool hasItalics,
                     bool hasFootnotes, const TRunSettings& settings, TStatusLog& log) {
    const std::string path = OutputFilePath(settings.OutFolder(), inputPath);
    log.Append("Writing entries to \"" + path + "\"");
    TAtomicFile file(path);
    std::string piece;
    piece.reserve(kWriteChunk + kWriteChunk / 4);
    LayOutOutput(inputPath, entries, hasItalics, hasFootnotes, piece, kWriteChunk, [&] {
        file.Write(piece);
        piece.clear();
    });
    file.Commit(piece);
}

}  // namespace tovra
