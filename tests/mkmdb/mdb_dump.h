// What libmdb reads from a database file: the user tables in catalog order,
// their columns and every row, with NULL told apart from the empty string.
// Values come as libmdb formats them (UTF-8 text, decimal numbers).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovra::mkmdb::test {

struct TDumpColumn {
    std::string name;
    int type = 0;  // Jet column type code
    int size = 0;  // bytes as the table definition gives them
};

struct TDumpTable {
    std::string name;
    std::vector<TDumpColumn> columns;
    std::vector<std::vector<std::optional<std::string>>> rows;
};

struct TDump {
    std::vector<TDumpTable> tables;
};

// Throws std::runtime_error when libmdb cannot open or read the file.
TDump DumpWithLibmdb(const std::string& path);

}  // namespace tovra::mkmdb::test
