// Loading modules: the checks, their order and their messages, on small
// modules built in memory and then damaged.
#include "refbible/module.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/little_endian.h"
#include "refbible/mapped_file.h"
#include "module_fixture.h"

namespace tovra {
namespace {

using namespace lt5;
using test_support::LoadMessage;
using test_support::SetField32;
using test_support::SmallModule;
using test_support::TempFile;

std::string FileLoadMessage(const std::string& path) {
    try {
        TLTBibleModule module(path);
        return "loaded";
    } catch (const Error& e) {
        return e.what();
    }
}

TEST(ModuleLoadTest, LoadsCountsNamesAndTables) {
    TempFile file;
    file.Write(SmallModule());
    TLTBibleModule module(file.Path());
    EXPECT_EQ(module.FileName(), file.Path());
    EXPECT_EQ(module.BookCount(), 3);
    EXPECT_EQ(module.VerseCount(), 14);
    EXPECT_EQ(module.ShortCode(), "KJV");
    EXPECT_EQ(module.BookNames(), (std::vector<std::string>{"Alpha", "2 Beta", "Gamma"}));
    EXPECT_EQ(module.AltBookNames(), (std::vector<std::string>{"Alp", "2Be", "Gam"}));
    EXPECT_EQ(module.MaxChapterTable(), (std::vector<std::uint8_t>{2, 3, 1}));
}

TEST(ModuleLoadTest, FileFailuresComeFirst) {
    TempFile file;
    const std::string missing = (file.Folder() / "kjv.lt5bible").string();
    EXPECT_EQ(FileLoadMessage(missing), missing + " does not exist.");
    EXPECT_EQ(FileLoadMessage(file.Folder().string()), file.Folder().string() + " does not exist.");
    file.Write({});
    EXPECT_EQ(FileLoadMessage(file.Path()),
              "File mapping failed on " + file.Path() + " (" + std::to_string(EINVAL) + ")");
}

TEST(ModuleLoadTest, LoadedModuleKeepsTheFileSharedAndAFailedLoadReleasesIt) {
    TempFile file;
    auto image = SmallModule();
    file.Write(image);
    const std::string busy = "Failed to open " + file.Path() + " (" + std::to_string(EWOULDBLOCK) + ")";
    {
        TLTBibleModule module(file.Path());
        TMappedFile reader(file.Path(), false);
        try {
            TMappedFile writer(file.Path(), true);
            ADD_FAILURE() << "exclusive access granted while the module is loaded";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), busy);
        }
    }
    image[kHashOffset] ^= 1;
    file.Write(image);
    EXPECT_EQ(FileLoadMessage(file.Path()), "Module file has invalid or corrupt hash.");
    EXPECT_NO_THROW(TMappedFile(file.Path(), true));
}

TEST(ModuleLoadTest, MagicFieldIsShownAsStored) {
    struct Case {
        std::uint8_t length;
        std::string text;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {6, "LT5BIA", "LT5BIA"},
        {0, "LT5BIB", ""},
        {5, "LT5BIB", "LT5BI"},
        {6, "lt5bib", "lt5bib"},
    };
    for (const Case& c : cases) {
        auto image = SmallModule();
        image[kMagicOffset] = c.length;
        std::copy(c.text.begin(), c.text.end(), image.begin() + kMagicOffset + 1);
        test_support::SealHeader(image);
        EXPECT_EQ(LoadMessage(image), "Invalid Bible module file header (" + c.shown + ").") << c.shown;
    }
    // A longer length runs into the hash bytes and is cut at the end of the
    // 618-byte header: 7 shows the first hash byte, 255 all four.
    for (const auto& [length, shown] : std::vector<std::pair<std::uint8_t, std::size_t>>{{7, 7}, {255, 10}}) {
        auto image = SmallModule();
        image[kMagicOffset] = length;
        test_support::SealHeader(image);
        const std::string stored(image.begin() + kMagicOffset + 1, image.begin() + kMagicOffset + 1 + shown);
        EXPECT_EQ(stored.substr(0, 6), "LT5BIB");
        EXPECT_EQ(LoadMessage(image), "Invalid Bible module file header (" + stored + ").") << int(length);
    }
}

