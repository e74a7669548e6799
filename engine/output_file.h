// The Loom input text file: header lines, then every non-blank entry as an
// empty line, "$$ " and its name, its lines, and an empty line; CR LF after
// every line.
#pragma once

#include <string>

#include "engine/entries.h"
#include "engine/run_host.h"

namespace tovra {

// "<folder>/<base>_loom.txt", the folder inserted exactly as given.
std::string OutputFilePath(const std::string& outFolder, const std::string& inputPath);

// The input file's name without its folder and without its extension.
std::string BaseName(const std::string& inputPath);

// The file's whole content.
std::string BuildOutputContent(const std::string& inputPath, const EntryList& entries, bool hasItalics,
                               bool hasFootnotes);

// Logs "Writing entries to " with the quoted path, then writes the file. The
// content goes to a temporary file in the output folder that replaces the
// target only when complete, so a failure never leaves a truncated or
// half-replaced file. Throws Error when the file cannot be created or written.
void WriteOutputFile(const std::string& inputPath, const EntryList& entries, bool hasItalics,
                     bool hasFootnotes, const TRunSettings& settings, TStatusLog& log);

}  // namespace tovra
