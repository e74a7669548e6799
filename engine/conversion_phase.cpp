// The conversion phase: entries converted in batches shared by the calling
// thread and a worker, and checked against the list styles they started from.
#include "engine/conversion_phase.h"

#include "engine/entry_workspace.h"
#include "platform/worker_ring.h"

namespace tovra {
namespace {

// Entries per batch. The worker and the calling thread share each batch as
// their speeds allow; between batches the calling thread hands the pages on.
constexpr uint32_t kBatchJobs = 64;

// A job's buffers keep their room from entry to entry, up to this much: a
// module's few very long entries must not leave every slot of both batches
// that large.
constexpr size_t kKeptBufferBytes = 64 * 1024;

void LetGoIfLarge(std::string& buffer) {
    if (buffer.capacity() > kKeptBufferBytes) std::string().swap(buffer);
}

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

}  // namespace

TEntryConverter::TEntryConverter(TRichDoc* document, Threads threads)
    : ownDocument_(document ? nullptr : std::make_unique<TRichDoc>()),
      RichDoc1(document ? *document : *ownDocument_),
      caller_(std::make_unique<TEntryWorkspace>(RichDoc1)),
      batchJobs_(threads == Threads::WithWorker && TWorkerRing::SpareProcessor() ? kBatchJobs : 1),
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
    if (worker_) TruncateListStyles(worker_->Document(), listStylesBefore_);
    batchCount_ = 0;
}

// Every entry of a batch is handed to the worker as soon as it is read; the
// worker converts them from the first on, and once the batch is read this
// thread converts them from the last back, until the two meet. A failure
// drops the batch: none of its entries is rewritten or handed on.
void TEntryConverter::StartBatch() {
    listStylesBefore_ = ListStyleCount(RichDoc1);
    if (batchJobs_ > 1 && !worker_) {
        worker_ = TEntryWorkspace::WithDocumentLike(RichDoc1);
        ring_ = std::make_unique<TWorkerRing>(batchJobs_, [this](uint32_t slot) {
            Job& job = *ringJobs_[slot];
            if (!job.claimed.exchange(true, std::memory_order_acq_rel)) ConvertJob(*worker_, job);
        });
        ringJobs_.assign(batchJobs_, nullptr);
    }
    // The worker is idle between batches.
    if (worker_) CatchUpListStyles(RichDoc1, worker_->Document());
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
        // Without a worker a batch holds one entry.
        for (uint32_t i = count; i-- > 0;) {
            Job& job = batch[i];
            if (job.claimed.exchange(true, std::memory_order_acq_rel)) break;
            ConvertJob(*caller_, job);
        }
        if (ring_) {
            ring_->Drain();
            if (std::exception_ptr failure = ring_->TakeFailure()) std::rethrow_exception(failure);
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
        if (worker_) TruncateListStyles(worker_->Document(), listStylesBefore_);
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
            LetGoIfLarge(job.rtf);
            LetGoIfLarge(job.entry.text);
        }
    } catch (...) {
        AbandonEntries();
        throw;
    }
}

void TEntryConverter::ConvertJob(TEntryWorkspace& workspace, Job& job) {
    const TRichDoc& document = workspace.Document();
    job.by = &document;
    job.listStart = ListStyleCount(document);
    if (job.bible) {
        workspace.ConvertBible(job.rtf, job.removeFonts, job.entry.text, job.italics, job.footnotes);
    } else {
        workspace.ConvertHtml(job.rtf, job.entry.name, job.removeFonts, job.entry.text);
    }
    job.listEnd = ListStyleCount(document);
}

}  // namespace tovra
