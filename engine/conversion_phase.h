// The entry conversion phase: every non-blank entry's RTF (or plain text,
// wrapped into RTF) is loaded into the one styled document and written back
// as an HTML page (dictionaries, topics, commentaries, notes) or, for Bibles,
// as plain text or HTML body text, with the text passes around it.
#pragma once

#include <memory>
#include <string>

#include "engine/entries.h"
#include "engine/module_kind.h"
#include "engine/run_host.h"
#include "richtext/rich_doc.h"
#include "richtext/rtf_builder.h"

namespace tovra {

class TEntryConverter {
public:
    // Converts through `document` (the window's hidden rich-text control),
    // or through a document of its own when none is given. The document
    // must outlive the converter.
    explicit TEntryConverter(TRichDoc* document = nullptr);

    // Rewrites the text of every non-blank entry; names and blank entries
    // stay as they are. Sets the flags (only ever to true) on the Bible path.
    void ConvertEntries(ModuleKind kind, EntryList& entries, bool removeFonts, bool& hasItalics,
                        bool& hasFootnotes, TStatusLog& log);

    TRichDoc& Document() { return RichDoc1; }

private:
    void ConvertHtmlEntries(EntryList& entries, bool removeFonts, TStatusLog& log);
    void ConvertBibleEntries(EntryList& entries, bool removeFonts, bool& hasItalics, bool& hasFootnotes,
                             TStatusLog& log);
    // Clears the document, resets its text and paragraph styles and loads
    // `rtf`. A failed load is not reported: whatever the document holds
    // afterwards is written.
    void Load(std::string_view rtf);

    std::unique_ptr<TRichDoc> ownDocument_;
    TRichDoc& RichDoc1;
    TRDRTFReaderProperties readerProperties_;
    // Buffers reused from entry to entry.
    std::string joined_, written_, work_, scratch_;
};

}  // namespace tovra
