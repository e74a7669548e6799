// The test databases the build generates from the descriptions in
// tests/data/databases.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tovra::test_support {

// The path of a generated test database. A test that needs a missing
// database fails.
inline std::string Database(const std::string& name) {
    const std::string generated = std::string(TOVRA_BINARY_DIR) + "/tests/databases/" + name;
    if (!std::filesystem::exists(generated))
        ADD_FAILURE() << "test database " << name << " is missing: " << generated;
    return generated;
}

}  // namespace tovra::test_support
