// The database definition page (page 0) of the files the writer produces;
// its layout is in db/jet_format.h.
#pragma once

#include <cstdint>
#include <vector>

namespace tovra::mkmdb {

// Page 0 with the Jet 4 signature, code page 1252, the General sort order,
// the creation date kJetCreationDate and the database password (empty:
// none), masked as Jet 4 masks it. `passwordUtf16Le` holds at most 40 bytes.
std::vector<uint8_t> BuildHeaderPage(const std::vector<unsigned char>& passwordUtf16Le);

}  // namespace tovra::mkmdb
