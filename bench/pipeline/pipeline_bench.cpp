// Whole conversion runs over full-size modules: a Bible of 31,102 verses
// (as text and as HTML, and as text from the same Bible as a SQLite
// module), a dictionary of 14,000 RTF entries, 5,000 topics and a commentary
// of book, chapter and 20,000 verse notes. Prints the time of each run and
// its entries per
// second: open, read, convert every entry and write the output file.
//
//   pipeline_bench [WORKDIR]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/dbread/synthetic_modules.h"
#include "engine/conversion_run.h"
#include "refbible/module.h"
#include "tools/mkmodule/module_builder.h"
#include "tools/mksqlite/sqlite_writer.h"

namespace {

class CountingLog : public tovra::TStatusLog {
public:
    void Append(const std::string&) override { ++lines; }
    void Clear() override {}
    int lines = 0;
};

class Settings : public tovra::TRunSettings {
public:
    std::string OutFolder() const override { return out; }
    bool RemoveFonts() const override { return removeFonts; }
    std::string out;
    bool removeFonts = true;
};

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    try {
        const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / ("tovra-pipeline-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const auto versification = tovra::bench::LoadVersification(tovra::bench::DefaultVersificationPath());
        struct Module {
            const char* file;
            tovra::mkmdb::TDatabaseDef def;
            int entries;
        } modules[] = {
            {"bible.bbl", tovra::bench::SyntheticBible(versification), 31102},
            {"dictionary.dct", tovra::bench::SyntheticDictionary(14000), 14000},
            {"topics.top", tovra::bench::SyntheticTopics(5000), 5000},
            {"commentary.cmt", tovra::bench::SyntheticCommentary(versification, 20000), 31102},
        };
        for (auto& m : modules) tovra::mkmdb::WriteJetFile(m.def, (dir / m.file).string());
        tovra::mksqlite::WriteSqliteFile(tovra::bench::SyntheticSqliteBible(versification),
                                         (dir / "bible-sqlite.bblx").string());

        const std::string modulePath = (dir / "kjv.lt5bible").string();
        tovra::mkmodule::WriteModuleFile(
            modulePath, tovra::mkmodule::BuildModule(tovra::mkmodule::ReadVersificationFile(
                            tovra::bench::DefaultVersificationPath())));
        tovra::TLTBibleModule module(modulePath);

        Settings settings;
        settings.out = (dir / "out").string();
        fs::create_directories(settings.out);
        CountingLog log;
        tovra::TConversionEngine engine(settings, log, &module);
        tovra::TRunView view;

        struct Case {
            const char* label;
            const char* file;
            bool removeFonts;
            int entries;
        } cases[] = {
            {"Bible as text (31,102 verses)", "bible.bbl", true, 31102},
            {"Bible as HTML (31,102 verses)", "bible.bbl", false, 31102},
            {"SQLite Bible as text (31,102 verses)", "bible-sqlite.bblx", true, 31102},
            {"dictionary (14,000 RTF entries)", "dictionary.dct", true, 14000},
            {"topics (5,000 long RTF notes)", "topics.top", true, 5000},
            {"commentary (book, chapter, 20,000 verse notes)", "commentary.cmt", true, 31102},
        };
        std::printf("%-44s %10s %14s %12s\n", "run", "seconds", "entries/s", "output MB");
        for (const auto& c : cases) {
            settings.removeFonts = c.removeFonts;
            const std::string input = (dir / c.file).string();
            double best = 1e9;
            for (int round = 0; round < 3; ++round) {
                auto start = std::chrono::steady_clock::now();
                engine.Run({input}, view);
                best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            }
            const fs::path out = fs::path(settings.out) / (fs::path(c.file).stem().string() + "_loom.txt");
            std::printf("%-44s %10.3f %14.0f %12.2f\n", c.label, best, c.entries / best,
                        static_cast<double>(fs::file_size(out)) / 1e6);
        }
        if (argc <= 1) fs::remove_all(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pipeline_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
