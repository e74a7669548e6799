#include "refbible/mapped_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "module_fixture.h"

namespace tovra {
namespace {

using test_support::TempFile;

std::string MapMessage(const std::string& path, bool exclusive) {
    try {
        TMappedFile file(path, exclusive);
        return "mapped";
    } catch (const Error& e) {
        return e.what();
    }
}

TEST(MappedFileTest, MapsTheWholeFile) {
    TempFile file;
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 250, 0, 7};
    file.Write(bytes);
    TMappedFile mapped(file.Path(), false);
    ASSERT_EQ(mapped.Size(), bytes.size());
    EXPECT_EQ(std::memcmp(mapped.Data(), bytes.data(), bytes.size()), 0);
    EXPECT_EQ(mapped.FileName(), file.Path());
    EXPECT_FALSE(mapped.Exclusive());
}

TEST(MappedFileTest, FailuresCarryTheSystemErrorCode) {
    TempFile file;
    file.Write({});
    EXPECT_EQ(MapMessage(file.Path(), false),
              "File mapping failed on " + file.Path() + " (" + std::to_string(EINVAL) + ")");
    const std::string missing = (file.Folder() / "missing.lt5bible").string();
    EXPECT_EQ(MapMessage(missing, false), "Failed to open " + missing + " (" + std::to_string(ENOENT) + ")");
    const std::string folder = file.Folder().string();
    EXPECT_EQ(MapMessage(folder, false), "File mapping failed on " + folder + " (" + std::to_string(ENODEV) + ")");
}

TEST(MappedFileTest, SharedViewsCoexistAndExcludeAnExclusiveOne) {
    TempFile file;
    file.Write({1, 2, 3});
    const std::string busy = "Failed to open " + file.Path() + " (" + std::to_string(EWOULDBLOCK) + ")";
    {
        TMappedFile first(file.Path(), false);
        TMappedFile second(file.Path(), false);
        EXPECT_EQ(MapMessage(file.Path(), true), busy);
    }
    {
        TMappedFile exclusive(file.Path(), true);
        EXPECT_EQ(MapMessage(file.Path(), false), busy);
    }
    // Every view above has released the file.
    EXPECT_EQ(MapMessage(file.Path(), true), "mapped");
}

}  // namespace
}  // namespace tovra
