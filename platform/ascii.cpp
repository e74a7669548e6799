// ASCII-only case folding and comparisons.
#include "platform/ascii.h"

namespace tovra {

std::string AsciiLowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiToLower(c);
    return out;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithIgnoringAsciiCase(a, b);
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (AsciiToLower(text[i]) != AsciiToLower(prefix[i])) return false;
    return true;
}

bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part) {
    for (size_t i = 0; i + part.size() <= text.size(); ++i)
        if (StartsWithIgnoringAsciiCase(text.substr(i), part)) return true;
    return false;
}

}  // namespace tovra
