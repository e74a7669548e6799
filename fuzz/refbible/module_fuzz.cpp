// libFuzzer target: arbitrary bytes loaded as a reference Bible module, then
// every query over a range of arguments.
//
// Almost every mutation of a module breaks its header hash, which would stop
// the load long before the tables are read. When the input's last byte is
// odd, the header is therefore resealed with the primary seed first, so the
// fuzzer also reaches the table and name-list handling behind the hash.
// The bytes are copied into a buffer of their exact size, so that a read past
// the end is caught by the address sanitizer.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/little_endian.h"
#include "refbible/module.h"
#include "refbible/module_format.h"
#include "refbible/seeded_adler32.h"

using namespace tovra;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void RunQueries(const TLTBibleModule& module, const std::uint8_t* data, std::size_t size) {
    const std::int32_t v = module.VerseCount();
    const std::int32_t b = module.BookCount();
    std::vector<std::int32_t> books = {INT_MIN, -1, 0, 1, 2, b - 1, b, b + 1, INT_MAX};
    for (std::size_t i = 0; i < std::min<std::size_t>(size, 8); ++i) books.push_back(data[i] % (b + 2));
    const std::int32_t numbers[] = {INT_MIN, -1, 0, 1, 2, 3, 7, 254, 255, 256, INT_MAX};
    for (std::int32_t book : books) {
        const std::int32_t first = module.BookFirstVerse(book);
        Check(first >= 1 && first <= std::max(v, 1));
        for (std::int32_t chapter : numbers)
            for (std::int32_t verse : numbers) {
                const std::int32_t d = module.VerseOrdinal(book, chapter, verse);
                Check(d >= 0 && d <= v);
            }
    }
    // Every ordinal for small modules, a sample for large ones.
    const std::int32_t stride = v > 2000 ? v / 1000 : 1;
    for (std::int32_t n = -1; n <= v + 1; n += (n >= 1 && n < v - stride) ? stride : 1) {
        std::int32_t book, chapter, verse;
        module.VerseLocation(n, book, chapter, verse);
        if (n < 1 || n > v) Check(book == 0 && chapter == 0 && verse == 0);
        if (n >= 1 && n <= v) {
            const TVerseRecord record = module.VerseRecord(n);
            Check(record.book == book && record.chapter == chapter && record.verse == verse);
            const std::int32_t d = module.VerseOrdinal(book, chapter, verse);
            Check(d >= 0 && d <= v);
        }
        if (n >= 0 && n <= 65535) {
            for (bool alternate : {false, true}) {
                try {
                    module.VerseReference(static_cast<std::uint16_t>(n), alternate);
                } catch (const EListError&) {
                    // a record whose book has no name in the list
                }
            }
        }
    }
    module.VerseReference(65535, false);
    (void)module.HeaderHash(lt5::kSecondaryHashSeed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> image(data, data + size);
    if (size > lt5::kHeaderSize && (data[size - 1] & 1) != 0)
        WriteLe32(image.data() + lt5::kHashOffset,
                      SeededAdler32(lt5::kPrimaryHashSeed, image.data(), lt5::kHashedSize));
    try {
        TLTBibleModule module("fuzz.lt5bible", image);
        RunQueries(module, data, size);
    } catch (const Error&) {
        // Rejected modules are the normal case.
    }
    return 0;
}
