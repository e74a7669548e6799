// tovra-mksqlite DESCRIPTION OUTPUT: writes the SQLite 3 database that a
// description file describes (format in tools/mkmdb/description_parser.h).
#include <cstdio>
#include <exception>

#include "tools/mkmdb/description_parser.h"
#include "tools/mksqlite/sqlite_writer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tovra-mksqlite DESCRIPTION OUTPUT\n");
        return 2;
    }
    try {
        tovra::mksqlite::WriteSqliteFile(tovra::mkmdb::ReadDescriptionFile(argv[1]), argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tovra-mksqlite: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
