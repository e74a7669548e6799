#include "engine/entry_workspace.h"

#include "engine/entries.h"
#include "engine/text_passes.h"
#include "platform/ascii.h"

namespace tovra {
namespace {

bool StartsWithRtfHeader(const std::string& text) { return StartsWithIgnoringAsciiCase(text, "{\\rtf"); }

// Writing a page without its FONT tags and cleaning it up gives exactly what
// writing it with them and cleaning it up (removing them among the passes)
// gives, when the passes before the font-tag pass can neither see a FONT tag
// nor its absence:
//   - a FONT tag holds only its font name besides fixed text, and no font
//     name holds a control byte (which line-end normalising would see), a
//     backslash (which would let "\par" or a colour-11 group be found in
//     it) or a ">" (which would end the tag early, so that the font-tag pass
//     leaves the rest). A "<" in a name does no harm: what the other passes
//     make of it ends at the tag's own ">", so the tag still goes whole;
//   - the writer puts FONT tags only around a run's other tags, never inside
//     an underline's text; text in HTML-code styles, written as it is, could
//     put them there, so no style may be one;
//   - the page written without them holds no backslash (no "\par" or
//     colour-11 group can then be made or broken by a tag's absence) and
//     nothing the font-tag pattern would remove.
bool FontTagsCanBeLeftOut(const TRichDoc& document) {
    const TRDStyle* style = document.Style();
    if (!style) return false;
    const TFontInfos& styles = style->TextStyles;
    for (int i = 0; i < styles.Count(); ++i) {
        const TFontInfo& s = styles.Items(i);
        if (s.Options.Has(rdteoHTMLCode)) return false;
        for (const char c : s.FontName) {
            if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == '>') return false;
        }
    }
    return true;
}

bool PageWithoutFontTagsIsPlain(std::string_view page) {
    return page.find('\\') == std::string_view::npos && FindFontTag(page, 0) == std::string_view::npos;
}

// A further document set up as `model` is.
std::unique_ptr<TRichDoc> DocumentLike(const TRichDoc& model) {
    auto document = std::make_unique<TRichDoc>();
    document->Color = model.Color;
    document->LeftMargin = model.LeftMargin;
    document->TopMargin = model.TopMargin;
    document->RightMargin = model.RightMargin;
    document->BottomMargin = model.BottomMargin;
    const TRDStyle* style = model.Style();
    if (!style) {
        document->SetStyle(nullptr);
        return document;
    }
    TRDStyle& own = *document->Style();
    own.SpacesInTab = style->SpacesInTab;
    own.Color = style->Color;
    own.JumpCursor = style->JumpCursor;
    own.DefCodePage = style->DefCodePage;
    return document;
}

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

TEntryWorkspace::TEntryWorkspace(TRichDoc& document) : document_(document) { SetUpReader(); }

TEntryWorkspace::TEntryWorkspace(std::unique_ptr<TRichDoc> own)
    : ownDocument_(std::move(own)), document_(*ownDocument_) {
    SetUpReader();
}

std::unique_ptr<TEntryWorkspace> TEntryWorkspace::WithDocumentLike(const TRichDoc& model) {
    return std::unique_ptr<TEntryWorkspace>(new TEntryWorkspace(DocumentLike(model)));
}

void TEntryWorkspace::SetUpReader() {
    reader_.UseConversionSettings();
    // Characters outside the ANSI code page travel through the document as
    // markers and end as character references.
    reader_.UnmappableChar = &AppendUnicodeMarker;
}

TEntryWorkspace::~TEntryWorkspace() = default;

void TEntryWorkspace::Load(std::string_view rtf) {
    TRichDocRDData& doc = document_.RDData();
    doc.Clear();
    if (TRDStyle* style = document_.Style()) {
        style->ResetTextStyles();
        style->ResetParaStyles();
    }
    LoadRtf(doc, &reader_, rtf);
}

// Entry texts are held joined (every line followed by CR LF), and every
// text given back to an entry is put in that form. A written page is
// normalised before use, as the writers can put any bytes in it; the passes
// after that neither insert nor remove a CR or an LF on its own (each match
// they change starts and ends at a printable byte), so the page stays in
// joined form except for the last CR LF, which stripping removed.
void TEntryWorkspace::ConvertHtml(const std::string& text, std::string_view name, bool removeFonts,
                                  std::string& page) {
    joined_.assign(text);
    if (!StartsWithRtfHeader(joined_)) {
        // The lines "{\rtf1" and "}" around the entry's lines.
        joined_.insert(0, "{\\rtf1\r\n");
        joined_ += "}\r\n";
    }
    MarkUnicodeEscapes(joined_);
    Load(joined_);

    // Font tags to be removed are not written at all where that is sure to
    // give the same page (see FontTagsCanBeLeftOut).
    bool fontTagsLeftOut = removeFonts && FontTagsCanBeLeftOut(document_);
    WritePage(name, fontTagsLeftOut);
    if (fontTagsLeftOut && !PageWithoutFontTagsIsPlain(written_)) {
        fontTagsLeftOut = false;
        WritePage(name, false);
    }
    if (Stripped(written_).empty()) {
        page.assign(written_);
        return;
    }
    work_.assign(Stripped(written_));
    if (!htmlPasses_) htmlPasses_ = std::make_unique<THtmlPasses>();
    THtmlPasses& passes = *htmlPasses_;
    ReplaceParagraphMarkup(work_, scratch_);
    passes.BodyTag(work_);
    passes.Colour11Groups(work_);
    passes.UnderlinedUnderscores(work_);
    if (removeFonts && !fontTagsLeftOut) passes.FontTags(work_);
    passes.EmptyParagraphs(work_);
    UnmarkUnicodeEscapes(work_);
    // Joined form again: only the last CR LF is missing (see above).
    if (!work_.empty() && work_.back() != '\n') work_ += "\r\n";
    page.assign(work_);
}

void TEntryWorkspace::WritePage(std::string_view title, bool withoutFontTags) {
    written_.clear();
    StringSink sink(written_);
    document_.SaveHtml(sink, "", title, "", withoutFontTags ? TRDSaveOptions{rdsoNoFontTags} : TRDSaveOptions{});
    NormalizeText(written_);
}

void TEntryWorkspace::ConvertBible(const std::string& text, bool removeFonts, std::string& verse, bool& italics,
                                   bool& footnotes) {
    if (!biblePasses_) biblePasses_ = std::make_unique<TBiblePasses>();
    TBiblePasses& passes = *biblePasses_;
    work_.assign(Stripped(text));
    MarkUnicodeEscapes(work_);
    italics = passes.ItalicGroups(work_);
    footnotes = passes.FootnoteMarkers(work_);
    // The wrap comes after the passes, which must not see it. Its lines,
    // joined, are the wrapped text and one line break.
    work_.insert(0, "{\\rtf1 ");
    work_ += "}\r\n";
    Load(work_);

    written_.clear();
    StringSink sink(written_);
    if (removeFonts) {
        document_.SaveText("", sink, 2, false, true);
    } else {
        document_.SaveHtml(sink, "", "", "", {});
    }
    NormalizeText(written_);
    UnmarkUnicodeEscapes(written_);

    if (!removeFonts) {
        verse.assign(ExtractBody(written_));
        NormalizeText(verse);
        return;
    }
    KeepStrippedLines(written_, verse);
}

}  // namespace tovra
