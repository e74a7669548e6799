// The generated test databases against the externally written fixtures in
// the shared folder: libmdb must read the same tables, columns, rows and
// values from both, and the header pages must match. Skipped when the
// shared folder is not there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "db/jet_format.h"
#include "tests/mkmdb/mdb_dump.h"

namespace tovra::mkmdb {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = fs::path(TOVRA_SHARED_DIR) / "fixtures";
const fs::path kGenerated = fs::path(TOVRA_BINARY_DIR) / "tests" / "databases";

std::vector<char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FixtureCrossCheck : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!fs::is_directory(kFixtures)) GTEST_SKIP() << "shared fixtures folder absent: " << kFixtures;
        if (!fs::exists(kFixtures / GetParam())) GTEST_SKIP() << "fixture absent: " << GetParam();
        ASSERT_TRUE(fs::exists(kGenerated / GetParam())) << "not generated: " << (kGenerated / GetParam());
    }
};

TEST_P(FixtureCrossCheck, LibmdbReadsTheSameContent) {
    const auto want = test::DumpWithLibmdb((kFixtures / GetParam()).string());
    const auto got = test::DumpWithLibmdb((kGenerated / GetParam()).string());
    ASSERT_EQ(got.tables.size(), want.tables.size());
    for (size_t t = 0; t < want.tables.size(); ++t) {
        const auto& w = want.tables[t];
        const auto& g = got.tables[t];
        SCOPED_TRACE("table " + w.name);
        EXPECT_EQ(g.name, w.name);
        ASSERT_EQ(g.columns.size(), w.columns.size());
        for (size_t c = 0; c < w.columns.size(); ++c) {
            EXPECT_EQ(g.columns[c].name, w.columns[c].name);
            EXPECT_EQ(g.columns[c].type, w.columns[c].type) << w.columns[c].name;
            EXPECT_EQ(g.columns[c].size, w.columns[c].size) << w.columns[c].name;
        }
        ASSERT_EQ(g.rows.size(), w.rows.size());
        for (size_t r = 0; r < w.rows.size(); ++r)
            for (size_t c = 0; c < w.columns.size(); ++c)
                EXPECT_EQ(g.rows[r][c], w.rows[r][c]) << "row " << r + 1 << ", column " << w.columns[c].name;
    }
}

TEST_P(FixtureCrossCheck, HeaderPageMatches) {
    const auto want = ReadBytes(kFixtures / GetParam());
    const auto got = ReadBytes(kGenerated / GetParam());
    ASSERT_GE(want.size(), jet::kJet4PageSize);
    ASSERT_GE(got.size(), jet::kJet4PageSize);
    // Page 0 of the fixtures: signature, version, encoded block with the
    // masked password, code page, sort order, creation date.
    EXPECT_TRUE(std::equal(want.begin(), want.begin() + jet::kJet4PageSize, got.begin()));
}

const char* const kAccessFixtures[] = {
    "dictionary.dct", "topics.top", "bible.bbl", "bible-uppercase.bbl", "bible-no-verse.bbl",
    "dict-and-bible.dct", "commentary.cmt", "commentary-only.cmt", "chapter0.cmt", "notes.not",
    "password.dct", "no-known-tables.bbl", "dict-no-topic.dct", "dict-no-definition.dct",
    "dict-empty-no-topic.dct", "dict-lowercase.dct",
};

std::string FixtureName(const ::testing::TestParamInfo<const char*>& info) {
    std::string s = info.param;
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureCrossCheck, ::testing::ValuesIn(kAccessFixtures), FixtureName);

TEST(FixtureCrossCheckFiles, NotAccessAndTruncatedFiles) {
    if (!fs::is_directory(kFixtures)) GTEST_SKIP() << "shared fixtures folder absent: " << kFixtures;
    EXPECT_EQ(ReadBytes(kGenerated / "not-access.top"), ReadBytes(kFixtures / "not-access.top"));
    const auto truncated = ReadBytes(kGenerated / "truncated.dct");
    const auto dictionary = ReadBytes(kGenerated / "dictionary.dct");
    ASSERT_EQ(truncated.size(), 8192u);
    ASSERT_GT(dictionary.size(), 8192u);
    EXPECT_TRUE(std::equal(truncated.begin(), truncated.end(), dictionary.begin()));
    EXPECT_THROW(test::DumpWithLibmdb((kGenerated / "truncated.dct").string()), std::runtime_error);
    EXPECT_THROW(test::DumpWithLibmdb((kGenerated / "not-access.top").string()), std::runtime_error);
}

}  // namespace
}  // namespace tovra::mkmdb
