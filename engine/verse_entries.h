// Reading the verse-keyed tables: Bible verses named by reference, and notes
// merged into one entry per verse of the reference Bible.
#pragma once

#include <functional>
#include <string>

#include "db/access_reader.h"
#include "engine/entries.h"

namespace tovra {

class TLTBibleModule;

// The fields a verse-keyed table is read by; the module formats name them
// differently ("Book ID" in Access, "Book" in SQLite). A table kind reads
// only the fields it needs.
struct TVerseFields {
    const char* book;     // book number
    const char* chapter;  // chapter number
    const char* verse;    // verse number, or the verse ordinal (VerseNotes)
    const char* text;     // the verse text or the note
};

// Appends an entry per row whose book is 1 to 66, named "%s %d:%d" with the
// module's book name, chapter and verse. `onEntry`, when set, is called with
// each entry as soon as it is appended.
void ReadBibleTable(TAccessTable& table, const std::string& tableName, const TVerseFields& fields,
                    EntryList& entries, const TLTBibleModule& module,
                    const std::function<void(Entry&)>& onEntry = {});

// Appends VerseCount empty entries named by VerseReference.
void LayOutVerseEntries(EntryList& entries, const TLTBibleModule& module);

enum class NoteTable {
    BookNotes,     // book: merged into the book's first verse
    ChapterNotes,  // book, chapter: merged into the chapter's first verse
    Commentary,    // book, chapter, verse: merged into that verse
    VerseNotes,    // verse ordinal 1 to 31102: appended to that verse
    // book, chapter, verse: appended to that verse; a row naming a verse
    // that the reference Bible does not have is skipped
    VerseNotesByReference,
};

// Reads one note table and merges (or, for the verse notes, appends) every
// row's note into its verse entry. Rows whose book (or verse ordinal) is out
// of range are skipped.
void ReadNoteTable(TAccessTable& table, const std::string& tableName, NoteTable kind, const TVerseFields& fields,
                   EntryList& entries, const TLTBibleModule& module);

}  // namespace tovra
