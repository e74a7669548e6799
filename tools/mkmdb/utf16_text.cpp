#include "tools/mkmdb/utf16_text.h"

#include <cstdint>

#include "platform/little_endian.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

namespace tovra::mkmdb {

std::optional<std::vector<unsigned char>> Utf8ToUtf16Le(std::string_view utf8) {
    std::vector<unsigned char> out;
    out.reserve(utf8.size() * 2);
    size_t pos = 0;
    while (pos < utf8.size()) {
        const std::optional<char32_t> cp = DecodeUtf8(utf8, pos);
        if (!cp) return std::nullopt;
        if (*cp >= 0x10000) {
            AppendLe16(out, HighSurrogateOf(*cp));
            AppendLe16(out, LowSurrogateOf(*cp));
        } else {
            AppendLe16(out, static_cast<uint16_t>(*cp));
        }
    }
    return out;
}

}  // namespace tovra::mkmdb
