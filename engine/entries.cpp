// Line handling shared by the whole engine.
#include "engine/entries.h"

#include "platform/error.h"

namespace tovra {

Entry& EntryList::At(long long index) {
    if (index < 0 || static_cast<unsigned long long>(index) >= entries_.size()) throw EListError(index);
    return entries_[static_cast<size_t>(index)];
}

const Entry& EntryList::At(long long index) const {
    return const_cast<EntryList*>(this)->At(index);
}

Entry& EntryList::Append(std::string name) {
    entries_.push_back(Entry{std::move(name), {}});
    return entries_.back();
}

void SplitLines(std::string_view text, std::vector<std::string>& lines) {
    lines.clear();
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) lines.emplace_back(text.substr(start));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    SplitLines(text, lines);
    return lines;
}

void JoinedText(const std::vector<std::string>& lines, std::string& out) {
    out.clear();
    size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    out.reserve(size);
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
}

std::string JoinedText(const std::vector<std::string>& lines) {
    std::string out;
    JoinedText(lines, out);
    return out;
}

std::string_view Stripped(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
    return text.substr(b, e - b);
}

bool IsBlankText(std::string_view text) { return Stripped(text).empty(); }

bool IsBlank(const std::vector<std::string>& lines) {
    // Line breaks are CR LF, which are stripped too: blank means every line is.
    for (const auto& line : lines)
        if (!IsBlankText(line)) return false;
    return true;
}

}  // namespace tovra
