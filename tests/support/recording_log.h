// The status log and the run settings the engine is handed, as the tests
// give them: a log that keeps its lines, settings set field by field.
#pragma once

#include <string>
#include <vector>

#include "engine/run_host.h"

namespace tovra::test_support {

class RecordingLog : public TStatusLog {
public:
    void Append(const std::string& line) override { lines.push_back(line); }
    void Clear() override {
        lines.clear();
        ++clears;
    }
    std::vector<std::string> lines;
    int clears = 0;
};

class FixedSettings : public TRunSettings {
public:
    std::string OutFolder() const override { return outFolder; }
    bool RemoveFonts() const override { return removeFonts; }
    std::string outFolder;
    bool removeFonts = true;
};

}  // namespace tovra::test_support
