// Reading the verse-keyed tables: Bible verses named by reference, and notes
// merged into one entry per verse of the reference Bible.
#pragma once

#include "db/access_reader.h"
#include "engine/entries.h"

namespace tovra {

class TLTBibleModule;

// Appends an entry per "Bible" row whose Book ID is 1 to 66, named
// "%s %d:%d" with the module's book name, chapter and verse.
void ReadBibleTable(TAccessTable& table, const std::string& tableName, EntryList& entries,
                    const TLTBibleModule& module);

// Appends VerseCount empty entries named by VerseReference.
void LayOutVerseEntries(EntryList& entries, const TLTBibleModule& module);

enum class NoteTable { BookNotes, ChapterNotes, Commentary, VerseNotes };

// Reads one note table and merges (or, for "Verse Notes", appends) every
// row's Comments into its verse entry.
void ReadNoteTable(TAccessTable& table, const std::string& tableName, NoteTable kind,
                   EntryList& entries, const TLTBibleModule& module);

}  // namespace tovra
