// Module recognition: the first of the dictionary, topics and Bible tables
// that is present decides the kind; otherwise the note tables are read one
// after another onto the verse layout of the reference Bible. Access and
// SQLite modules name their tables and fields differently but are recognised
// in the same order and read the same way.
#include "engine/extract_entries.h"

#include <vector>

#include "engine/verse_entries.h"
#include "platform/ascii.h"
#include "platform/error.h"

namespace tovra {
namespace {

bool Present(const std::vector<std::string>& tableNames, const std::string& name) {
    for (const auto& t : tableNames)
        if (EqualsIgnoringAsciiCase(t, name)) return true;
    return false;
}

// One entry per row: name from `nameField`, text from `textField` (read first).
void ReadNamedEntries(TAccessTable& table, const std::string& tableName, const std::string& textField,
                      const std::string& nameField, EntryList& entries,
                      const std::function<void(Entry&)>& onEntry) {
    table.Open(tableName);
    while (!table.Eof()) {
        std::string text = table.FieldByName(textField).AsString(TUnmappableForm::RtfEscape);
        std::string name = table.FieldByName(nameField).AsString(TUnmappableForm::CharacterReference);
        Entry& entry = entries.Append(std::move(name));
        entry.TakeText(std::move(text));
        if (onEntry) onEntry(entry);
        table.Next();
    }
    table.Close();
}

const TLTBibleModule& RequireModule(const TLTBibleModule* module) {
    if (!module) throw Error("No reference Bible module is loaded.");
    return *module;
}

// A table of entries named by one of its fields.
struct TNamedTable {
    const char* name;
    const char* logLine;
    const char* textField;  // read first
    const char* nameField;
};

struct TNoteTableInfo {
    const char* name;
    const char* logLine;
    NoteTable kind;
    TVerseFields fields;
    // Null, or whether this reading applies to the table (a SQLite "Verses"
    // table holds either commentary or personal notes).
    bool (*applies)(TAccessTable& table, const char* name);
};

// The tables of one module format, in the order of recognition.
struct TModuleLayout {
    TNamedTable dictionary;
    TNamedTable topics;
    const char* bible;
    TVerseFields bibleFields;
    std::vector<TNoteTableInfo> notes;
};

// A SQLite "Verses" table holds a commentary's verse notes (.cmtx: Book,
// ChapterBegin, ChapterEnd, VerseBegin, VerseEnd, Comments) or personal notes
// (.notx: Book, Chapter, Verse, Notes). Any of the commentary's own columns
// makes it a commentary's, so that a table lacking one of its columns is
// still reported by the field it lacks.
bool HoldsCommentary(TAccessTable& table, const char* name) {
    table.Open(name);
    const bool commentary =
        table.FindField("Comments") || table.FindField("ChapterBegin") || table.FindField("VerseBegin");
    table.Close();
    return commentary;
}

bool HoldsPersonalNotes(TAccessTable& table, const char* name) { return !HoldsCommentary(table, name); }

const TModuleLayout& LayoutOf(TDatabaseFormat format) {
    static const char kBookNotesLine[] = "Extracting BOOK NOTES from COMMENTARY.";
    static const char kChapterNotesLine[] = "Extracting CHAPTER NOTES from COMMENTARY.";
    static const char kVerseCommentaryLine[] = "Extracting VERSE NOTES from COMMENTARY.";
    static const char kVerseNotesLine[] = "Extracting entries from VERSE NOTES.";
    static const TModuleLayout kAccess = {
        {"Dictionary", "Extracting entries from DICTIONARY.", "Definition", "Topic"},
        {"Topic Notes", "Extracting entries from TOPICS.", "Comments", "Title"},
        "Bible",
        {"Book ID", "Chapter", "Verse", "Scripture"},
        {
            {"Book Notes", kBookNotesLine, NoteTable::BookNotes, {"Book ID", "", "", "Comments"}, nullptr},
            {"Chapter Notes", kChapterNotesLine, NoteTable::ChapterNotes,
             {"Book ID", "Chapter", "", "Comments"}, nullptr},
            {"Commentary", kVerseCommentaryLine, NoteTable::Commentary,
             {"Book ID", "Chapter", "Start Verse", "Comments"}, nullptr},
            {"Verse Notes", kVerseNotesLine, NoteTable::VerseNotes, {"", "", "Verse ID", "Comments"}, nullptr},
        },
    };
    // e-Sword 9 names the commentary tables Books, Chapters and Verses; 10
    // and later BookCommentary, ChapterCommentary and VerseCommentary.
    static const TVerseFields kBookFields = {"Book", "", "", "Comments"};
    static const TVerseFields kChapterFields = {"Book", "Chapter", "", "Comments"};
    static const TVerseFields kVerseFields = {"Book", "ChapterBegin", "VerseBegin", "Comments"};
    static const TModuleLayout kSqlite = {
        {"Dictionary", "Extracting entries from DICTIONARY.", "Definition", "Topic"},
        {"Topics", "Extracting entries from TOPICS.", "Notes", "Title"},
        "Bible",
        {"Book", "Chapter", "Verse", "Scripture"},
        {
            {"Books", kBookNotesLine, NoteTable::BookNotes, kBookFields, nullptr},
            {"BookCommentary", kBookNotesLine, NoteTable::BookNotes, kBookFields, nullptr},
            {"Chapters", kChapterNotesLine, NoteTable::ChapterNotes, kChapterFields, nullptr},
            {"ChapterCommentary", kChapterNotesLine, NoteTable::ChapterNotes, kChapterFields, nullptr},
            {"Verses", kVerseCommentaryLine, NoteTable::Commentary, kVerseFields, &HoldsCommentary},
            {"VerseCommentary", kVerseCommentaryLine, NoteTable::Commentary, kVerseFields, nullptr},
            {"Verses", kVerseNotesLine, NoteTable::VerseNotesByReference, {"Book", "Chapter", "Verse", "Notes"},
             &HoldsPersonalNotes},
        },
    };
    return format == TDatabaseFormat::Sqlite ? kSqlite : kAccess;
}

}  // namespace

ModuleKind ExtractEntries(TAccessTable& table, const std::vector<std::string>& tableNames,
                          EntryList& entries, const TLTBibleModule* module, TStatusLog& log,
                          const std::function<void(ModuleKind, Entry&)>& onEntryRead) {
    // The hook for the entries of one kind.
    const auto readAs = [&onEntryRead](ModuleKind kind) -> std::function<void(Entry&)> {
        if (!onEntryRead) return {};
        return [&onEntryRead, kind](Entry& entry) { onEntryRead(kind, entry); };
    };
    const TModuleLayout& layout = LayoutOf(table.DatabaseFormat());
    for (const TNamedTable* named : {&layout.dictionary, &layout.topics}) {
        if (!Present(tableNames, named->name)) continue;
        log.Append(named->logLine);
        ReadNamedEntries(table, named->name, named->textField, named->nameField, entries,
                         readAs(ModuleKind::Dictionary));
        return ModuleKind::Dictionary;
    }
    if (Present(tableNames, layout.bible)) {
        log.Append("Extracting entries from BIBLE.");
        ReadBibleTable(table, layout.bible, layout.bibleFields, entries, RequireModule(module),
                       readAs(ModuleKind::Bible));
        return ModuleKind::Bible;
    }

    bool anyNoteTable = false;
    for (const auto& info : layout.notes) anyNoteTable = anyNoteTable || Present(tableNames, info.name);
    // Without a note table there is nothing to lay out; the kind stays
    // unknown whether or not a reference module is loaded.
    if (!anyNoteTable) return ModuleKind::Unknown;

    const TLTBibleModule& reference = RequireModule(module);
    LayOutVerseEntries(entries, reference);
    ModuleKind kind = ModuleKind::Unknown;
    for (const auto& info : layout.notes) {
        if (!Present(tableNames, info.name)) continue;
        if (info.applies && !info.applies(table, info.name)) continue;
        log.Append(info.logLine);
        kind = ModuleKind::Commentary;
        ReadNoteTable(table, info.name, info.kind, info.fields, entries, reference);
    }
    return kind;
}

}  // namespace tovra
