// Helpers shared by the engine and database tests: where the test databases
// are, a recording status log, and temporary folders.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/run_host.h"

namespace tovra::testing {

// A database for the tests: the build's generated copy when there is one,
// else the externally written one. A test that needs a missing database fails.
inline std::string Database(const std::string& name) {
    const std::string generated = std::string(TOVRA_BINARY_DIR) + "/tests/databases/" + name;
    if (std::filesystem::exists(generated)) return generated;
    const std::string shared = std::string(TOVRA_SHARED_DIR) + "/fixtures/" + name;
    if (std::filesystem::exists(shared)) return shared;
    ADD_FAILURE() << "test database " << name << " is missing (looked in " << generated << " and "
                  << shared << ")";
    return generated;
}

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

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovra-test-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        path_ = mkdtemp(buf.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

}  // namespace tovra::testing
