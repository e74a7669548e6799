// One thread's means of converting entries: a styled document, an RTF
// reader, the text passes and buffers reused from entry to entry. An HTML
// entry (dictionaries, topics, commentaries, notes) becomes a cleaned-up
// HTML page, a Bible verse plain text or HTML body text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "richtext/rich_doc.h"
#include "richtext/rtf_builder.h"

namespace tovra {

struct THtmlPasses;
struct TBiblePasses;

class TEntryWorkspace {
public:
    // Converts through `document`, which must outlive the workspace.
    explicit TEntryWorkspace(TRichDoc& document);
    // A workspace with a document of its own, set up as `model` is (page
    // colour, margins, tab width, code page).
    static std::unique_ptr<TEntryWorkspace> WithDocumentLike(const TRichDoc& model);
    ~TEntryWorkspace();
    TEntryWorkspace(const TEntryWorkspace&) = delete;
    TEntryWorkspace& operator=(const TEntryWorkspace&) = delete;

    // The document every entry is loaded into; it keeps the last entry's
    // items until the next entry.
    TRichDoc& Document() { return document_; }
    const TRichDoc& Document() const { return document_; }

    // The page of an HTML entry whose text (in joined form) is `text`, titled
    // `name`, in joined form; font tags go when `removeFonts`.
    void ConvertHtml(const std::string& text, std::string_view name, bool removeFonts, std::string& page);
    // The text of a Bible verse in joined form: plain text when
    // `removeFonts`, else HTML body text. `italics` and `footnotes` tell
    // whether the verse had italic groups or footnote markers.
    void ConvertBible(const std::string& text, bool removeFonts, std::string& verse, bool& italics,
                      bool& footnotes);

private:
    explicit TEntryWorkspace(std::unique_ptr<TRichDoc> own);
    void SetUpReader();
    // Clears the document, resets its text and paragraph styles and loads
    // `rtf`. A failed load is not reported: whatever the document holds
    // afterwards is written.
    void Load(std::string_view rtf);
    // The document as an HTML page in joined form, with or without FONT tags.
    void WritePage(std::string_view title, bool withoutFontTags);

    std::unique_ptr<TRichDoc> ownDocument_;
    TRichDoc& document_;
    TRDRTFReaderProperties reader_;
    // The passes of each path, made on first use.
    std::unique_ptr<THtmlPasses> htmlPasses_;
    std::unique_ptr<TBiblePasses> biblePasses_;
    std::string joined_, written_, work_, scratch_;
};

}  // namespace tovra
