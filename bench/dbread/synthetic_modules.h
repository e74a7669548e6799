// Full-size synthetic e-Sword modules for the database benchmarks: a Bible of
// every verse of the KJV versification, a dictionary of RTF entries and a
// commentary of verse notes, with e-Sword-like markup. Content is generated
// from a fixed seed, so every run writes the same files.
#pragma once

#include <string>
#include <vector>

#include "tools/mkmdb/jet_writer.h"

namespace tovra::bench {

struct TChapterSize {
    int book = 0;
    int chapter = 0;
    int verses = 0;
};

// Reads the tab-separated versification (book, name, abbrev, chapter,
// verses, with a header line). Throws tovra::Error when it cannot.
std::vector<TChapterSize> LoadVersification(const std::string& path);

// "Bible": Book ID, Chapter, Verse, Scripture; one row per verse, shaped
// like a Strong's-number Bible: most words followed by a {\cf11 H1234}
// group, supplied words in {\cf15\i ...} or {\i ...}, some
// {\cf6\super a} footnote markers; about 300 bytes a verse.
mkmdb::TDatabaseDef SyntheticBible(const std::vector<TChapterSize>& versification);

// The same Bible as an e-Sword 9+ SQLite module (.bblx): "Bible" with Book,
// Chapter, Verse, Scripture and the index e-Sword keeps on the reference.
// Written by mksqlite::WriteSqliteFile.
mkmdb::TDatabaseDef SyntheticSqliteBible(const std::vector<TChapterSize>& versification);

// "Dictionary": Topic, Definition; `entries` one-line RTF documents with
// font and colour tables, bold, italic and colour groups and \uN? escapes.
mkmdb::TDatabaseDef SyntheticDictionary(int entries);

// "Topic Notes": Title, Comments; `topics` multi-line RTF notes of a few
// kilobytes, one in a hundred of 100 to 300 KB.
mkmdb::TDatabaseDef SyntheticTopics(int topics);

// "Book Notes" (one per book), "Chapter Notes" (one per chapter) and
// "Commentary" (ID, Book ID, Chapter, Start Verse, End Verse, Comments:
// `notes` RTF notes spread over the verses of the versification).
mkmdb::TDatabaseDef SyntheticCommentary(const std::vector<TChapterSize>& versification, int notes);

// The versification file of the source tree, or of the shared folder when
// the source tree has none yet.
std::string DefaultVersificationPath();

}  // namespace tovra::bench