TEST(ModuleLoadTest, EveryTruncationFailsCleanly) {
    const auto image = SmallModule();
    for (std::size_t length = 0; length < image.size(); ++length) {
        const std::vector<std::uint8_t> cut(image.begin(), image.begin() + static_cast<long>(length));
        const std::string message = LoadMessage(cut);
        EXPECT_NE(message, "loaded") << "length " << length;
        if (length <= kMagicOffset) {
            EXPECT_EQ(message, "Invalid Bible module file header ().") << "length " << length;
        }
    }
}

TEST(ModuleLoadTest, ShortFileReadsMissingHeaderBytesAsZero) {
    // A header whose hash bytes are cut off: only the hash check can fail,
    // once the name lists (kept inside the cut file) have inflated.
    auto image = SmallModule();
    std::vector<std::uint8_t> shortImage(image.begin(), image.begin() + kHashOffset);
    for (std::size_t d : {kAltBookNamesDescriptor, kBookNamesDescriptor}) SetField32(shortImage, d, 0);
    EXPECT_EQ(LoadMessage(shortImage), "Module file has invalid or corrupt hash.");
}

TEST(ModuleLoadTest, HashCoversEveryUninterpretedHeaderByte) {
    const auto image = SmallModule();
    struct Range {
        std::size_t first, last;
    };
    for (const Range r : {Range{0, 199}, Range{200, 271}, Range{280, 342}, Range{355, 366}, Range{379, 402},
                          Range{427, 606}, Range{614, 617}}) {
        for (std::size_t at = r.first; at <= r.last; ++at) {
            auto damaged = image;
            damaged[at] = static_cast<std::uint8_t>(damaged[at] + 0x41);
            EXPECT_EQ(LoadMessage(damaged), "Module file has invalid or corrupt hash.") << "byte " << at;
        }
    }
}

TEST(ModuleLoadTest, SecondarySeedLoadsExactlyLikeThePrimary) {
    mkmodule::TModuleOptions secondary;
    secondary.hashSeed = kSecondaryHashSeed;
    const auto a = SmallModule();
    const auto b = SmallModule(secondary);
    ASSERT_NE(test_support::Field32(a, kHashOffset), test_support::Field32(b, kHashOffset));
    TLTBibleModule first("a", a), second("b", b);
    EXPECT_EQ(first.BookNames(), second.BookNames());
    EXPECT_EQ(first.AltBookNames(), second.AltBookNames());
    EXPECT_EQ(first.WordList(), second.WordList());
    for (std::int32_t n = -1; n <= first.VerseCount() + 1; ++n) {
        EXPECT_EQ(first.VerseReference(static_cast<std::uint16_t>(n < 0 ? 0 : n), false),
                  second.VerseReference(static_cast<std::uint16_t>(n < 0 ? 0 : n), false));
        std::int32_t b1, c1, v1, b2, c2, v2;
        first.VerseLocation(n, b1, c1, v1);
        second.VerseLocation(n, b2, c2, v2);
        EXPECT_EQ(std::tie(b1, c1, v1), std::tie(b2, c2, v2));
    }
    // Any other seed is refused.
    auto other = a;
    test_support::SealHeader(other, 1);
    EXPECT_EQ(LoadMessage(other), "Module file has invalid or corrupt hash.");
}

TEST(ModuleLoadTest, AbsentNameListIsEmpty) {
    auto image = SmallModule();
    SetField32(image, kBookNamesDescriptor, 0);
    test_support::SealHeader(image);
    TLTBibleModule module("m", image);
    EXPECT_TRUE(module.BookNames().empty());
    EXPECT_EQ(module.AltBookNames().size(), 3u);
    EXPECT_EQ(module.VerseReference(1, true), "Alp 1:1");
    EXPECT_THROW(module.VerseReference(1, false), EListError);
}

TEST(ModuleLoadTest, NameListInflateErrorComesBeforeTheHashCheck) {
    auto image = SmallModule();
    const std::uint32_t at = test_support::Field32(image, kBookNamesDescriptor);
    image[at + 2] ^= 0xFF;  // the deflate data of the book names
    image[kHashOffset] ^= 0xFF;
    EXPECT_EQ(LoadMessage(image), "data error");
    try {
        TLTBibleModule module("m", image);
    } catch (const EZDecompressionError&) {
        SUCCEED();
    } catch (...) {
        ADD_FAILURE() << "not an EZDecompressionError";
    }
}

