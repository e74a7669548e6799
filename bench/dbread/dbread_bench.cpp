// Reading time of full-size synthetic modules through the db/ layer, beside
// mdb-export on the same table in the same run.
//
//   dbread_bench [DIR]     DIR keeps the generated modules (default: a
//                          temporary folder, removed at the end)
//
// For each module it prints the best of several runs of: our reader opening
// the file and reading every row's fields the way the converter does, and
// `mdb-export FILE TABLE > /dev/null`; then ours / mdb-export.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/dbread/synthetic_modules.h"
#include "db/access_reader.h"

extern char** environ;

namespace {

using namespace tovra;
namespace fs = std::filesystem;

constexpr int kRuns = 5;

double Seconds(const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Runs mdb-export with its output thrown away; false when it fails.
bool RunMdbExport(const std::string& file, const std::string& table) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"mdb-export", file.c_str(), table.c_str(), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "mdb-export", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct TModule {
    std::string file;
    std::string table;
    std::vector<std::string> integerFields;
    std::vector<std::string> stringFields;
    size_t expectedRows;
};

// Reads every row as the converter does; returns rows and bytes read.
std::pair<size_t, size_t> ReadThroughDb(const TModule& m) {
    TAccessConnection connection;
    connection.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + m.file + ";");
    connection.Open();
    TAccessTable table(connection);
    table.Open(m.table);
    size_t rows = 0;
    size_t bytes = 0;
    while (!table.Eof()) {
        for (const auto& f : m.integerFields) bytes += static_cast<size_t>(table.FieldByName(f).AsInteger() & 1);
        for (const auto& f : m.stringFields) bytes += table.FieldByName(f).AsString().size();
        ++rows;
        table.Next();
    }
    table.Close();
    connection.Close();
    return {rows, bytes};
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const bool keep = argc > 1;
        const fs::path dir = keep ? fs::path(argv[1]) : fs::temp_directory_path() / ("tovra-dbread-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const auto versification = bench::LoadVersification(bench::DefaultVersificationPath());
        struct TEntry {
            TModule module;
            std::function<mkmdb::TDatabaseDef()> make;
        };
        std::vector<TEntry> entries = {
            {{(dir / "bench-bible.bbl").string(), "Bible", {"Book ID", "Chapter", "Verse"}, {"Scripture"}, 31102},
             [&] { return bench::SyntheticBible(versification); }},
            {{(dir / "bench-dictionary.dct").string(), "Dictionary", {}, {"Definition", "Topic"}, 10000},
             [] { return bench::SyntheticDictionary(10000); }},
            {{(dir / "bench-commentary.cmt").string(), "Commentary", {"Book ID", "Chapter", "Start Verse"}, {"Comments"}, 20000},
             [&] { return bench::SyntheticCommentary(versification, 20000); }},
        };
        std::printf("%-22s %8s %10s %12s %12s %8s\n", "module", "rows", "MB", "ours (s)", "mdb-export", "ratio");
        for (auto& e : entries) {
            if (!fs::exists(e.module.file)) mkmdb::WriteJetFile(e.make(), e.module.file);
            const auto [rows, bytes] = ReadThroughDb(e.module);
            if (rows != e.module.expectedRows) {
                std::fprintf(stderr, "%s: read %zu rows, expected %zu\n", e.module.file.c_str(), rows, e.module.expectedRows);
                return 1;
            }
            (void)bytes;
            const double ours = Seconds([&] { ReadThroughDb(e.module); });
            bool exported = true;
            const double theirs = Seconds([&] { exported = RunMdbExport(e.module.file, e.module.table) && exported; });
            if (!exported) {
                std::fprintf(stderr, "mdb-export failed on %s\n", e.module.file.c_str());
                return 1;
            }
            std::printf("%-22s %8zu %10.1f %12.3f %12.3f %8.2f\n", fs::path(e.module.file).filename().c_str(), rows,
                        static_cast<double>(fs::file_size(e.module.file)) / 1e6, ours, theirs, ours / theirs);
        }
        if (!keep) fs::remove_all(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dbread_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
