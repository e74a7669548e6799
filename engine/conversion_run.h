// The conversion run over the selected files, and the fixed pipeline one
// database goes through: open, list tables, recognise and read, convert,
// write, release. (The steps overlap where that changes nothing: entries of
// dictionaries, topics and Bibles are converted as they are read, and every
// entry is written out once it is final.)
//
// Expected failures of a file (it cannot be opened, a table cannot be read,
// the kind is unknown) are logged and end only that file. Every other error
// (listing tables, conversion, writing the output) leaves the file released
// and propagates out of Run, ending the run; the caller reports it.
#pragma once

#include <string>
#include <vector>

#include "db/access_reader.h"
#include "engine/conversion_phase.h"
#include "engine/run_host.h"

namespace tovra {

class TLTBibleModule;

// How one file's conversion ended.
enum class TFileOutcome { Converted, Failed };

struct TRunSummary {
    size_t converted = 0;
    size_t failed = 0;
};

class TConversionEngine {
public:
    // `module` may be null; verse-keyed modules then fail to read. Entries
    // are converted through `document` (which must outlive the engine), or
    // through a document of the engine's own when it is null.
    TConversionEngine(const TRunSettings& settings, TStatusLog& log, const TLTBibleModule* module,
                      TRichDoc* document = nullptr);

    void SetModule(const TLTBibleModule* module) { module_ = module; }

    // The "Go" command: converts every path in order.
    TRunSummary Run(const std::vector<std::string>& selectedFiles, TRunView& view);

    // Converts one database; logs its block.
    TFileOutcome ConvertFile(const std::string& path);

private:
    const TRunSettings& settings_;
    TStatusLog& log_;
    const TLTBibleModule* module_;
    TAccessConnection ADOConnection1;
    TAccessTable ADOTable1{ADOConnection1, "ADOTable1"};
    TEntryConverter converter_;  // after the members it is built from
};

}  // namespace tovra
