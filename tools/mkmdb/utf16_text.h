// UTF-8 text into the little-endian UTF-16 bytes that Jet 4 stores.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tovra::mkmdb {

// The UTF-16LE bytes of `utf8`, or nothing when `utf8` is not valid UTF-8
// (overlong forms, surrogates and values above U+10FFFF are invalid).
std::optional<std::vector<unsigned char>> Utf8ToUtf16Le(std::string_view utf8);

}  // namespace tovra::mkmdb
