// Module recognition: the first of "Dictionary", "Topic Notes" and "Bible"
// that is present decides the kind; otherwise the four note tables are read
// one after another onto the verse layout of the reference Bible.
#include "engine/extract_entries.h"

#include "engine/verse_entries.h"
#include "platform/error.h"

namespace tovra {
namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool Present(const std::vector<std::string>& tableNames, const std::string& name) {
    for (const auto& t : tableNames)
        if (SameNameIgnoringCase(t, name)) return true;
    return false;
}

// One entry per row: name from `nameField`, text from `textField` (read first).
void ReadNamedEntries(TAccessTable& table, const std::string& tableName, const std::string& textField,
                      const std::string& nameField, EntryList& entries) {
    table.Open(tableName);
    while (!table.Eof()) {
        std::string text = table.FieldByName(textField).AsString(TUnmappableForm::RtfEscape);
        std::string name = table.FieldByName(nameField).AsString(TUnmappableForm::CharacterReference);
        Entry& entry = entries.Append(std::move(name));
        SplitLines(text, entry.lines);
        table.Next();
    }
    table.Close();
}

const TLTBibleModule& RequireModule(const TLTBibleModule* module) {
    if (!module) throw Error("No reference Bible module is loaded.");
    return *module;
}

}  // namespace

ModuleKind ExtractEntries(TAccessTable& table, const std::vector<std::string>& tableNames,
                          EntryList& entries, const TLTBibleModule* module, TStatusLog& log) {
    if (Present(tableNames, "Dictionary")) {
        log.Append("Extracting entries from DICTIONARY.");
        ReadNamedEntries(table, "Dictionary", "Definition", "Topic", entries);
        return ModuleKind::Dictionary;
    }
    if (Present(tableNames, "Topic Notes")) {
        log.Append("Extracting entries from TOPICS.");
        ReadNamedEntries(table, "Topic Notes", "Comments", "Title", entries);
        return ModuleKind::Dictionary;
    }
    if (Present(tableNames, "Bible")) {
        log.Append("Extracting entries from BIBLE.");
        ReadBibleTable(table, "Bible", entries, RequireModule(module));
        return ModuleKind::Bible;
    }

    struct NoteTableInfo {
        const char* name;
        const char* logLine;
        NoteTable kind;
    };
    static const NoteTableInfo kNoteTables[] = {
        {"Book Notes", "Extracting BOOK NOTES from COMMENTARY.", NoteTable::BookNotes},
        {"Chapter Notes", "Extracting CHAPTER NOTES from COMMENTARY.", NoteTable::ChapterNotes},
        {"Commentary", "Extracting VERSE NOTES from COMMENTARY.", NoteTable::Commentary},
        {"Verse Notes", "Extracting entries from VERSE NOTES.", NoteTable::VerseNotes},
    };
    bool anyNoteTable = false;
    for (const auto& info : kNoteTables) anyNoteTable = anyNoteTable || Present(tableNames, info.name);
    // Without a note table there is nothing to lay out; the kind stays
    // unknown whether or not a reference module is loaded.
    if (!anyNoteTable) return ModuleKind::Unknown;

    const TLTBibleModule& reference = RequireModule(module);
    LayOutVerseEntries(entries, reference);
    ModuleKind kind = ModuleKind::Unknown;
    for (const auto& info : kNoteTables) {
        if (!Present(tableNames, info.name)) continue;
        log.Append(info.logLine);
        kind = ModuleKind::Commentary;
        ReadNoteTable(table, info.name, info.kind, entries, reference);
    }
    return kind;
}

}  // namespace tovra
