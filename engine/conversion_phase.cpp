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

void TEntryConverter::ConvertEntries(ModuleKind kind, EntryList& entries, bool removeFonts, bool& hasItalics,
                                     bool& hasFootnotes, TStatusLog& log) {
    switch (kind) {
        case ModuleKind::Dictionary:
        case ModuleKind::Commentary:
            ConvertHtmlEntries(entries, removeFonts, log);
            break;
        case ModuleKind::Bible:
            ConvertBibleEntries(entries, removeFonts, hasItalics, hasFootnotes, log);
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

// The steps below work on whole texts and split them into the entry's lines
// only where the lines are kept. Each shortcut relies on one invariant:
// lines never hold CR, LF or NUL, so a joined text has normal line breaks
// (HasNormalLineBreaks) and splitting it and joining the lines again gives
// it back unchanged; the passes between never insert CR, LF or NUL. Texts
// made by the writers can hold any bytes and are normalised before use.
void TEntryConverter::ConvertHtmlEntries(EntryList& entries, bool removeFonts, TStatusLog& log) {
    log.Append("Converting RTF to HTML...");
    // Every entry is converted and then cleaned up at once; the clean-up of
    // one entry does not depend on any other, so the order of the steps per
    // entry is that of converting all and then cleaning all.
    THtmlPasses passes;
    for (Entry& entry : entries) {
        JoinedText(entry.lines, joined_);
        if (IsBlankText(joined_)) continue;
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

        NormalizeLineBreaks(written_, entry.lines);
        std::string_view stripped = Stripped(written_);
        if (stripped.empty()) {
            SplitLines(written_, entry.lines);
            continue;
        }
        work_.assign(stripped);
        ReplaceParagraphMarkup(work_, scratch_);
        passes.BodyTag(work_);
        passes.Colour11Groups(work_);
        passes.UnderlinedUnderscores(work_);
        if (removeFonts) passes.FontTags(work_);
        passes.EmptyParagraphs(work_);
        UnmarkUnicodeEscapes(work_);
        SplitLines(work_, entry.lines);
    }
}

void TEntryConverter::ConvertBibleEntries(EntryList& entries, bool removeFonts, bool& hasItalics,
                                          bool& hasFootnotes, TStatusLog& log) {
    if (!removeFonts)
        log.Append("**WARNING** \"Remove Font Declarations\" STRONGLY RECOMMENDED for Bible texts!");
    TBiblePasses passes;
    log.Append("Converting RTF to text...");
    for (Entry& entry : entries) {
        JoinedText(entry.lines, joined_);
        std::string_view stripped = Stripped(joined_);
        if (stripped.empty()) continue;
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
        NormalizeLineBreaks(written_, entry.lines);
        UnmarkUnicodeEscapes(written_);

        if (!removeFonts) {
            SplitLines(ExtractBody(written_), entry.lines);
            continue;
        }
        SplitLines(written_, entry.lines);
        if (entry.lines.size() >= 2) {
            for (size_t i = entry.lines.size(); i-- > 0;) {
                std::string& line = entry.lines[i];
                std::string_view s = Stripped(line);
                if (s.empty()) {
                    entry.lines.erase(entry.lines.begin() + static_cast<std::ptrdiff_t>(i));
                } else if (s.size() != line.size()) {
                    line = std::string(s);
                }
            }
        }
    }
}

}  // namespace tovra
