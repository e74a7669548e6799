// Reading time of full-size synthetic modules through the db/ layer, beside
// the command-line tool of the same database kind on the same table in the
// same run.
//
//   dbread_bench [DIR]     DIR keeps the generated modules (default: a
//                          temporary folder, removed at the end)
//
// For each module it prints the best of several runs of: our reader opening
// the file and reading every row's fields the way the converter does, and
// the tool: `mdb-export FILE TABLE > /dev/null` for the Access modules,
// `sqlite3 FILE 'select * from TABLE' > /dev/null` for the SQLite Bible;
// then ours / tool.
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
#include "tools/mksqlite/sqlite_writer.h"

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

// Runs a tool with its output thrown away; false when it fails.
bool RunTool(const std::vector<std::string>& args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
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
    bool sqlite = false;

    std::vector<std::string> Tool() const {
        if (sqlite) return {"sqlite3", file, "select * from " + table};
        return {"mdb-export", file, table};
    }
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
            {{(dir / "bench-dictionary.dct").string(), "Dictionary", {}, {"Definition", "Topic"}, 14000},
             [] { return bench::SyntheticDictionary(14000); }},
            {{(dir / "bench-topics.top").string(), "Topic Notes", {}, {"Comments", "Title"}, 5000},
             [] { return bench::SyntheticTopics(5000); }},
            {{(dir / "bench-commentary.cmt").string(), "Commentary", {"Book ID", "Chapter", "Start Verse"}, {"Comments"}, 20000},
             [&] { return bench::SyntheticCommentary(versification, 20000); }},
            {{(dir / "bench-bible.bblx").string(), "Bible", {"Book", "Chapter", "Verse"}, {"Scripture"}, 31102, true},
             [&] { return bench::SyntheticSqliteBible(versification); }},
        };
        std::printf("%-22s %8s %10s %12s %12s %12s %8s\n", "module", "rows", "MB", "ours (s)", "tool", "tool (s)",
                    "ratio");
        for (auto& e : entries) {
            if (!fs::exists(e.module.file)) {
                if (e.module.sqlite)
                    mksqlite::WriteSqliteFile(e.make(), e.module.file);
                else
                    mkmdb::WriteJetFile(e.make(), e.module.file);
            }
            const auto [rows, bytes] = ReadThroughDb(e.module);
            if (rows != e.module.expectedRows) {
                std::fprintf(stderr, "%s: read %zu rows, expected %zu\n", e.module.file.c_str(), rows, e.module.expectedRows);
                return 1;
            }
            (void)bytes;
            const double ours = Seconds([&] { ReadThroughDb(e.module); });
            bool exported = true;
            const std::vector<std::string> tool = e.module.Tool();
            const double theirs = Seconds([&] { exported = RunTool(tool) && exported; });
            if (!exported) {
                std::fprintf(stderr, "%s failed on %s\n", tool[0].c_str(), e.module.file.c_str());
                return 1;
            }
            std::printf("%-22s %8zu %10.1f %12.3f %12s %12.3f %8.2f\n", fs::path(e.module.file).filename().c_str(),
                        rows, static_cast<double>(fs::file_size(e.module.file)) / 1e6, ours, tool[0].c_str(), theirs,
                        ours / theirs);
        }
        if (!keep) fs::remove_all(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dbread_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
