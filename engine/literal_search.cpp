#include "engine/literal_search.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/ansi_char_tables.h"

namespace tovra {

TLiteralSearch::TLiteralSearch(std::string_view literal, bool ignoreCase)
    : literal_(ignoreCase ? AnsiUpperCase(literal) : std::string(literal)), ignoreCase_(ignoreCase) {
    if (literal_.empty()) return;
    const unsigned char* upper = AnsiCharTables::Get().UpperTable();
    const auto first = static_cast<unsigned char>(literal_[0]);
    int count = 0;
    for (int b = 0; b < 256; ++b) {
        first_[b] = ignoreCase_ ? upper[b] == first : b == first;
        if (first_[b]) {
            ++count;
            onlyFirst_ = b;
        }
    }
    if (count != 1) onlyFirst_ = -1;
    if (literal_.size() < 2) return;
    // The bytes that can stand at the first and the second place.
    auto pairAt = [&](size_t k, unsigned char (&pair)[2]) {
        const auto wanted = static_cast<unsigned char>(literal_[k]);
        int n = 0;
        for (int b = 0; b < 256; ++b) {
            if (ignoreCase_ ? upper[b] != wanted : b != wanted) continue;
            if (n == 2) return false;
            pair[n++] = static_cast<unsigned char>(b);
        }
        if (n == 1) pair[1] = pair[0];
        return n > 0;
    };
    pairScan_ = pairAt(0, firstPair_) && pairAt(1, secondPair_);
}

std::size_t TLiteralSearch::Find(std::string_view text, std::size_t from) const {
    const std::size_t m = literal_.size();
    if (from > text.size() || m > text.size() - from) return std::string_view::npos;
    if (m == 0) return from;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const auto* wanted = reinterpret_cast<const unsigned char*>(literal_.data());
    const unsigned char* upper = AnsiCharTables::Get().UpperTable();
    const std::size_t last = text.size() - m;  // the last possible start
    std::size_t i = from;
    auto matchesAt = [&](std::size_t at) {
        std::size_t k = 1;
        if (ignoreCase_) {
            while (k < m && upper[bytes[at + k]] == wanted[k]) ++k;
        } else {
            while (k < m && bytes[at + k] == wanted[k]) ++k;
        }
        return k == m;
    };
    // A byte that alone starts every occurrence is found with memchr, the
    // fastest way while the byte is rare. After a few starts that led
    // nowhere (a "<" in HTML), the rest is scanned two bytes at a time.
    if (onlyFirst_ >= 0) {
        constexpr int kMissesBeforePairScan = 4;
        for (int misses = 0; !pairScan_ || misses < kMissesBeforePairScan; ++misses) {
            if (i > last) return std::string_view::npos;
            const void* hit = std::memchr(bytes + i, onlyFirst_, last - i + 1);
            if (!hit) return std::string_view::npos;
            i = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes);
            if (matchesAt(i)) return i;
            ++i;
        }
    }
#if defined(__SSE2__)
    if (pairScan_) {
        const __m128i f0 = _mm_set1_epi8(static_cast<char>(firstPair_[0]));
        const __m128i f1 = _mm_set1_epi8(static_cast<char>(firstPair_[1]));
        const __m128i s0 = _mm_set1_epi8(static_cast<char>(secondPair_[0]));
        const __m128i s1 = _mm_set1_epi8(static_cast<char>(secondPair_[1]));
        // Sixteen starts at a time while their second bytes are in the text.
        for (; i + 17 <= text.size(); i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 1));
            const __m128i firsts = _mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1));
            const __m128i seconds = _mm_or_si128(_mm_cmpeq_epi8(b, s0), _mm_cmpeq_epi8(b, s1));
            for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(firsts, seconds))); mask;
                 mask &= mask - 1) {
                const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
                if (at > last) return std::string_view::npos;
                if (matchesAt(at)) return at;
            }
        }
    }
#endif
    while (i <= last) {
        if (onlyFirst_ >= 0) {
            const void* hit = std::memchr(bytes + i, onlyFirst_, last - i + 1);
            if (!hit) return std::string_view::npos;
            i = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes);
        } else if (!first_[bytes[i]]) {
            ++i;
            continue;
        }
        if (matchesAt(i)) return i;
        ++i;
    }
    return std::string_view::npos;
}

}  // namespace tovra
