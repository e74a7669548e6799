// The checks on page 0 of a file that keep libmdb away from files it cannot
// read safely. The layout of the page is in db/jet_format.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovra::jet {

enum class FileCheck { Ok, NotJet, TooShort, PasswordProtected };

// Checks the first page of a file: the Jet signature, that the file holds at
// least the definition page and the catalog page, and whether a database
// password is set. `data` is the start of the file (`available` bytes of
// it), `fileSize` its length.
FileCheck CheckHeader(const unsigned char* data, size_t available, uint64_t fileSize);

}  // namespace tovra::jet
