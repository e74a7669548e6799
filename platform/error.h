// The error object of the whole system: an exception that carries the exact
// message text that the status log or the error report shows.
#pragma once

#include <stdexcept>
#include <string>

namespace tovra {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// "List index out of bounds (%d)": the error of every ordered list of the
// system when asked for a position it does not have.
class EListError : public Error {
public:
    explicit EListError(long long index)
        : Error("List index out of bounds (" + std::to_string(index) + ")") {}
};

}  // namespace tovra
