// Line handling shared by the whole engine.
#include "engine/entries.h"

#include <cstring>

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

namespace {

// Gives back the room a string has beyond its text when that is more than a
// little.
void ReleaseSlack(std::string& text) {
    if (text.capacity() > text.size() + text.size() / 8 + 64) text.shrink_to_fit();
}

}  // namespace

void Entry::AssignText(std::string_view joined) {
    text.assign(joined);
    ReleaseSlack(text);
}

void Entry::TakeText(std::string&& raw) {
    NormalizeText(raw);
    ReleaseSlack(raw);
    text = std::move(raw);
}

namespace {

// True when the text holds no NUL and each CR is followed by LF and each LF
// follows a CR: its line breaks are all CR LF.
bool HasOnlyCrLfBreaks(const char* p, size_t n) {
    if (std::memchr(p, '\0', n)) return false;
    for (const char* cr = p; (cr = static_cast<const char*>(std::memchr(cr, '\r', p + n - cr)));) {
        if (cr + 1 == p + n || cr[1] != '\n') return false;
        cr += 2;
    }
    for (const char* lf = p; (lf = static_cast<const char*>(std::memchr(lf, '\n', p + n - lf)));) {
        if (lf == p || lf[-1] != '\r') return false;
        ++lf;
    }
    return true;
}

bool EndsWithBreak(std::string_view text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

}  // namespace

void AppendNormalizedText(std::string_view more, std::string& text) {
    if (const void* nul = more.empty() ? nullptr : std::memchr(more.data(), '\0', more.size()))
        more = more.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - more.data()));
    if (more.empty()) return;
    if (HasOnlyCrLfBreaks(more.data(), more.size())) {
        text.reserve(text.size() + more.size() + 2);
        text.append(more);
    } else {
        text.reserve(text.size() + more.size() + more.size() / 8 + 2);
        size_t start = 0;
        for (size_t i = 0; i < more.size(); ++i) {
            if (more[i] != '\r' && more[i] != '\n') continue;
            text.append(more.substr(start, i - start));
            text += "\r\n";
            if (more[i] == '\r' && i + 1 < more.size() && more[i + 1] == '\n') ++i;
            start = i + 1;
        }
        text.append(more.substr(start));
    }
    if (!EndsWithBreak(more)) text += "\r\n";
}

void NormalizeText(std::string& text) {
    if (HasOnlyCrLfBreaks(text.data(), text.size())) {
        if (!text.empty() && !EndsWithBreak(text)) text += "\r\n";
        return;
    }
    std::string normal;
    AppendNormalizedText(text, normal);
    text.swap(normal);
}

std::string_view Stripped(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
    return text.substr(b, e - b);
}

bool IsBlankText(std::string_view text) { return Stripped(text).empty(); }

}  // namespace tovra
