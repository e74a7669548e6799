// An output sink that fails, for the writers' handling of failed writes.
#pragma once

#include <cstddef>
#include <string>

#include "richtext/output_sink.h"

namespace tovra::test_support {

// A sink that takes `limit` writes and refuses the rest.
class FailingSink final : public OutputSink {
public:
    explicit FailingSink(int limit) : limit_(limit) {}
    bool write(const char* data, size_t size) override {
        if (limit_-- <= 0) return false;
        written.append(data, size);
        return true;
    }
    std::string written;

private:
    int limit_;
};

}  // namespace tovra::test_support
