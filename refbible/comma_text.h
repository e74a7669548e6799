// Comma-separated lists of names, as stored in the module's text fields.
//
// Items are separated by commas. An item that begins with a double quote runs
// to the next single double quote, and "" inside it stands for one quote; any
// other item runs to the next comma. Nothing is trimmed. A comma that ends the
// text adds a final empty item; parsing stops at a zero byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovra {

std::vector<std::string> ParseCommaText(std::string_view text);

// The inverse: quotes an item when it is empty or holds a space, a comma or a
// double quote, so that ParseCommaText gives the items back. Items must not
// hold a zero byte.
std::string FormatCommaText(const std::vector<std::string>& items);

}  // namespace tovra
