// tovra-cli: the conversion run from the command line.
//
// Runs the same conversion as the window's "Go" over the files given, in the
// order given, and prints every status log line as it is appended. Options
// override the stored settings for this run only; the store is never
// written.
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "engine/conversion_run.h"
#include "engine/error_report.h"
#include "engine/settings.h"
#include "engine/store_settings.h"
#include "platform/settings_store.h"
#include "refbible/module.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitError = 2;

const char kUsage[] =
    "Usage: tovra-cli [--out DIR] [--remove-fonts | --keep-fonts] [--module PATH] FILE...\n"
    "\n"
    "Converts e-Sword module databases into Loom input text files named\n"
    "DIR/<name>_loom.txt, in the order given, and prints the status log as it\n"
    "goes. It reads the Access modules of e-Sword up to version 8 (.bbl, .cmt,\n"
    ".dct, .top, .not, .mdb) and the SQLite modules of e-Sword 9 and later\n"
    "(.bblx, .cmtx, .dctx, .topx, .notx); the file's contents, not its name,\n"
    "decide which.\n"
    "\n"
    "Options:\n"
    "  --out DIR        output folder (default: the stored \"OutFolder\" setting,\n"
    "                   else the documents folder)\n"
    "  --remove-fonts   delete font tags from dictionary, topic and commentary\n"
    "                   HTML and write Bible verses as plain text\n"
    "  --keep-fonts     keep them (default: the stored \"RemoveFonts\" setting,\n"
    "                   else remove)\n"
    "  --module PATH    the Lectern 5 KJV reference module kjv.lt5bible (default:\n"
    "                   the stored \"LT5Bible\" setting, else the bundled module)\n"
    "  --help           show this text\n"
    "\n"
    "The settings are read from the same store as the window uses; this program\n"
    "never changes them.\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when some file failed (its\n"
    "log line says why), 2 when the run could not start or an unexpected error\n"
    "ended it (the message goes to standard error).\n";

class ConsoleLog : public tovra::TStatusLog {
public:
    void Append(const std::string& line) override {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    void Clear() override {}
};

int Fail(const std::string& message) {
    std::cerr << "tovra-cli: " << message << "\n" << "Try 'tovra-cli --help'.\n";
    return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::string outFolder, modulePath;
    bool haveOut = false, haveModule = false;
    int fontsChoice = -1;  // -1 stored setting, 0 keep, 1 remove
    bool optionsDone = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsDone = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitConverted;
        } else if (arg == "--out" || arg == "--module") {
            if (i + 1 >= argc) return Fail("option " + arg + " needs a value");
            (arg == "--out" ? outFolder : modulePath) = argv[++i];
            (arg == "--out" ? haveOut : haveModule) = true;
        } else if (arg.rfind("--out=", 0) == 0) {
            outFolder = arg.substr(6);
            haveOut = true;
        } else if (arg.rfind("--module=", 0) == 0) {
            modulePath = arg.substr(9);
            haveModule = true;
        } else if (arg == "--remove-fonts") {
            fontsChoice = 1;
        } else if (arg == "--keep-fonts") {
            fontsChoice = 0;
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }
    if (files.empty()) return Fail("no input file given");

    tovra::TSettingsStore store;
    store.SetWarningHandler([](const std::string& warning) { std::cerr << "tovra-cli: " << warning << "\n"; });
    tovra::TStoreRunSettings settings(store);
    if (haveOut) settings.OverrideOutFolder(outFolder);
    if (fontsChoice >= 0) settings.OverrideRemoveFonts(fontsChoice == 1);

    try {
        if (!haveModule) modulePath = tovra::ReadLT5Bible(store);
        std::unique_ptr<tovra::TLTBibleModule> module;
        try {
            module = std::make_unique<tovra::TLTBibleModule>(modulePath);
        } catch (const std::exception& e) {
            std::cerr << tovra::ErrorReportText(e.what()) << "\n";
            return kExitError;
        }
        ConsoleLog log;
        log.Append("LT5 KJV Module loaded: " + modulePath);
        tovra::TConversionEngine engine(settings, log, module.get());
        tovra::TRunView view;
        tovra::TRunSummary summary = engine.Run(files, view);
        return summary.failed == 0 ? kExitConverted : kExitFileFailed;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::cerr << tovra::ErrorReportText(e.what()) << "\n";
        return kExitError;
    }
}
