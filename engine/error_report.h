// The text of the standard error report: the error's message, with a full
// stop appended when the message is not empty and its last character comes
// after "." in character order (a letter or a digit, for instance).
#pragma once

#include <string>

namespace tovra {

inline std::string ErrorReportText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

}  // namespace tovra
