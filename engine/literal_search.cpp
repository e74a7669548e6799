#include "engine/literal_search.h"

#include <cstring>

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
    while (i <= last) {
        if (onlyFirst_ >= 0) {
            const void* hit = std::memchr(bytes + i, onlyFirst_, last - i + 1);
            if (!hit) return std::string_view::npos;
            i = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes);
        } else if (!first_[bytes[i]]) {
            ++i;
            continue;
        }
        std::size_t k = 1;
        if (ignoreCase_) {
            while (k < m && upper[bytes[i + k]] == wanted[k]) ++k;
        } else {
            while (k < m && bytes[i + k] == wanted[k]) ++k;
        }
        if (k == m) return i;
        ++i;
    }
    return std::string_view::npos;
}

}  // namespace tovra
