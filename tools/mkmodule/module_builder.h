// Writes reference Bible modules (.lt5bible) from a versification, in the
// layout of refbible/module_format.h. Used by the tovra-mkmodule program and
// by the tests, which build small modules and then damage them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "refbible/module_format.h"
#include "tools/mkmodule/versification.h"

namespace tovra::mkmodule {

struct TModuleOptions {
    std::string title = "King James Version";  // at most 60 characters
    std::string shortCode = "KJV";             // at most 10 characters
    // Seed of the header hash: the primary seed by default, or the secondary.
    std::uint32_t hashSeed = lt5::kPrimaryHashSeed;
    bool includeWordList = true;
    // The words of the word list; when empty, the words of the book names.
    std::vector<std::string> words;
};

// The whole module file. Layout: header, verse records, first-verse table,
// highest-chapter table, then the compressed alternate names (abbreviations),
// book names (full names) and word list. Throws tovra::Error when the
// versification does not fit the format (more than 255 books, chapters or
// verses per chapter, more than 65535 verses, names with a zero byte) or the
// title or short code is too long.
std::vector<std::uint8_t> BuildModule(const TVersification& versification,
                                      const TModuleOptions& options = {});

// `text` as one zlib stream (RFC 1950), best compression.
std::vector<std::uint8_t> CompressField(std::string_view text);

// Recomputes the header hash of `image` (at least a header long) with `seed`.
void SealHeader(std::vector<std::uint8_t>& image, std::uint32_t seed = lt5::kPrimaryHashSeed);

// Appends `bytes` to `image` and points the descriptor at `descriptorOffset`
// at them, stating `unpackedSize`. Does not reseal the header.
void AttachField(std::vector<std::uint8_t>& image, std::size_t descriptorOffset,
                 const std::vector<std::uint8_t>& bytes, std::uint32_t unpackedSize);

// Writes `image` to `path` (through a temporary file renamed into place),
// creating missing parent folders. Throws tovra::Error on failure.
void WriteModuleFile(const std::string& path, const std::vector<std::uint8_t>& image);

}  // namespace tovra::mkmodule
