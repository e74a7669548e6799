#include "tests/mkmdb/mdb_dump.h"

#include <mdbtools.h>

#include <memory>
#include <stdexcept>

namespace tovra::mkmdb::test {

namespace {

// Large enough for the longest memo any test writes, so nothing is cut.
constexpr size_t kBindSize = 4 * 1024 * 1024;

}  // namespace

TDump DumpWithLibmdb(const std::string& path) {
    MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb) throw std::runtime_error("libmdb cannot open " + path);
    std::unique_ptr<MdbHandle, void (*)(MdbHandle*)> closer(mdb, mdb_close);
    mdb_set_bind_size(mdb, kBindSize);
    if (!mdb_read_catalog(mdb, MDB_TABLE)) throw std::runtime_error("libmdb cannot read the catalog of " + path);
    TDump dump;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
        MdbTableDef* table = mdb_read_table(entry);
        if (!table) throw std::runtime_error("libmdb cannot read table " + std::string(entry->object_name));
        std::unique_ptr<MdbTableDef, void (*)(MdbTableDef*)> freeTable(table, mdb_free_tabledef);
        mdb_read_columns(table);
        mdb_rewind_table(table);
        TDumpTable out;
        out.name = entry->object_name;
        const unsigned ncols = table->num_cols;
        std::vector<std::vector<char>> buffers(ncols, std::vector<char>(kBindSize + 1));
        std::vector<int> lengths(ncols, 0);
        for (unsigned c = 0; c < ncols; ++c) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            out.columns.push_back({col->name, col->col_type, col->col_size});
            mdb_bind_column(table, static_cast<int>(c + 1), buffers[c].data(), &lengths[c]);
        }
        std::vector<MdbField> fields(ncols + 1);
        while (mdb_fetch_row(table)) {
            // Which columns are NULL: crack the row just fetched again.
            int start = 0;
            size_t length = 0;
            std::vector<bool> isNull(ncols, false);
            if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &length) == 0) {
                const int n = mdb_crack_row(table, start, length, fields.data());
                for (int f = 0; f < n && f < static_cast<int>(ncols); ++f) isNull[f] = fields[f].is_null != 0;
            }
            std::vector<std::optional<std::string>> row;
            for (unsigned c = 0; c < ncols; ++c) {
                auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
                if (isNull[c] && col->col_type != MDB_BOOL)
                    row.emplace_back(std::nullopt);
                else
                    row.emplace_back(std::string(buffers[c].data(), static_cast<size_t>(lengths[c])));
            }
            out.rows.push_back(std::move(row));
        }
        dump.tables.push_back(std::move(out));
    }
    return dump;
}

}  // namespace tovra::mkmdb::test
