#include "db/jet_text.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/code_page.h"
#include "platform/little_endian.h"
#include "platform/utf16.h"

namespace tovra {
namespace {

// Encodes UTF-16 code units as Windows-1252, carrying characters the code
// page lacks in the requested form.
class AnsiEncoder {
public:
    AnsiEncoder() {
        std::string all(256, '\0');
        for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
        std::u16string wide = CodePageToUtf16(all, kAnsiCodePage);
        table_.fill(-1);
        for (int b = 255; b >= 0; --b) table_[wide[b]] = static_cast<int16_t>(b);
    }

    void Append(char32_t cp, TUnmappableForm form, std::string& out) const {
        if (cp < 0x10000) {
            int16_t b = table_[cp];
            if (b >= 0) {
                out.push_back(static_cast<char>(b));
                return;
            }
        }
        // Both forms give the whole code point in decimal, also beyond the
        // basic plane: the Unicode-escape passes turn the RTF form into a
        // character reference before any RTF reader sees it.
        char buf[32];
        if (form == TUnmappableForm::CharacterReference) {
            std::snprintf(buf, sizeof buf, "&#%u;", static_cast<unsigned>(cp));
        } else {
            std::snprintf(buf, sizeof buf, "\\u%u?", static_cast<unsigned>(cp));
        }
        out += buf;
    }

    // Appends UCS-2 little-endian bytes. Characters Windows-1252 has take
    // one byte each and are written straight into room made for them; the
    // others go through Append.
    void AppendUcs2(const unsigned char* p, size_t bytes, TUnmappableForm form, std::string& out) const {
        const size_t units = bytes / 2;
        size_t used = out.size();
        out.resize(used + units);
        char* w = out.data() + used;
        for (size_t i = 0; i + 1 < bytes; i += 2) {
#if defined(__SSE2__)
            // Eight ASCII characters at a time: every unit below 0x80, so
            // packing the units to bytes keeps them as they are.
            const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
            while (i + 16 <= bytes) {
                const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
                const __m128i high = _mm_and_si128(units, nonAscii);
                if (_mm_movemask_epi8(_mm_cmpeq_epi8(high, _mm_setzero_si128())) != 0xFFFF) break;
                _mm_storel_epi64(reinterpret_cast<__m128i*>(w), _mm_packus_epi16(units, units));
                w += 8;
                i += 16;
            }
#endif
            // Four ASCII characters at a time: every high byte 0, every low
            // byte below 0x80.
            while (i + 8 <= bytes) {
                if ((ReadLe32(p + i) | ReadLe32(p + i + 4)) & 0xFF80FF80u) break;
                w[0] = static_cast<char>(p[i]);
                w[1] = static_cast<char>(p[i + 2]);
                w[2] = static_cast<char>(p[i + 4]);
                w[3] = static_cast<char>(p[i + 6]);
                w += 4;
                i += 8;
            }
            if (i + 1 >= bytes) break;
            const char32_t unit = ReadLe16(p + i);
            const int16_t b = table_[unit];
            if (b >= 0) {
                *w++ = static_cast<char>(b);
                continue;
            }
            // Slow path: make the string exact, append, make room again for
            // the units that are left.
            used = static_cast<size_t>(w - out.data());
            out.resize(used);
            char32_t cp = unit;
            if (IsHighSurrogate(unit) && i + 3 < bytes) {
                const char32_t low = ReadLe16(p + i + 2);
                if (IsLowSurrogate(low)) {
                    cp = CombineSurrogates(unit, low);
                    i += 2;
                }
            }
            Append(cp, form, out);
            used = out.size();
            out.resize(used + (bytes - i - 2) / 2);
            w = out.data() + used;
        }
        out.resize(static_cast<size_t>(w - out.data()));
    }

    // Appends one-byte characters (the compressed form of Jet 4 text holds
    // the low byte of characters up to U+00FF), in the same way.
    void AppendLatin1(const unsigned char* p, size_t n, TUnmappableForm form, std::string& out) const {
        size_t used = out.size();
        out.resize(used + n);
        char* w = out.data() + used;
        for (size_t i = 0; i < n; ++i) {
            // Eight ASCII characters at a time: they stay as they are.
            while (i + 8 <= n) {
                uint64_t eight;
                std::memcpy(&eight, p + i, 8);
                if (eight & 0x8080808080808080u) break;
                std::memcpy(w, p + i, 8);
                w += 8;
                i += 8;
            }
            if (i == n) break;
            const int16_t b = table_[p[i]];
            if (b >= 0) {
                *w++ = static_cast<char>(b);
                continue;
            }
            used = static_cast<size_t>(w - out.data());
            out.resize(used);
            Append(p[i], form, out);
            used = out.size();
            out.resize(used + (n - i - 1));
            w = out.data() + used;
        }
        out.resize(static_cast<size_t>(w - out.data()));
    }

private:
    std::array<int16_t, 65536> table_;
};

const AnsiEncoder& Encoder() {
    static const AnsiEncoder encoder;
    return encoder;
}

}  // namespace

void DecodeJet4Text(const unsigned char* p, size_t n, TUnmappableForm form, std::string& out) {
    const AnsiEncoder& enc = Encoder();
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        bool compressed = true;
        size_t i = 2;
        while (i < n) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                // A run of one-byte characters up to the next switch.
                const void* zero = std::memchr(p + i, 0, n - i);
                const size_t end = zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - p) : n;
                enc.AppendLatin1(p + i, end - i, form, out);
                i = end;
            } else {
                if (i + 1 >= n) break;
                enc.AppendUcs2(p + i, 2, form, out);
                i += 2;
            }
        }
        return;
    }
    enc.AppendUcs2(p, n, form, out);
}

void AppendAnsiCharacter(char32_t codePoint, TUnmappableForm form, std::string& out) {
    Encoder().Append(codePoint, form, out);
}

}  // namespace tovra
