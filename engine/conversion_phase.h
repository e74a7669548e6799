// The entry conversion phase: every non-blank entry's RTF (or plain text,
// wrapped into RTF) is loaded into a styled document and written back as an
// HTML page (dictionaries, topics, commentaries, notes) or, for Bibles, as
// plain text or HTML body text, with the text passes around it.
//
// Entries are converted in batches shared by two threads: a worker, with a
// document of its own, converts a batch's entries from the first on while
// they are read, and the calling thread converts them from the last back
// once the batch is read, until the two meet. The only thing a load
// leaves for the next is the list styles of the style sheet, which are only
// ever appended. Every entry of a batch starts from the list styles before
// the batch; when an entry added list styles, the entries after it are
// converted again, in order, so that every page is the one a single
// document converting every entry in order gives. Pages are handed on, and
// entries rewritten, in list order on the calling thread. A failure drops
// the batch under way: none of its entries is rewritten or handed on.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/entries.h"
#include "engine/module_kind.h"
#include "engine/run_host.h"
#include "richtext/rich_doc.h"

namespace tovra {

class TEntryWorkspace;
class TWorkerRing;

class TEntryConverter {
public:
    // Where entries are converted: partly on a worker thread (where the
    // process may use more than one processor), or all on the calling
    // thread, one after the other through one document.
    enum class Threads { WithWorker, CallingOnly };

    // Converts through `document` (the window's hidden rich-text control),
    // or through a document of its own when none is given; the worker
    // converts through a document of its own. The document must outlive the
    // converter.
    explicit TEntryConverter(TRichDoc* document = nullptr, Threads threads = Threads::WithWorker);
    ~TEntryConverter();

    // Rewrites the text of every non-blank entry; names and blank entries
    // stay as they are. Sets the flags (only ever to true) on the Bible path.
    // `convertedAlready` entries at the start of the list were converted
    // with ConvertEntry while they were read; they are left as they are.
    //
    // On the HTML path with `onConverted` set, the entries' texts are let go
    // instead, and `onConverted` is called with every non-blank entry's name
    // and page, in list order. Every call has been made when ConvertEntries
    // returns.
    void ConvertEntries(ModuleKind kind, EntryList& entries, bool removeFonts, bool& hasItalics,
                        bool& hasFootnotes, TStatusLog& log, size_t convertedAlready = 0,
                        const std::function<void(const Entry&)>& onConverted = {});
    // Converts one entry exactly as ConvertEntries does, for entries
    // converted while they are read: an entry's conversion depends only on
    // the entries converted before it, in list order. Entries are finished
    // in batches: the entry is rewritten, or on the HTML path with
    // `onConverted` its text let go and its page handed on, by this or a
    // later call, and at the latest by the ConvertEntries that must follow
    // for the list's remaining entries. Until then the entry must stay
    // where it is (appending to its list leaves it there). Logs nothing.
    void ConvertEntry(ModuleKind kind, Entry& entry, bool removeFonts, bool& hasItalics, bool& hasFootnotes,
                      const std::function<void(const Entry&)>& onConverted = {});
    // Drops the entries still on their way (their pages are never handed
    // on), after waiting for the worker: for the ways out of a file that
    // end it otherwise.
    void AbandonEntries();

    // The document given to the constructor (or the converter's own).
    TRichDoc& Document() { return RichDoc1; }
    // The document the last converted entry was loaded into.
    const TRichDoc& LastLoaded() const { return *lastLoaded_; }

private:
    // One HTML entry on its way from its RTF to its page. Each buffer stays
    // with its job: a buffer let go by another thread than the one that
    // made it costs a lock shared with that thread's allocations.
    struct Job {
        bool bible = false;  // a Bible verse, else an HTML entry
        std::string rtf;
        Entry entry;  // the name, and the page once converted
        bool removeFonts = false;
        Entry* target = nullptr;  // rewritten in place when set
        std::function<void(const Entry&)> onConverted;  // else given the page
        // A verse's flags, set when the verse is rewritten.
        bool* hasItalics = nullptr;
        bool* hasFootnotes = nullptr;
        bool italics = false, footnotes = false;
        std::atomic<bool> claimed{false};  // by the thread that converts it
        // The document it was converted in, with its count of list styles
        // before and after the load.
        const TRichDoc* by = nullptr;
        int listStart = 0, listEnd = 0;
    };

    void StartBatch();
    Job* Batch() { return &jobs_[half_ * batchJobs_]; }
    // Rewrites or hands on up to `limit` pages of the last batch done.
    void HandOn(uint32_t limit);
    // Hands on the last batch's pages still waiting, converts the batch's
    // entries not yet converted, converts again those that started from list
    // styles other than those the entries before them left and brings the
    // calling thread's document to the list styles after the batch; its
    // pages wait to be handed on.
    void CommitBatch();
    // Converts the job's entry in `workspace`, noting the document and the
    // list styles before and after.
    static void ConvertJob(TEntryWorkspace& workspace, Job& job);

    std::unique_ptr<TRichDoc> ownDocument_;
    TRichDoc& RichDoc1;
    std::unique_ptr<TEntryWorkspace> caller_;
    // The worker's workspace, batch and ring, made on first use.
    std::unique_ptr<TEntryWorkspace> worker_;
    const uint32_t batchJobs_;
    // Two batches: the one being filled and converted, and the one whose
    // pages are being handed on.
    std::vector<Job> jobs_;
    uint32_t half_ = 0;  // of the batch being filled
    uint32_t handOnNext_ = 0, handOnCount_ = 0;
    std::vector<Job*> ringJobs_;  // the job of each slot of the ring
    uint32_t batchCount_ = 0;
    int listStylesBefore_ = 0;  // at the start of the batch
    const TRichDoc* lastLoaded_;
    // Last, so destroyed first: its worker uses the members above.
    std::unique_ptr<TWorkerRing> ring_;
};

}  // namespace tovra
