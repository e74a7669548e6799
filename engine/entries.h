// Entries of one database: a name and a text of 8-bit lines, and how texts
// are put in joined form and judged blank.
#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace tovra {

// An entry's text is held joined: its lines, each followed by CR LF ("" for
// none), so that it passes from reading through conversion to output
// without being split and joined again. Whoever sets it gives it that form
// (NormalizeText, AppendNormalizedText).
struct Entry {
    std::string name;
    std::string text;

    // Sets the text to `joined`, or to `raw` in joined form, in a buffer
    // that is not much larger than the text: the texts of every entry of a
    // module are held at once.
    void AssignText(std::string_view joined);
    void TakeText(std::string&& raw);
};

// The ordered entries of one database. Index errors throw EListError.
// Appending leaves every entry where it is, so that references to entries
// stay valid while more are read.
class EntryList {
public:
    size_t Count() const { return entries_.size(); }
    // Throws "List index out of bounds (%d)" for an index outside the list.
    Entry& At(long long index);
    const Entry& At(long long index) const;
    Entry& Append(std::string name);
    void Clear() { entries_.clear(); }

    auto begin() { return entries_.begin(); }
    auto end() { return entries_.end(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    std::deque<Entry> entries_;
};

// Gives `text` the joined form of its lines, every line followed by CR LF:
// the text up to its first NUL, every line break (CR LF, a lone CR, a lone
// LF) made CR LF, and CR LF added after a last line that has none. A text
// already in that form is left as it is.
void NormalizeText(std::string& text);
// Appends the joined form of the lines of `more` (as NormalizeText gives
// it) to `text`. When `text` is a joined text itself, the result is the
// joined form of the two texts one after the other.
void AppendNormalizedText(std::string_view more, std::string& text);

// The text without the bytes 0x00 to 0x20 at both ends.
std::string_view Stripped(std::string_view text);

// True when the text is empty after stripping.
bool IsBlankText(std::string_view text);

}  // namespace tovra
