// Where the writers put their bytes: a one-method sink. A sink that returns
// false makes the writer stop and report failure; what was written before
// stays where it went.
#pragma once

#include <cstddef>
#include <string>

namespace tovra {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    // Appends `size` bytes; false when they could not be written.
    virtual bool write(const char* data, size_t size) = 0;
};

// Appends to a caller-owned string, which the caller may clear and reuse
// between entries so that its capacity stays.
class StringSink final : public OutputSink {
public:
    explicit StringSink(std::string& buffer) : buffer_(&buffer) {}
    bool write(const char* data, size_t size) override {
        buffer_->append(data, size);
        return true;
    }
    std::string& buffer() { return *buffer_; }

private:
    std::string* buffer_;
};

}  // namespace tovra
