// Inflating the zlib-compressed text fields of a module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace tovra {

// A failure to inflate a compressed field. Its message is zlib's text for the
// error code ("data error", "buffer error", ...) or says what else was wrong.
class EZDecompressionError : public Error {
public:
    explicit EZDecompressionError(const std::string& message) : Error(message) {}
};

// Where a compressed field lies and how large it says it is.
struct FieldDescriptor {
    std::uint32_t offset = 0;        // 0: the field is absent
    std::uint32_t storedSize = 0;    // compressed bytes
    std::uint32_t unpackedSize = 0;  // inflated bytes; 0: not stated
};

// Reads the 12-byte descriptor at `p`.
FieldDescriptor ReadFieldDescriptor(const std::uint8_t* p);

// zlib's text for an inflate error code ("data error" for -3, ...).
std::string ZlibErrorText(int code);

// Inflates the field of `descriptor` from the file image `file` of `fileSize`
// bytes. Returns "" for an absent field. The stated unpacked size is only the
// first capacity: the whole stream is inflated whatever it says. Throws
// EZDecompressionError when the compressed bytes lie outside the file, when
// zlib fails, when the stream asks for a preset dictionary and when it would
// inflate to more than `maxUnpacked` bytes.
std::string UnpackField(const std::uint8_t* file, std::size_t fileSize,
                        const FieldDescriptor& descriptor, std::size_t maxUnpacked);

}  // namespace tovra
