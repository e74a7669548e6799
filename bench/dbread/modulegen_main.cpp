// tovra-modulegen OUTDIR [VERSIFICATION]: writes the full-size synthetic
// modules bench-bible.bbl (31,102 verses), bench-dictionary.dct (14,000
// entries), bench-topics.top (5,000 topics), bench-commentary.cmt (book,
// chapter and 20,000 verse notes) and the SQLite Bible bench-bible.bblx (the
// same 31,102 verses) into OUTDIR.
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "bench/dbread/synthetic_modules.h"
#include "tools/mksqlite/sqlite_writer.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tovra-modulegen OUTDIR [VERSIFICATION]\n");
        return 2;
    }
    using namespace tovra;
    try {
        const std::filesystem::path dir = argv[1];
        std::filesystem::create_directories(dir);
        const auto versification = bench::LoadVersification(argc == 3 ? argv[2] : bench::DefaultVersificationPath());
        const struct {
            const char* name;
            mkmdb::TDatabaseDef db;
            bool sqlite;
        } modules[] = {
            {"bench-bible.bbl", bench::SyntheticBible(versification), false},
            {"bench-dictionary.dct", bench::SyntheticDictionary(14000), false},
            {"bench-topics.top", bench::SyntheticTopics(5000), false},
            {"bench-commentary.cmt", bench::SyntheticCommentary(versification, 20000), false},
            {"bench-bible.bblx", bench::SyntheticSqliteBible(versification), true},
        };
        for (const auto& m : modules) {
            const auto start = std::chrono::steady_clock::now();
            if (m.sqlite)
                mksqlite::WriteSqliteFile(m.db, (dir / m.name).string());
            else
                mkmdb::WriteJetFile(m.db, (dir / m.name).string());
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("%-22s %8zu rows  %10ju bytes  written in %.3f s\n", m.name, m.db.tables.back().rows.size(),
                        static_cast<uintmax_t>(std::filesystem::file_size(dir / m.name)), s);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tovra-modulegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
