// The entry conversion phase: every non-blank entry's RTF (or plain text,
// wrapped into RTF) is loaded into the one styled document and written back
// as an HTML page (dictionaries, topics, commentaries, notes) or, for Bibles,
// as plain text or HTML body text, with the text passes around it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/entries.h"
#include "engine/module_kind.h"
#include "engine/run_host.h"
#include "richtext/rich_doc.h"
#include "richtext/rtf_builder.h"

namespace tovra {

struct THtmlPasses;
struct TBiblePasses;

class TEntryConverter {
public:
    // Converts through `document` (the window's hidden rich-text control),
    // or through a document of its own when none is given. The document
    // must outlive the converter.
    explicit TEntryConverter(TRichDoc* document = nullptr);
    ~TEntryConverter();

    // Rewrites the text of every non-blank entry; names and blank entries
    // stay as they are. Sets the flags (only ever to true) on the Bible path.
    // `convertedAlready` entries at the start of the list were converted
    // with ConvertEntry while they were read; they are left as they are. On
    // the HTML path `onConverted`, when set, is called with every other
    // entry (blank ones too) once it is final, in list order, and may take
    // its text.
    void ConvertEntries(ModuleKind kind, EntryList& entries, bool removeFonts, bool& hasItalics,
                        bool& hasFootnotes, TStatusLog& log, size_t convertedAlready = 0,
                        const std::function<void(Entry&)>& onConverted = {});
    // Converts one entry exactly as ConvertEntries does, for entries
    // converted while they are read: an entry's conversion depends only on
    // the entries converted before it, in list order. Logs nothing.
    void ConvertEntry(ModuleKind kind, Entry& entry, bool removeFonts, bool& hasItalics, bool& hasFootnotes);

    TRichDoc& Document() { return RichDoc1; }

private:
    void ConvertHtmlEntries(EntryList& entries, size_t first, bool removeFonts, TStatusLog& log,
                            const std::function<void(Entry&)>& onConverted);
    void ConvertHtmlEntry(Entry& entry, bool removeFonts);
    void ConvertBibleEntries(EntryList& entries, size_t first, bool removeFonts, bool& hasItalics,
                             bool& hasFootnotes, TStatusLog& log);
    void ConvertBibleEntry(Entry& entry, bool removeFonts, bool& hasItalics, bool& hasFootnotes);
    // Clears the document, resets its text and paragraph styles and loads
    // `rtf`. A failed load is not reported: whatever the document holds
    // afterwards is written.
    void Load(std::string_view rtf);

    std::unique_ptr<TRichDoc> ownDocument_;
    TRichDoc& RichDoc1;
    TRDRTFReaderProperties readerProperties_;
    // The passes of each path, made on first use.
    std::unique_ptr<THtmlPasses> htmlPasses_;
    std::unique_ptr<TBiblePasses> biblePasses_;
    // Buffers reused from entry to entry.
    std::string joined_, written_, work_, scratch_;
};

}  // namespace tovra
