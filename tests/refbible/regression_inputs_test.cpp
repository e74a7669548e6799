// Damaged module files kept in data/: hand-made ones with a valid header
// hash but impossible contents, and whatever the fuzzer has found. Each must
// either load and answer inside 0 to V or fail with an error; none may crash.
#include <gtest/gtest.h>

#include <filesystem>

#include "refbible/module.h"

namespace tovra {
namespace {

const std::string kDataDir = TOVRA_REFBIBLE_TEST_DATA;

// Loads `path`; on success runs the queries and checks their ranges.
std::string LoadAndQuery(const std::string& path) {
    try {
        TLTBibleModule module(path);
        const std::int32_t v = module.VerseCount();
        for (std::int32_t book = -1; book <= module.BookCount() + 1; ++book)
            for (std::int32_t chapter : {-1, 0, 1, 2, 255})
                for (std::int32_t verse : {-1, 0, 1, 2, 255}) {
                    const std::int32_t d = module.VerseOrdinal(book, chapter, verse);
                    EXPECT_GE(d, 0) << path;
                    EXPECT_LE(d, v) << path;
                }
        for (std::int32_t n = 0; n <= v + 1 && n <= 65535; ++n) {
            try {
                module.VerseReference(static_cast<std::uint16_t>(n), false);
            } catch (const EListError&) {
            }
        }
        return "loaded";
    } catch (const Error& e) {
        return e.what();
    }
}

TEST(RegressionInputsTest, HandMadeDamageGivesItsMessage) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"first-verses-out-of-range.lt5bible", "loaded"},
        {"nameless-books.lt5bible", "loaded"},
        {"no-books.lt5bible", "Bible module file is damaged (no books)."},
        {"verse-count-past-file.lt5bible", "Bible module file is damaged (verse table outside the file)."},
        {"names-past-file.lt5bible", "Compressed field lies outside the module file"},
    };
    for (const auto& [file, message] : cases) EXPECT_EQ(LoadAndQuery(kDataDir + "/" + file), message) << file;
}

TEST(RegressionInputsTest, EveryKeptInputFailsOrAnswersInRange) {
    for (const auto& entry : std::filesystem::directory_iterator(kDataDir)) {
        if (entry.path().extension() != ".lt5bible") continue;
        EXPECT_NE(LoadAndQuery(entry.path().string()), "") << entry.path();
    }
}

}  // namespace
}  // namespace tovra
