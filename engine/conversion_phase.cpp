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

void TEntryConverter::Load(const std::vector<std::string>& lines) {
    TRichDocRDData& doc = RichDoc1.RDData();
    doc.Clear();
    RichDoc1.Style()->ResetTextStyles();
    RichDoc1.Style()->ResetParaStyles();
    JoinedText(lines, joined_);
    LoadRtf(doc, &readerProperties_, joined_);
}

void TEntryConverter::ConvertHtmlEntries(EntryList& entries, bool removeFonts, TStatusLog& log) {
    log.Append("Converting RTF to HTML...");
    for (Entry& entry : entries) {
        JoinedText(entry.lines, joined_);
        if (IsBlankText(joined_)) continue;
        if (!StartsWithRtfHeader(joined_)) {
            entry.lines.insert(entry.lines.begin(), "{\\rtf1");
            entry.lines.emplace_back("}");
            JoinedText(entry.lines, joined_);
        }
        SplitLines(MarkUnicodeEscapes(joined_), entry.lines);
        Load(entry.lines);
        written_.clear();
        StringSink sink(written_);
        RichDoc1.SaveHtml(sink, "", entry.name, "", {});
        SplitLines(written_, entry.lines);
    }

    THtmlPasses passes;
    for (Entry& entry : entries) {
        JoinedText(entry.lines, joined_);
        std::string_view stripped = Stripped(joined_);
        if (stripped.empty()) continue;
        work_ = ReplaceTextIgnoringCase(stripped, "\\par", "<p>&nbsp;</p>");
        work_ = ReplaceTextIgnoringCase(work_, "<DIV", "<p");
        work_ = ReplaceTextIgnoringCase(work_, "</DIV>", "</p>");
        passes.BodyTag(work_);
        passes.Colour11Groups(work_);
        passes.UnderlinedUnderscores(work_);
        if (removeFonts) passes.FontTags(work_);
        passes.EmptyParagraphs(work_);
        SplitLines(UnmarkUnicodeEscapes(work_), entry.lines);
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
        work_ = MarkUnicodeEscapes(stripped);
        if (passes.ItalicGroups(work_)) hasItalics = true;
        if (passes.FootnoteMarkers(work_)) hasFootnotes = true;
        work_.insert(0, "{\\rtf1 ");
        work_ += '}';
        SplitLines(work_, entry.lines);
        Load(entry.lines);

        written_.clear();
        StringSink sink(written_);
        if (removeFonts) {
            RichDoc1.SaveText("", sink, 2, false, true);
        } else {
            RichDoc1.SaveHtml(sink, "", "", "", {});
        }
        SplitLines(written_, entry.lines);
        JoinedText(entry.lines, joined_);
        SplitLines(UnmarkUnicodeEscapes(joined_), entry.lines);

        if (!removeFonts) {
            JoinedText(entry.lines, joined_);
            SplitLines(ExtractBody(joined_), entry.lines);
        } else if (entry.lines.size() >= 2) {
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
