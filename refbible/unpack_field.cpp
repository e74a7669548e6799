// Inflating one compressed field with zlib.
//
// The output starts at the stated unpacked size (or one step) and grows by one
// step, the stored size rounded up to a multiple of 256, whenever inflate has
// not reached the end of the stream. Growth stops at a fixed cap, so a stream
// that never ends (or inflates enormously) is an error, not a runaway.
#include "refbible/unpack_field.h"

#include <algorithm>
#include <zlib.h>

#include "platform/little_endian.h"
#include "refbible/module_format.h"

namespace tovra {

namespace {

// Deflate cannot expand data by more than about 1032 to 1; the stated size is
// never trusted beyond that when reserving the first buffer.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

class Inflater {
public:
    Inflater() {
        stream_.zalloc = Z_NULL;
        stream_.zfree = Z_NULL;
        stream_.opaque = Z_NULL;
        stream_.next_in = Z_NULL;
        stream_.avail_in = 0;
        const int rc = inflateInit(&stream_);
        if (rc != Z_OK) throw EZDecompressionError(ZlibErrorText(rc));
    }
    ~Inflater() {
        if (!ended_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    z_stream& Stream() { return stream_; }

    void End() {
        ended_ = true;
        const int rc = inflateEnd(&stream_);
        if (rc < 0) throw EZDecompressionError(ZlibErrorText(rc));
    }

private:
    z_stream stream_{};
    bool ended_ = false;
};

}  // namespace

FieldDescriptor ReadFieldDescriptor(const std::uint8_t* p) {
    FieldDescriptor d;
    d.offset = ReadLe32(p);
    d.storedSize = ReadLe32(p + 4);
    d.unpackedSize = ReadLe32(p + 8);
    return d;
}

std::string ZlibErrorText(int code) {
    switch (code) {
        case Z_ERRNO: return "file error";
        case Z_STREAM_ERROR: return "stream error";
        case Z_DATA_ERROR: return "data error";
        case Z_MEM_ERROR: return "insufficient memory";
        case Z_BUF_ERROR: return "buffer error";
        case Z_VERSION_ERROR: return "incompatible version";
        default: return "zlib error " + std::to_string(code);
    }
}

std::string UnpackField(const std::uint8_t* file, std::size_t fileSize,
                        const FieldDescriptor& descriptor, std::size_t maxUnpacked) {
    if (descriptor.offset == 0) return std::string();
    const std::size_t offset = descriptor.offset;
    const std::size_t stored = descriptor.storedSize;
    if (offset > fileSize || stored > fileSize - offset)
        throw EZDecompressionError("Compressed field lies outside the module file");

    // One step is the stored size rounded up to 256; an empty stream still
    // gets a step of 256 so that growth always makes room.
    const std::uint64_t roundedStep = (static_cast<std::uint64_t>(stored) + 255u) & ~std::uint64_t{255};
    const std::size_t step = static_cast<std::size_t>(std::max<std::uint64_t>(roundedStep, 256u));
    const std::uint64_t plausible = static_cast<std::uint64_t>(stored) * kMaxDeflateRatio + 256u;
    // One byte beyond the cap is allowed for, so that a stream of exactly the
    // cap can still report its end.
    const std::size_t limit = maxUnpacked + 1;
    std::size_t capacity = descriptor.unpackedSize != 0 ? descriptor.unpackedSize : step;
    capacity = static_cast<std::size_t>(
        std::min<std::uint64_t>({capacity, plausible, static_cast<std::uint64_t>(limit)}));

    std::string out(capacity, '\0');
    Inflater inflater;
    z_stream& z = inflater.Stream();
    z.next_in = const_cast<Bytef*>(file + offset);
    z.avail_in = static_cast<uInt>(stored);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    for (;;) {
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc < 0) throw EZDecompressionError(ZlibErrorText(rc));
        if (rc == Z_STREAM_END) break;
        if (rc == Z_NEED_DICT)
            throw EZDecompressionError("Compressed field needs a preset dictionary");
        const std::size_t produced = z.total_out;
        if (produced > maxUnpacked)
            throw EZDecompressionError("Compressed field inflates to more than " +
                                       std::to_string(maxUnpacked) + " bytes");
        const std::size_t grown = std::min(produced + step, limit);
        if (grown > out.capacity()) out.reserve(std::max(grown, out.capacity() * 2));
        out.resize(grown);
        z.next_out = reinterpret_cast<Bytef*>(out.data()) + produced;
        z.avail_out = static_cast<uInt>(grown - produced);
    }
    const std::size_t produced = z.total_out;
    inflater.End();
    if (produced > maxUnpacked)
        throw EZDecompressionError("Compressed field inflates to more than " +
                                   std::to_string(maxUnpacked) + " bytes");
    out.resize(produced);
    out.shrink_to_fit();
    return out;
}

}  // namespace tovra
