// Verse-keyed reading. Book numbers count from 1 to 66 and verse ordinals
// from 1 to 31102 (the KJV layout the notes are keyed by); rows outside are
// skipped silently, after the fields that decide it have been read.
#include "engine/verse_entries.h"

#include <charconv>
#include <utility>

#include "refbible/module.h"

namespace tovra {
namespace {

constexpr int32_t kBookCount = 66;
constexpr int32_t kVerseIdCount = 31102;

bool InBookRange(int32_t book) { return book >= 1 && book <= kBookCount; }

// "Book chapter:verse".
std::string FormatReference(const std::string& book, int32_t chapter, int32_t verse) {
    char numbers[2][12];
    const auto chapterLength =
        static_cast<size_t>(std::to_chars(numbers[0], numbers[0] + sizeof numbers[0], chapter).ptr - numbers[0]);
    const auto verseLength =
        static_cast<size_t>(std::to_chars(numbers[1], numbers[1] + sizeof numbers[1], verse).ptr - numbers[1]);
    std::string reference;
    reference.reserve(book.size() + 2 + chapterLength + verseLength);
    reference.append(book).append(1, ' ').append(numbers[0], chapterLength).append(1, ':');
    reference.append(numbers[1], verseLength);
    return reference;
}

// A field of the open table looked up by name on its first use and kept
// for the following rows; a missing field throws at its first use, as a
// lookup on every row does.
class TCachedField {
public:
    TCachedField(TAccessTable& table, std::string name) : table_(table), name_(std::move(name)) {}
    const TAccessField& operator*() {
        if (!field_) field_ = &table_.FieldByName(name_);
        return *field_;
    }
    const TAccessField* operator->() { return &**this; }

private:
    TAccessTable& table_;
    std::string name_;
    const TAccessField* field_ = nullptr;
};

// New text = the entry's text, then `comments`, in joined form.
void AppendToEntry(Entry& entry, const std::string& comments) { AppendNormalizedText(comments, entry.text); }

}  // namespace

void ReadBibleTable(TAccessTable& table, const std::string& tableName, const TVerseFields& fields,
                    EntryList& entries, const TLTBibleModule& module,
                    const std::function<void(Entry&)>& onEntry) {
    const auto& names = module.BookNames();
    table.Open(tableName);
    TCachedField bookField(table, fields.book), chapterField(table, fields.chapter),
        verseField(table, fields.verse), textField(table, fields.text);
    while (!table.Eof()) {
        const int32_t book = bookField->AsInteger();
        const int32_t chapter = chapterField->AsInteger();
        const int32_t verse = verseField->AsInteger();
        if (InBookRange(book)) {
            std::string text = textField->AsString(TUnmappableForm::RtfEscape);
            if (static_cast<size_t>(book) > names.size()) throw EListError(book - 1);
            Entry& entry = entries.Append(FormatReference(names[static_cast<size_t>(book - 1)], chapter, verse));
            entry.TakeText(std::move(text));
            if (onEntry) onEntry(entry);
        }
        table.Next();
    }
    table.Close();
}

void LayOutVerseEntries(EntryList& entries, const TLTBibleModule& module) {
    const uint16_t count = module.VerseCount();
    for (uint32_t ordinal = 1; ordinal <= count; ++ordinal)
        entries.Append(module.VerseReference(static_cast<uint16_t>(ordinal), false));
}

void ReadNoteTable(TAccessTable& table, const std::string& tableName, NoteTable kind, const TVerseFields& fields,
                   EntryList& entries, const TLTBibleModule& module) {
    table.Open(tableName);
    TCachedField bookField(table, fields.book), chapterField(table, fields.chapter),
        verseField(table, fields.verse), textField(table, fields.text);
    while (!table.Eof()) {
        if (kind == NoteTable::VerseNotes) {
            const int32_t verseId = verseField->AsInteger();
            if (verseId >= 1 && verseId <= kVerseIdCount) {
                std::string comments = textField->AsString(TUnmappableForm::RtfEscape);
                AppendToEntry(entries.At(verseId - 1), comments);
            }
        } else if (kind == NoteTable::VerseNotesByReference) {
            const int32_t book = bookField->AsInteger();
            const int32_t chapter = chapterField->AsInteger();
            const int32_t verse = verseField->AsInteger();
            if (InBookRange(book)) {
                // VerseOrdinal clamps; only a verse the reference Bible has
                // comes back as itself.
                const int32_t ordinal = module.VerseOrdinal(book, chapter, verse);
                int32_t foundBook = 0, foundChapter = 0, foundVerse = 0;
                module.VerseLocation(ordinal, foundBook, foundChapter, foundVerse);
                if (foundBook == book && foundChapter == chapter && foundVerse == verse) {
                    std::string notes = textField->AsString(TUnmappableForm::RtfEscape);
                    AppendToEntry(entries.At(ordinal - 1), notes);
                }
            }
        } else {
            const int32_t book = bookField->AsInteger();
            int32_t chapter = 1, verse = 1;
            if (kind != NoteTable::BookNotes) chapter = chapterField->AsInteger();
            if (kind == NoteTable::Commentary) verse = verseField->AsInteger();
            if (InBookRange(book)) {
                std::string comments = textField->AsString(TUnmappableForm::RtfEscape);
                const int32_t ordinal = module.VerseOrdinal(book, chapter, verse);
                Entry& entry = entries.At(static_cast<long long>(ordinal) - 1);
                if (!IsBlankText(entry.text)) entry.text += "\\par\r\n";
                AppendToEntry(entry, comments);
            }
        }
        table.Next();
    }
    table.Close();
}

}  // namespace tovra
