// Entry texts stated as lines, for tests: how a text splits into lines and
// how lines join into a text, written out byte by byte as the definition
// that the engine's joined form (NormalizeText) is held to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/entries.h"

namespace tovra::test_support {

using Lines = std::vector<std::string>;

// The lines of a text. Splitting ends at the first NUL byte; a line ends at
// CR LF, a lone CR or a lone LF; a break at the very end adds no empty line;
// an empty text gives no lines.
inline Lines SplitLines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    Lines lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Every line followed by CR LF; "" for no lines.
inline std::string JoinedText(const Lines& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// The lines of an entry's text.
inline Lines LinesOf(const Entry& entry) { return SplitLines(entry.text); }

// Sets an entry's text to the lines given, each followed by CR LF.
inline void SetLines(Entry& entry, const Lines& lines) { entry.text = JoinedText(lines); }

}  // namespace tovra::test_support
