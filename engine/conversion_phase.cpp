// The HTML path and the Bible path of the conversion phase.
#include "engine/conversion_phase.h"

#include "engine/text_passes.h"
#include "platform/ascii.h"

namespace tovra {
namespace {

bool StartsWithRtfHeader(const std::string& text) { return StartsWithIgnoringAsciiCase(text, "{\\rtf"); }

}  // namespace

TEntryConverter::TEntryConverter(TRichDoc* document)
    : ownDocument_(document ? nullptr : std::make_unique<TRichDoc>()),
      RichDoc1(document ? *document : *ownDocument_) {
    readerProperties_.UseConversionSettings();
    // Characters outside the ANSI code page travel through the document as
    // markers and end as character references.
    readerProperties_.UnmappableChar = &AppendUnicodeMarker;
}

TEntryConverter::~TEntryConverter() = default;

void TEntryConverter::ConvertEntries(ModuleKind kind, EntryList& entries, bool removeFonts, bool& hasItalics,
                                     bool& hasFootnotes, TStatusLog& log, size_t convertedAlready,
                                     const std::function<void(Entry&)>& onConverted) {
    switch (kind) {
        case ModuleKind::Dictionary:
        case ModuleKind::Commentary:
            ConvertHtmlEntries(entries, convertedAlready, removeFonts, log, onConverted);
            break;
        case ModuleKind::Bible:
            ConvertBibleEntries(entries, convertedAlready, removeFonts, hasItalics, hasFootnotes, log);
            break;
        case ModuleKind::Unknown:
            break;
    }
}

void TEntryConverter::ConvertEntry(ModuleKind kind, Entry& entry, bool removeFonts, bool& hasItalics,
                                   bool& hasFootnotes) {
    switch (kind) {
        case ModuleKind::Dictionary:
        case ModuleKind::Commentary:
            ConvertHtmlEntry(entry, removeFonts);
            break;
        case ModuleKind::Bible:
            ConvertBibleEntry(entry, removeFonts, hasItalics, hasFootnotes);
            break;
        case ModuleKind::Unknown:
            break;
    }
}

void TEntryConverter::Load(std::string_view rtf) {
    TRichDocRDData& doc = RichDoc1.RDData();
    doc.Clear();
    RichDoc1.Style()->ResetTextStyles();
    RichDoc1.Style()->ResetParaStyles();
    LoadRtf(doc, &readerProperties_, rtf);
}

void TEntryConverter::ConvertHtmlEntries(EntryList& entries, size_t first, bool removeFonts, TStatusLog& log,
                                         const std::function<void(Entry&)>& onConverted) {
    log.Append("Converting RTF to HTML...");
    size_t index = 0;
    for (Entry& entry : entries) {
        if (index++ < first) continue;
        ConvertHtmlEntry(entry, removeFonts);
        if (onConverted) onConverted(entry);
    }
}

// Entry texts are held joined (every line followed by CR LF), and every
// text given back to an entry is put in that form. A written page is
// normalised before use, as the writers can put any bytes in it; the passes
// after that neither insert nor remove a CR or an LF on its own (each match
// they change starts and ends at a printable byte), so the page stays in
// joined form except for the last CR LF, which stripping removed.
//
// Every entry is converted and then cleaned up at once; the clean-up of one
// entry does not depend on any other, so the order of the steps per entry is
// that of converting all and then cleaning all.
void TEntryConverter::ConvertHtmlEntry(Entry& entry, bool removeFonts) {
    if (IsBlankText(entry.text)) return;
    if (!htmlPasses_) htmlPasses_ = std::make_unique<THtmlPasses>();
    THtmlPasses& passes = *htmlPasses_;
    joined_.assign(entry.text);
    if (!StartsWithRtfHeader(joined_)) {
        // The lines "{\rtf1" and "}" around the entry's lines.
        joined_.insert(0, "{\\rtf1\r\n");
        joined_ += "}\r\n";
    }
    MarkUnicodeEscapes(joined_);
    Load(joined_);
    written_.clear();
    StringSink sink(written_);
    RichDoc1.SaveHtml(sink, "", entry.name, "", {});

    NormalizeText(written_);
    std::string_view stripped = Stripped(written_);
    if (stripped.empty()) {
        entry.AssignText(written_);
        return;
    }
    work_.assign(stripped);
    ReplaceParagraphMarkup(work_, scratch_);
    passes.BodyTag(work_);
    passes.Colour11Groups(work_);
    passes.UnderlinedUnderscores(work_);
    if (removeFonts) passes.FontTags(work_);
    passes.EmptyParagraphs(work_);
    UnmarkUnicodeEscapes(work_);
    // Joined form again: only the last CR LF is missing (see above).
    if (!work_.empty() && work_.back() != '\n') work_ += "\r\n";
    entry.AssignText(work_);
}

namespace {

// The joined text of the lines of a joined text, each stripped of the bytes
// 0x00 to 0x20 at both ends, without the lines that are blank; a text of
// fewer than two lines is kept as it is.
void KeepStrippedLines(std::string_view joined, std::string& out) {
    out.clear();
    size_t lines = 0;
    for (size_t at = 0; (at = joined.find("\r\n", at)) != std::string_view::npos; at += 2) {
        if (++lines == 2) break;
    }
    if (lines < 2) {
        out.assign(joined);
        return;
    }
    out.reserve(joined.size());
    for (size_t start = 0; start < joined.size();) {
        size_t end = joined.find("\r\n", start);
        if (end == std::string_view::npos) end = joined.size();
        const std::string_view line = Stripped(joined.substr(start, end - start));
        if (!line.empty()) {
            out.append(line);
            out += "\r\n";
        }
        start = end + 2;
    }
}

}  // namespace

void TEntryConverter::ConvertBibleEntries(EntryList& entries, size_t first, bool removeFonts, bool& hasItalics,
                                          bool& hasFootnotes, TStatusLog& log) {
    if (!removeFonts)
        log.Append("**WARNING** \"Remove Font Declarations\" STRONGLY RECOMMENDED for Bible texts!");
    log.Append("Converting RTF to text...");
    size_t index = 0;
    for (Entry& entry : entries) {
        if (index++ >= first) ConvertBibleEntry(entry, removeFonts, hasItalics, hasFootnotes);
    }
}

void TEntryConverter::ConvertBibleEntry(Entry& entry, bool removeFonts, bool& hasItalics, bool& hasFootnotes) {
    std::string_view stripped = Stripped(entry.text);
    if (stripped.empty()) return;
    if (!biblePasses_) biblePasses_ = std::make_unique<TBiblePasses>();
    TBiblePasses& passes = *biblePasses_;
    work_.assign(stripped);
    MarkUnicodeEscapes(work_);
    if (passes.ItalicGroups(work_)) hasItalics = true;
    if (passes.FootnoteMarkers(work_)) hasFootnotes = true;
    // The wrap comes after the passes, which must not see it. Its lines,
    // joined, are the wrapped text and one line break.
    work_.insert(0, "{\\rtf1 ");
    work_ += "}\r\n";
    Load(work_);

    written_.clear();
    StringSink sink(written_);
    if (removeFonts) {
        RichDoc1.SaveText("", sink, 2, false, true);
    } else {
        RichDoc1.SaveHtml(sink, "", "", "", {});
    }
    NormalizeText(written_);
    UnmarkUnicodeEscapes(written_);

    if (!removeFonts) {
        entry.TakeText(ExtractBody(written_));
        return;
    }
    KeepStrippedLines(written_, scratch_);
    entry.AssignText(scratch_);
}

}  // namespace tovra
