// Splitting and writing the comma-separated name lists.
#include "refbible/comma_text.h"

namespace tovra {

std::vector<std::string> ParseCommaText(std::string_view text) {
    std::vector<std::string> items;
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (text[i] == '"') {
            // Quoted item: up to the next quote that is not doubled (or the
            // end of the text when the closing quote is missing).
            std::string item;
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            items.push_back(std::move(item));
        } else {
            std::size_t end = text.find(',', i);
            if (end == std::string_view::npos) end = n;
            items.emplace_back(text.substr(i, end - i));
            i = end;
        }
        if (i < n && text[i] == ',') {
            ++i;
            if (i == n) items.emplace_back();
        }
    }
    return items;
}

std::string FormatCommaText(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) out += ',';
        const std::string& item = items[k];
        const bool quote = item.empty() || item.find_first_of(" ,\"") != std::string::npos;
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

}  // namespace tovra
