// Whole conversions by tovra-cli beside mdb-export's dump of the module's
// main table, as separate processes timed side by side.
//
//   speed_bench [WORKDIR] [RUNS]
//
// Writes the full-size synthetic modules with tovra-modulegen into WORKDIR
// (default: a temporary folder, removed at the end; existing modules in a
// given WORKDIR are reused), then for each module runs, after one warm-up of
// each, `tovra-cli --remove-fonts --out OUT --module KJV FILE` and
// `mdb-export FILE TABLE` alternately RUNS times (default 10), both with
// their output to /dev/null. Prints the fastest time of each, their ratio
// (tovra / mdb-export) and tovra's peak resident memory. The environment
// variable TOVRA_CLI names another tovra-cli to time (an older build, say).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct TProcessRun {
    double seconds = 0;
    long peakKb = 0;
};

// Runs a program with standard output to /dev/null; throws when it cannot
// be started or does not exit with status 0.
TProcessRun Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0) throw std::runtime_error("cannot wait for " + args[0]);
    TProcessRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string line;
        for (const auto& a : args) line += a + " ";
        throw std::runtime_error("failed: " + line);
    }
    return run;
}

struct TModule {
    const char* file;
    const char* table;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        const bool keep = argc > 1;
        const fs::path dir =
            keep ? fs::path(argv[1]) : fs::temp_directory_path() / ("tovra-speed-" + std::to_string(::getpid()));
        const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
        fs::create_directories(dir / "out");
        const char* cli = std::getenv("TOVRA_CLI") ? std::getenv("TOVRA_CLI") : TOVRA_CLI;

        const TModule modules[] = {
            {"bench-bible.bbl", "Bible"},
            {"bench-dictionary.dct", "Dictionary"},
            {"bench-topics.top", "Topic Notes"},
            {"bench-commentary.cmt", "Commentary"},
        };
        bool missing = false;
        for (const auto& m : modules) missing = missing || !fs::exists(dir / m.file);
        if (missing) Run({TOVRA_MODULEGEN, dir.string()});

        std::printf("%-22s %9s %12s %12s %8s %10s\n", "module", "MB", "tovra (s)", "mdb-export", "ratio",
                    "tovra MB");
        for (const auto& m : modules) {
            const std::string file = (dir / m.file).string();
            const std::vector<std::string> tovra = {cli, "--remove-fonts", "--out", (dir / "out").string(),
                                                    "--module", TOVRA_KJV_MODULE, file};
            const std::vector<std::string> mdbExport = {"mdb-export", file, m.table};
            Run(tovra);
            Run(mdbExport);
            double ours = 1e30, theirs = 1e30;
            long peakKb = 0;
            for (int i = 0; i < runs; ++i) {
                const TProcessRun a = Run(tovra);
                ours = std::min(ours, a.seconds);
                peakKb = std::max(peakKb, a.peakKb);
                theirs = std::min(theirs, Run(mdbExport).seconds);
            }
            std::printf("%-22s %9.1f %12.3f %12.3f %8.2f %10.1f\n", m.file,
                        static_cast<double>(fs::file_size(file)) / 1e6, ours, theirs, ours / theirs,
                        static_cast<double>(peakKb) / 1024.0);
            std::fflush(stdout);
        }
        if (!keep) fs::remove_all(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "speed_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
