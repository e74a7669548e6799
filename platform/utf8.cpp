// UTF-8 decoding and encoding.
#include "platform/utf8.h"

namespace tovra {

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;  // the smallest value that needs this many bytes
    if ((lead & 0xE0) == 0xC0) {
        extra = 1; cp = lead & 0x1F; minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2; cp = lead & 0x0F; minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3; cp = lead & 0x07; minimum = 0x10000;
    } else {
        return std::nullopt;  // a continuation byte or 0xF8-0xFF
    }
    if (extra >= text.size() - pos) return std::nullopt;  // cut off at the end
    for (std::size_t i = 1; i <= extra; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || !IsUnicodeScalarValue(cp)) return std::nullopt;
    pos += extra + 1;
    return cp;
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace tovra
