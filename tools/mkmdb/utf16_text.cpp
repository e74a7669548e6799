#include "tools/mkmdb/utf16_text.h"

#include <cstdint>

#include "platform/little_endian.h"

namespace tovra::mkmdb {

std::optional<std::vector<unsigned char>> Utf8ToUtf16Le(std::string_view utf8) {
    std::vector<unsigned char> out;
    out.reserve(utf8.size() * 2);
    auto put = [&out](uint32_t unit) { AppendLe16(out, static_cast<uint16_t>(unit)); };
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        uint32_t cp = 0;
        size_t extra = 0;
        uint32_t minimum = 0;
        if (lead < 0x80) {
            put(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F; extra = 1; minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F; extra = 2; minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07; extra = 3; minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (extra > n - i - 1) return std::nullopt;
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
        i += extra + 1;
    }
    return out;
}

}  // namespace tovra::mkmdb