TEST(ModuleLoadTest, WordListOnlyForShortCodeKjv) {
    mkmodule::TModuleOptions options;
    options.words = {"Behold", "the", "THE", "", "\"quoted", "&amp", "'tis", "*star", "+plus", "-minus",
                     "\\back", "7even", "Zion", "apple", "Ærie", "a-b"};
    {
        TLTBibleModule module("m", SmallModule(options));
        EXPECT_EQ(module.WordList(), (std::vector<std::string>{"a-b", "apple", "behold", "the", "zion", "Ærie"}));
    }
    // A corrupt word list fails a KJV module and is never read otherwise.
    auto corrupt = [](std::vector<std::uint8_t> image) {
        image[test_support::Field32(image, kWordListDescriptor)] = 0x79;
        return image;
    };
    EXPECT_EQ(LoadMessage(corrupt(SmallModule(options))), "data error");
    struct Case {
        std::string shortCode;
        bool wordListFlag;
    };
    for (const Case& c : {Case{"NIV", true}, Case{"KJV1", true}, Case{"kjv", true}, Case{"KJV", false}}) {
        auto other = options;
        other.shortCode = c.shortCode;
        auto image = corrupt(SmallModule(other));
        if (!c.wordListFlag) SetField32(image, kWordListFlagOffset, 0);
        test_support::SealHeader(image);
        TLTBibleModule module("m", image);
        EXPECT_TRUE(module.WordList().empty()) << c.shortCode;
    }
}

TEST(ModuleLoadTest, ImpossibleLayoutFailsAfterTheHashCheck) {
    struct Case {
        const char* what;
        std::size_t field;
        int size;  // 2 or 4 bytes
        std::int64_t value;
        std::string message;
    };
    const auto image = SmallModule();
    const std::int64_t size = static_cast<std::int64_t>(image.size());
    const std::int64_t verseTable = test_support::Field32(image, kVerseTableOffsetField);
    const std::int64_t firstVerses = test_support::Field32(image, kFirstVerseTableOffsetField);
    const std::string damaged = "Bible module file is damaged (";
    const std::vector<Case> cases = {
        {"no books", kBookCountOffset, 2, 0, damaged + "no books)."},
        {"no verses", kVerseCountOffset, 2, 0, damaged + "no verses)."},
        {"verse count past the file", kVerseCountOffset, 2, 65535, damaged + "verse table outside the file)."},
        {"book count past the file", kBookCountOffset, 2, 65535, damaged + "first-verse table outside the file)."},
        {"negative verse table", kVerseTableOffsetField, 4, -11, damaged + "verse table outside the file)."},
        {"verse table at the end", kVerseTableOffsetField, 4, size, damaged + "verse table outside the file)."},
        {"verse table one short", kVerseTableOffsetField, 4, size - 14 * 11 + 1,
         damaged + "verse table outside the file)."},
        {"first verses past the file", kFirstVerseTableOffsetField, 4, size - 5,
         damaged + "first-verse table outside the file)."},
        {"first verses far away", kFirstVerseTableOffsetField, 4, 0x7FFFFFFF,
         damaged + "first-verse table outside the file)."},
        {"chapters past the file", kMaxChapterTableOffsetField, 4, size - 2,
         damaged + "highest-chapter table outside the file)."},
        {"chapters negative", kMaxChapterTableOffsetField, 4, -1, damaged + "highest-chapter table outside the file)."},
        {"verse table just fits", kVerseTableOffsetField, 4, size - 14 * 11, "loaded"},
        {"tables overlap the header", kFirstVerseTableOffsetField, 4, 0, "loaded"},
        {"names outside", kBookNamesDescriptor, 4, size, "Compressed field lies outside the module file"},
        {"names too long", kBookNamesDescriptor + 4, 4, size, "Compressed field lies outside the module file"},
    };
    (void)verseTable;
    (void)firstVerses;
    for (const Case& c : cases) {
        auto patched = image;
        if (c.size == 2)
            WriteLe16(patched.data() + c.field, static_cast<std::uint16_t>(c.value));
        else
            WriteLe32(patched.data() + c.field, static_cast<std::uint32_t>(c.value));
        auto unsealed = patched;
        test_support::SealHeader(patched);
        EXPECT_EQ(LoadMessage(patched), c.message) << c.what;
        // Damage that breaks the hash too is reported as a bad hash, unless
        // it makes a name list unreadable, which is found first.
        if (c.message.rfind("Compressed", 0) != 0) {
            EXPECT_EQ(LoadMessage(unsealed), "Module file has invalid or corrupt hash.") << c.what;
        }
    }
}

}  // namespace
}  // namespace tovra
