// The HTML path and the Bible path of the conversion phase.
#include "engine/conversion_phase.h"

#include "engine/text_passes.h"
#include "platform/ascii.h"
#include "platform/worker_ring.h"

namespace tovra {
namespace {

bool StartsWithRtfHeader(const std::string& text) { return StartsWithIgnoringAsciiCase(text, "{\\rtf"); }

// Entries per batch. The worker and the calling thread share each batch as
// their speeds allow; between batches the calling thread hands the pages on.
constexpr uint32_t kBatchJobs = 64;

int ListStyleCount(const TRichDoc& document) {
    const TRDStyle* style = document.Style();
    return style ? style->ListStyles.Count() : 0;
}

// Gives `to` the list styles of `from`. List styles are only ever appended,
// so a document that is behind holds the first of them and takes the rest.
void CatchUpListStyles(const TRichDoc& from, TRichDoc& to) {
    const TRDStyle* source = from.Style();
    TRDStyle* target = to.Style();
    if (!source || !target) return;
    TRDListInfos& mine = target->ListStyles;
    const TRDListInfos& theirs = source->ListStyles;
    mine.Truncate(theirs.Count());
    for (int i = mine.Count(); i < theirs.Count(); ++i) mine.Add() = theirs.Items(i);
}

void TruncateListStyles(TRichDoc& document, int count) {
    if (TRDStyle* style = document.Style()) style->ListStyles.Truncate(count);
}

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

}  // namespace

// Everything one thread converts entries with: a document, an RTF reader,
// the passes and buffers reused from entry to entry.
struct TEntryConverter::Workspace {
    // Converts through `doc`, which must outlive the workspace.
    explicit Workspace(TRichDoc& doc) : document(doc) { SetUpReader(); }
    // Converts through a document of its own.
    explicit Workspace(std::unique_ptr<TRichDoc> own) : ownDocument(std::move(own)), document(*ownDocument) {
        SetUpReader();
    }

    void SetUpReader() {
        reader.UseConversionSettings();
        // Characters outside the ANSI code page travel through the document
        // as markers and end as character references.
        reader.UnmappableChar = &AppendUnicodeMarker;
    }

    // Clears the document, resets its text and paragraph styles and loads
    // `rtf`. A failed load is not reported: whatever the document holds
    // afterwards is written.
    void Load(std::string_view rtf) {
        TRichDocRDData& doc = document.RDData();
        doc.Clear();
        if (TRDStyle* style = document.Style()) {
            style->ResetTextStyles();
            style->ResetParaStyles();
        }
        LoadRtf(doc, &reader, rtf);
    }

    THtmlPasses& HtmlPasses() {
        if (!htmlPasses) htmlPasses = std::make_unique<THtmlPasses>();
        return *htmlPasses;
    }
    TBiblePasses& BiblePasses() {
        if (!biblePasses) biblePasses = std::make_unique<TBiblePasses>();
        return *biblePasses;
    }

