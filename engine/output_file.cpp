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

// The header lines.
void AppendHeader(std::string& out, const std::string& inputPath, bool hasItalics, bool hasFootnotes) {
    out += "; Exported by tovra ";
    out += VersionString();
    out += "\r\n; Source: ";
    out += inputPath;
    out += "\r\n";
    if (hasItalics) out += "; HAS ITALICS\r\n";
    if (hasFootnotes) out += "; HAS FOOTNOTES\r\n";
}

// An empty line, "$$ " and the name, the (joined) text and an empty line;
// nothing for a blank entry.
void AppendEntry(std::string& out, const Entry& e) {
    if (IsBlankText(e.text)) return;
    out += "\r\n$$ ";
    out += e.name;
    out += "\r\n";
    out += e.text;
    out += "\r\n";
}

// The output is written to the file in pieces of about this size.
constexpr size_t kWriteChunk = 1 << 20;

}  // namespace

TOutputWriter::TOutputWriter(std::string path, std::string inputPath)
    : path_(std::move(path)), inputPath_(std::move(inputPath)) {}

TOutputWriter::~TOutputWriter() = default;

void TOutputWriter::SetFlags(bool hasItalics, bool hasFootnotes) {
    hasItalics_ = hasItalics;
    hasFootnotes_ = hasFootnotes;
}

void TOutputWriter::BeginLayout() {
    piece_.reserve(kWriteChunk + kWriteChunk / 4);
    AppendHeader(piece_, inputPath_, hasItalics_, hasFootnotes_);
    begun_ = true;
}

void TOutputWriter::Add(const Entry& entry) {
    if (!begun_) BeginLayout();
    AppendEntry(piece_, entry);
    if (piece_.size() >= kWriteChunk) Flush();
}

// Hands the piece to the temporary file, made on the first call. After a
// failure the pieces are dropped: the file will not be used.
void TOutputWriter::Flush() {
    if (!failure_) {
        try {
            if (!file_) file_ = std::make_unique<TAtomicFile>(path_);
            file_->Write(piece_);
        } catch (const std::exception&) {
            failure_ = std::current_exception();
            file_.reset();
        }
    }
    piece_.clear();
}

void TOutputWriter::Finish(TStatusLog& log) {
    if (!begun_) BeginLayout();
    log.Append("Writing entries to \"" + path_ + "\"");
    if (failure_) std::rethrow_exception(failure_);
    if (!file_) file_ = std::make_unique<TAtomicFile>(path_);
    file_->Commit(piece_);
    piece_.clear();
}

}  // namespace tovra
