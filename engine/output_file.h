// The Loom input text file: header lines, then every non-blank entry as an
// empty line, "$$ " and its name, its lines, and an empty line; CR LF after
// every line.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include "engine/entries.h"
#include "engine/run_host.h"

namespace tovra {

// "<folder>/<base>_loom.txt", the folder inserted exactly as given.
std::string OutputFilePath(const std::string& outFolder, const std::string& inputPath);

// The input file's name without its folder and without its extension.
std::string BaseName(const std::string& inputPath);

class TAtomicFile;

// The output file written entry by entry while a module is converted, so
// that a module's output is never held whole. The layout is pieced together
// in a buffer of about a MiB, handed to a temporary file in the output folder
// whenever it is full; Finish() completes the file and only then replaces the
// target. Creating or writing the temporary file can fail before Finish():
// the first such failure is kept (nothing more is written) and thrown by
// Finish() after its log line, so that a run logs and fails exactly as when
// the whole file is written after the conversion.
class TOutputWriter {
public:
    // Touches nothing on the disk yet.
    TOutputWriter(std::string path, std::string inputPath);
    ~TOutputWriter();
    TOutputWriter(const TOutputWriter&) = delete;
    TOutputWriter& operator=(const TOutputWriter&) = delete;

    // The flag lines of the header; to be set before the first entry.
    void SetFlags(bool hasItalics, bool hasFootnotes);
    // Lays out a non-blank entry after those before it; a blank one is left out.
    void Add(const Entry& entry);
    // Logs "Writing entries to " with the quoted path, writes what is left and
    // replaces the target. Throws Error, the kept failure or that of these
    // steps: "Cannot create file \"<path>\". <reason>" or "Failed to write
    // file \"<path>\". <reason>". A failure never leaves a truncated or
    // half-replaced file.
    void Finish(TStatusLog& log);

private:
    void BeginLayout();
    void Flush();

    std::string path_, inputPath_;
    bool hasItalics_ = false, hasFootnotes_ = false, begun_ = false;
    std::string piece_;
    std::unique_ptr<TAtomicFile> file_;
    std::exception_ptr failure_;
};

}  // namespace tovra
