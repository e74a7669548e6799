// The run and the per-file state sequence.
#include "engine/conversion_run.h"

#include <exception>
#include <functional>

#include "engine/entries.h"
#include "engine/extract_entries.h"
#include "engine/output_file.h"
#include "platform/ascii.h"

namespace tovra {
namespace {

// Closes the connection on every way out of a file.
class ConnectionGuard {
public:
    explicit ConnectionGuard(TAccessConnection& c) : c_(c) {}
    ~ConnectionGuard() { c_.Close(); }
    ConnectionGuard(const ConnectionGuard&) = delete;
    ConnectionGuard& operator=(const ConnectionGuard&) = delete;

private:
    TAccessConnection& c_;
};

class WaitCursor {
public:
    explicit WaitCursor(TRunView& view) : view_(view) { view_.BeginWaitCursor(); }
    ~WaitCursor() { Restore(); }
    void Restore() {
        if (active_) view_.EndWaitCursor();
        active_ = false;
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    TRunView& view_;
    bool active_ = true;
};

}  // namespace

TConversionEngine::TConversionEngine(const TRunSettings& settings, TStatusLog& log,
                                     const TLTBibleModule* module, TRichDoc* document)
    : settings_(settings), log_(log), module_(module), converter_(document) {}

TRunSummary TConversionEngine::Run(const std::vector<std::string>& selectedFiles, TRunView& view) {
    TRunSummary summary;
    WaitCursor cursor(view);
    log_.Clear();
    view.ProcessPendingMessages();
    if (selectedFiles.empty()) {
        log_.Append("Please select files to convert.");
        return summary;
    }
    for (const std::string& path : selectedFiles) {
        if (ConvertFile(path) == TFileOutcome::Converted) {
            ++summary.converted;
        } else {
            ++summary.failed;
        }
        view.RepaintNow();
    }
    cursor.Restore();
    log_.Append("");
    log_.Append("========================");
    log_.Append("Done.");
    return summary;
}

TFileOutcome TConversionEngine::ConvertFile(const std::string& path) {
    bool hasItalics = false;
    bool hasFootnotes = false;
    ModuleKind kind = ModuleKind::Unknown;
    const bool removeFonts = settings_.RemoveFonts();
    log_.Append("--------------");
    log_.Append("Converting file: \"" + path + "\"");
    log_.Append("Opening Database.");

    ADOConnection1.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                                       ";Persist Security Info=False");
    try {
        ADOConnection1.Open();
    } catch (const std::exception& e) {
        const std::string message = e.what();
        if (ContainsIgnoringAsciiCase(message, "password")) {
            log_.Append("FAILED TO OPEN DATABASE: Database is password protected.");
        } else {
            log_.Append("FAILED TO OPEN DATABASE: \"" + message + "\"");
        }
        return TFileOutcome::Failed;
    }
    ConnectionGuard release(ADOConnection1);

    EntryList entries;
    const std::vector<std::string> tableNames = ADOConnection1.TableNames();
    ADOTable1.Close();

    // Each entry is written out as soon as it is final, so that a module's
    // output is never held whole. The entries of a dictionary, topic or
    // Bible table are converted as they are read, so that its RTF is not
    // held whole either: each is converted in row order, as it would be after
    // reading, and the conversion logs nothing before its own lines. A
    // failure of that conversion is kept and raised where the conversion
    // phase would raise it, after reading and after the phase's log lines: a
    // read error still ends only this file, and a conversion error still
    // ends the run. The converter hands pages on in batches; on a way out
    // that ends the file otherwise, the batch under way is dropped.
    TOutputWriter output(OutputFilePath(settings_.OutFolder(), path), path);
    const std::function<void(const Entry&)> writeOut = [&output](const Entry& entry) { output.Add(entry); };
    struct BatchGuard {
        TEntryConverter& converter;
        ~BatchGuard() { converter.AbandonEntries(); }
    } batchGuard{converter_};
    size_t convertedWhileReading = 0;
    std::exception_ptr conversionFailure;
    const auto convertNow = [&](ModuleKind readKind, Entry& entry) {
        if (conversionFailure) return;
        try {
            // Pages go to the output as they are final; a Bible's verses are
            // rewritten in place instead and written at the end, as the
            // header names flags that only the whole conversion knows.
            converter_.ConvertEntry(readKind, entry, removeFonts, hasItalics, hasFootnotes, writeOut);
        } catch (...) {
            conversionFailure = std::current_exception();
            return;
        }
        ++convertedWhileReading;
    };
    try {
        kind = ExtractEntries(ADOTable1, tableNames, entries, module_, log_, convertNow);
    } catch (const std::exception& e) {
        log_.Append(std::string("ERROR: \"") + e.what() + "\"");
        return TFileOutcome::Failed;
    }
    if (kind == ModuleKind::Unknown) {
        log_.Append("FAILED: Unknown input module type. Unable to convert.");
        return TFileOutcome::Failed;
    }

    // After a failure only the phase's lines are logged, as no entry is
    // converted once the conversion has failed.
    const size_t convertedAlready = conversionFailure ? entries.Count() : convertedWhileReading;
    converter_.ConvertEntries(kind, entries, removeFonts, hasItalics, hasFootnotes, log_, convertedAlready,
                              writeOut);
    if (conversionFailure) std::rethrow_exception(conversionFailure);
    if (kind == ModuleKind::Bible) {
        output.SetFlags(hasItalics, hasFootnotes);
        for (const Entry& entry : entries) output.Add(entry);
    }
    output.Finish(log_);
    return TFileOutcome::Converted;
}

}  // namespace tovra
