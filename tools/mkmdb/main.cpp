// tovra-mkmdb DESCRIPTION OUTPUT: writes the Jet 4 database that a
// description file describes (format in description_parser.h).
#include <cstdio>
#include <exception>

#include "tools/mkmdb/description_parser.h"
#include "tools/mkmdb/jet_writer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tovra-mkmdb DESCRIPTION OUTPUT\n");
        return 2;
    }
    try {
        const tovra::mkmdb::TDatabaseDef db = tovra::mkmdb::ReadDescriptionFile(argv[1]);
        tovra::mkmdb::WriteJetFile(db, argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tovra-mkmdb: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
