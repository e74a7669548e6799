// Recognising the kind of module from its table names and reading its
// entries, one table after another, row by row.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/access_reader.h"
#include "engine/entries.h"
#include "engine/module_kind.h"
#include "engine/run_host.h"

namespace tovra {

class TLTBibleModule;

// Fills `entries` from the database behind `table` and returns the kind.
// The tables and fields looked for are those of the database's format
// (Access or SQLite). Logs which tables it reads. The first failing database or list operation
// ends the reading with its error (the table reader is left as it is).
// `module` is needed only for the verse-keyed kinds (Bibles, commentaries,
// notes); reading one without a module fails with a clear error.
//
// `onEntryRead`, when set, is called with the kind and each entry of a
// dictionary, topic or Bible table as soon as it has been read, in row
// order; the entries of a commentary or notes are complete only at the end.
ModuleKind ExtractEntries(TAccessTable& table, const std::vector<std::string>& tableNames,
                          EntryList& entries, const TLTBibleModule* module, TStatusLog& log,
                          const std::function<void(ModuleKind, Entry&)>& onEntryRead = {});

}  // namespace tovra