    std::unique_ptr<TRichDoc> ownDocument;
    TRichDoc& document;
    TRDRTFReaderProperties reader;
    std::unique_ptr<THtmlPasses> htmlPasses;
    std::unique_ptr<TBiblePasses> biblePasses;
    std::string joined, written, work, scratch;
};

TEntryConverter::TEntryConverter(TRichDoc* document, Threads threads)
    : ownDocument_(document ? nullptr : std::make_unique<TRichDoc>()),
      RichDoc1(document ? *document : *ownDocument_),
      caller_(std::make_unique<Workspace>(RichDoc1)),
      batchJobs_(threads == Threads::WithWorker ? kBatchJobs : 1),
      jobs_(2 * batchJobs_),
      lastLoaded_(&RichDoc1) {}

TEntryConverter::~TEntryConverter() = default;

void TEntryConverter::ConvertEntries(ModuleKind kind, EntryList& entries, bool removeFonts, bool& hasItalics,
                                     bool& hasFootnotes, TStatusLog& log, size_t convertedAlready,
                                     const std::function<void(const Entry&)>& onConverted) {
    switch (kind) {
        case ModuleKind::Dictionary:
        case ModuleKind::Commentary:
            log.Append("Converting RTF to HTML...");
            break;
        case ModuleKind::Bible:
            if (!removeFonts)
                log.Append("**WARNING** \"Remove Font Declarations\" STRONGLY RECOMMENDED for Bible texts!");
            log.Append("Converting RTF to text...");
            break;
        case ModuleKind::Unknown:
            return;
    }
    size_t index = 0;
    for (Entry& entry : entries) {
        if (index++ >= convertedAlready) ConvertEntry(kind, entry, removeFonts, hasItalics, hasFootnotes, onConverted);
    }
    if (batchCount_ > 0) CommitBatch();
    HandOn(handOnCount_);
}

void TEntryConverter::ConvertEntry(ModuleKind kind, Entry& entry, bool removeFonts, bool& hasItalics,
                                   bool& hasFootnotes, const std::function<void(const Entry&)>& onConverted) {
    if (kind == ModuleKind::Unknown) return;
    const bool handedOn = onConverted && kind != ModuleKind::Bible;
    if (IsBlankText(entry.text)) {
        // A blank entry stays as it is and gives no page.
        if (handedOn) std::string().swap(entry.text);
        return;
    }
    try {
        if (batchCount_ == 0) StartBatch();
        Job& job = Batch()[batchCount_];
        job.bible = kind == ModuleKind::Bible;
        job.entry.name.assign(entry.name);
        job.rtf.assign(entry.text);
        job.removeFonts = removeFonts;
        job.target = handedOn ? nullptr : &entry;
        job.onConverted = handedOn ? onConverted : nullptr;
        job.hasItalics = &hasItalics;
        job.hasFootnotes = &hasFootnotes;
        job.claimed.store(false, std::memory_order_relaxed);
        if (handedOn) std::string().swap(entry.text);
        ++batchCount_;
        // The worker is given each entry once the next one is read, so that
        // the last entry of a batch (above all a batch of one) is converted
        // here without waking it.
        if (ring_ && batchCount_ >= 2) {
            const uint32_t slot = ring_->Acquire();
            ringJobs_[slot] = &Batch()[batchCount_ - 2];
            ring_->Publish();
        }
        // The last batch's pages are handed on one by one while this one is
        // read, so that the worker has entries to convert meanwhile.
        HandOn(1);
    } catch (...) {
        AbandonEntries();
        throw;
    }
    if (batchCount_ == batchJobs_) CommitBatch();
}

void TEntryConverter::AbandonEntries() {
    if (ring_) {
        ring_->Drain();
        ring_->TakeFailure();
    }
    handOnNext_ = handOnCount_ = 0;
    if (batchCount_ == 0) return;
    // Back to the list styles before the batch.
    TruncateListStyles(RichDoc1, listStylesBefore_);
    if (worker_) TruncateListStyles(worker_->document, listStylesBefore_);
    batchCount_ = 0;
}

// Every entry of a batch is handed to the worker as soon as it is read; the
// worker converts them from the first on, and once the batch is read this
// thread converts them from the last back, until the two meet. A failure
// drops the batch: none of its entries is rewritten or handed on.
void TEntryConverter::StartBatch() {
    listStylesBefore_ = ListStyleCount(RichDoc1);
    if (batchJobs_ > 1 && !worker_) {
        worker_ = std::make_unique<Workspace>(DocumentLike(RichDoc1));
        ring_ = std::make_unique<TWorkerRing>(batchJobs_, [this](uint32_t slot) {
            Job& job = *ringJobs_[slot];
            if (!job.claimed.exchange(true, std::memory_order_acq_rel)) ConvertJob(*worker_, job);
        });
        ringJobs_.assign(batchJobs_, nullptr);
    }
    // The worker is idle between batches.
    if (worker_) CatchUpListStyles(RichDoc1, worker_->document);
}

namespace {

// Gives `document` the list styles after `source`'s conversion of the job
// that left `end` of them, from the `before` that every job of the batch
// started from.
void RestoreListStyles(TRichDoc& document, const TRichDoc& source, int before, int end) {
    TRDStyle* target = document.Style();
    const TRDStyle* from = source.Style();
    if (!target || !from) return;
    if (&document == &source) {
        target->ListStyles.Truncate(end);
        return;
    }
    target->ListStyles.Truncate(before);
    for (int i = before; i < end; ++i) target->ListStyles.Add() = from->ListStyles.Items(i);
}

}  // namespace

void TEntryConverter::CommitBatch() {
    const uint32_t count = batchCount_;
    Job* const batch = Batch();
    try {
        HandOn(handOnCount_);
        if (ring_) {
            for (uint32_t i = count; i-- > 0;) {
                Job& job = batch[i];
                if (job.claimed.exchange(true, std::memory_order_acq_rel)) break;
                ConvertJob(*caller_, job);
            }
            ring_->Drain();
            if (std::exception_ptr failure = ring_->TakeFailure()) std::rethrow_exception(failure);
        } else {
            for (uint32_t i = 0; i < count; ++i) ConvertJob(*caller_, batch[i]);
        }
        // Every job started from the list styles before the batch, as if the
        // jobs before it had added none, and did so in any order. A job's
        // page holds when it started from there and no job before it added
        // list styles; from the first one that does not hold on, the jobs
        // are converted again in order, after the list styles the last
        // holding job left.
        uint32_t redoFrom = count;
        for (uint32_t i = 0; i < count && redoFrom == count; ++i) {
            const Job& job = batch[i];
            if (job.listStart != listStylesBefore_) {
                redoFrom = i;
            } else if (job.listEnd != job.listStart) {
                redoFrom = i + 1;
            }
        }
        if (redoFrom > 0 && batch[redoFrom - 1].listEnd != listStylesBefore_) {
            const Job& last = batch[redoFrom - 1];
            RestoreListStyles(RichDoc1, *last.by, listStylesBefore_, last.listEnd);
        } else {
            TruncateListStyles(RichDoc1, listStylesBefore_);
        }
        for (uint32_t i = redoFrom; i < count; ++i) ConvertJob(*caller_, batch[i]);
        // The worker catches up from here before its next batch.
        if (worker_) TruncateListStyles(worker_->document, listStylesBefore_);
        if (count > 0) lastLoaded_ = batch[count - 1].by;
    } catch (...) {
        AbandonEntries();
        throw;
    }
    // Handed on while the next batch is read.
    batchCount_ = 0;
    half_ ^= 1;
    handOnNext_ = 0;
    handOnCount_ = count;
}

void TEntryConverter::HandOn(uint32_t limit) {
    Job* const batch = &jobs_[(half_ ^ 1) * batchJobs_];
    try {
        for (; limit > 0 && handOnNext_ < handOnCount_; --limit) {
            Job& job = batch[handOnNext_++];
            if (job.bible) {
                if (job.italics) *job.hasItalics = true;
                if (job.footnotes) *job.hasFootnotes = true;
            }
            if (job.target) {
                job.target->AssignText(job.entry.text);
            } else {
                job.onConverted(job.entry);
            }
        }
    } catch (...) {
        AbandonEntries();
        throw;
    }
}

void TEntryConverter::ConvertJob(Workspace& workspace, Job& job) {
    job.by = &workspace.document;
    if (job.bible) {
        ConvertBible(workspace, job);
    } else {
        ConvertHtml(workspace, job);
    }
}

// Entry texts are held joined (every line followed by CR LF), and every
// text given back to an entry is put in that form. A written page is
// normalised before use, as the writers can put any bytes in it; the passes
// after that neither insert nor remove a CR or an LF on its own (each match
// they change starts and ends at a printable byte), so the page stays in
// joined form except for the last CR LF, which stripping removed.
void TEntryConverter::ConvertHtml(Workspace& w, Job& job) {
    job.listStart = ListStyleCount(w.document);
    w.joined.assign(job.rtf);
    if (!StartsWithRtfHeader(w.joined)) {
        // The lines "{\rtf1" and "}" around the entry's lines.
        w.joined.insert(0, "{\\rtf1\r\n");
        w.joined += "}\r\n";
    }
    MarkUnicodeEscapes(w.joined);
    w.Load(w.joined);
    job.listEnd = ListStyleCount(w.document);

    // Font tags to be removed are not written at all where that is sure to
    // give the same page (see FontTagsCanBeLeftOut).
    bool fontTagsLeftOut = job.removeFonts && FontTagsCanBeLeftOut(w.document);
    WritePage(w, job.entry.name, fontTagsLeftOut);
    if (fontTagsLeftOut && !PageWithoutFontTagsIsPlain(w.written)) {
        fontTagsLeftOut = false;
        WritePage(w, job.entry.name, false);
    }
    if (Stripped(w.written).empty()) {
        job.entry.text.assign(w.written);
        return;
    }
    w.work.assign(Stripped(w.written));
    THtmlPasses& passes = w.HtmlPasses();
    ReplaceParagraphMarkup(w.work, w.scratch);
    passes.BodyTag(w.work);
    passes.Colour11Groups(w.work);
    passes.UnderlinedUnderscores(w.work);
    if (job.removeFonts && !fontTagsLeftOut) passes.FontTags(w.work);
    passes.EmptyParagraphs(w.work);
    UnmarkUnicodeEscapes(w.work);
    // Joined form again: only the last CR LF is missing (see above).
    if (!w.work.empty() && w.work.back() != '\n') w.work += "\r\n";
    job.entry.text.assign(w.work);
}

// The document as an HTML page in joined form, with or without FONT tags.
void TEntryConverter::WritePage(Workspace& w, std::string_view title, bool withoutFontTags) {
    w.written.clear();
    StringSink sink(w.written);
    w.document.SaveHtml(sink, "", title, "", withoutFontTags ? TRDSaveOptions{rdsoNoFontTags} : TRDSaveOptions{});
    NormalizeText(w.written);
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

void TEntryConverter::ConvertBible(Workspace& w, Job& job) {
    TBiblePasses& passes = w.BiblePasses();
    w.work.assign(Stripped(job.rtf));
    MarkUnicodeEscapes(w.work);
    job.italics = passes.ItalicGroups(w.work);
    job.footnotes = passes.FootnoteMarkers(w.work);
    // The wrap comes after the passes, which must not see it. Its lines,
    // joined, are the wrapped text and one line break.
    w.work.insert(0, "{\\rtf1 ");
    w.work += "}\r\n";
    job.listStart = ListStyleCount(w.document);
    w.Load(w.work);
    job.listEnd = ListStyleCount(w.document);

    w.written.clear();
    StringSink sink(w.written);
    if (job.removeFonts) {
        w.document.SaveText("", sink, 2, false, true);
    } else {
        w.document.SaveHtml(sink, "", "", "", {});
    }
    NormalizeText(w.written);
    UnmarkUnicodeEscapes(w.written);

    if (!job.removeFonts) {
        job.entry.text.assign(ExtractBody(w.written));
        NormalizeText(job.entry.text);
        return;
    }
    KeepStrippedLines(w.written, job.entry.text);
}

}  // namespace tovra
