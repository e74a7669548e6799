#include "refbible/unpack_field.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "tools/mkmodule/module_builder.h"

namespace tovra {
namespace {

// A file image: some leading bytes, then one compressed field.
struct FieldImage {
    std::vector<std::uint8_t> bytes;
    FieldDescriptor descriptor;
};

FieldImage MakeField(const std::vector<std::uint8_t>& compressed, std::uint32_t unpackedSize) {
    FieldImage image;
    image.bytes.assign(40, 0xAA);
    image.descriptor.offset = static_cast<std::uint32_t>(image.bytes.size());
    image.descriptor.storedSize = static_cast<std::uint32_t>(compressed.size());
    image.descriptor.unpackedSize = unpackedSize;
    image.bytes.insert(image.bytes.end(), compressed.begin(), compressed.end());
    return image;
}

std::string Unpack(const FieldImage& image, std::size_t cap = lt5::kMaxUnpackedFieldSize) {
    return UnpackField(image.bytes.data(), image.bytes.size(), image.descriptor, cap);
}

std::string UnpackMessage(const FieldImage& image, std::size_t cap = lt5::kMaxUnpackedFieldSize) {
    try {
        Unpack(image, cap);
        return "unpacked";
    } catch (const EZDecompressionError& e) {
        return e.what();
    }
}

std::string SampleText() {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "Genesis,Exodus,\"1 Samuel\"," + std::to_string(i) + ",";
    return text;  // about 12 KB: the output grows many steps
}

TEST(UnpackFieldTest, StatedSizeIsOnlyTheFirstCapacity) {
    const std::string text = SampleText();
    const auto compressed = mkmodule::CompressField(text);
    const std::uint32_t n = static_cast<std::uint32_t>(text.size());
    for (std::uint32_t stated : {0u, 1u, n / 2, n - 1, n, n + 1, n * 3, 0xFFFFFFFFu}) {
        const std::string out = Unpack(MakeField(compressed, stated));
        EXPECT_EQ(out.size(), text.size()) << "stated " << stated;
        EXPECT_EQ(out, text) << "stated " << stated;
    }
}

TEST(UnpackFieldTest, AbsentFieldIsEmptyWithoutLookingAtTheRest) {
    const std::uint8_t byte = 0;
    FieldDescriptor absent;
    absent.offset = 0;
    absent.storedSize = 0xFFFFFFFFu;
    EXPECT_EQ(UnpackField(&byte, 1, absent, 100), "");
}

TEST(UnpackFieldTest, EmptyTextRoundTrips) {
    EXPECT_EQ(Unpack(MakeField(mkmodule::CompressField(""), 0)), "");
}

TEST(UnpackFieldTest, BytesOutsideTheFileFailCleanly) {
    FieldImage image = MakeField(mkmodule::CompressField("Genesis"), 0);
    const std::uint32_t size = static_cast<std::uint32_t>(image.bytes.size());
    struct Case {
        std::uint32_t offset, stored;
    };
    for (const Case c : {Case{size + 1, 0}, Case{size, 1}, Case{40, size}, Case{0xFFFFFFFFu, 2},
                         Case{40, 0xFFFFFFFFu}, Case{0xFFFFFFF0u, 0x20u}}) {
        image.descriptor.offset = c.offset;
        image.descriptor.storedSize = c.stored;
        EXPECT_EQ(UnpackMessage(image), "Compressed field lies outside the module file")
            << c.offset << "+" << c.stored;
    }
}

TEST(UnpackFieldTest, EveryTruncationFailsWithZlibText) {
    const auto compressed = mkmodule::CompressField(SampleText());
    for (std::size_t length = 0; length < compressed.size(); ++length) {
        const std::vector<std::uint8_t> cut(compressed.begin(), compressed.begin() + static_cast<long>(length));
        EXPECT_EQ(UnpackMessage(MakeField(cut, 0)), "buffer error") << "length " << length;
    }
}

TEST(UnpackFieldTest, DamagedStreamsGiveZlibText) {
    auto compressed = mkmodule::CompressField(SampleText());
    auto badHeader = compressed;
    badHeader[0] = 0x79;  // not a deflate method with a 32K window
    EXPECT_EQ(UnpackMessage(MakeField(badHeader, 0)), "data error");
    auto badTrailer = compressed;
    badTrailer.back() ^= 0x01;  // Adler-32 of the text no longer matches
    EXPECT_EQ(UnpackMessage(MakeField(badTrailer, 0)), "data error");
}

TEST(UnpackFieldTest, ZlibTextsByCode) {
    const std::vector<std::pair<int, std::string>> texts = {
        {-1, "file error"},   {-2, "stream error"},        {-3, "data error"},
        {-4, "insufficient memory"}, {-5, "buffer error"}, {-6, "incompatible version"}};
    for (const auto& [code, text] : texts) EXPECT_EQ(ZlibErrorText(code), text);
}

TEST(UnpackFieldTest, PresetDictionaryIsRejected) {
    const std::string dictionary = "Genesis,Exodus,Leviticus";
    const std::string text = "Genesis,Exodus,Leviticus,Numbers";
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, Z_BEST_COMPRESSION), Z_OK);
    ASSERT_EQ(deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()),
                                   static_cast<uInt>(dictionary.size())),
              Z_OK);
    std::vector<std::uint8_t> out(256);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    EXPECT_EQ(UnpackMessage(MakeField(out, 0)), "Compressed field needs a preset dictionary");
}

TEST(UnpackFieldTest, InflatedSizeIsCappedAtTheLimit) {
    const std::string atCap(1000, 'x');
    EXPECT_EQ(Unpack(MakeField(mkmodule::CompressField(atCap), 0), 1000), atCap);
    EXPECT_EQ(UnpackMessage(MakeField(mkmodule::CompressField(atCap + "y"), 0), 1000),
              "Compressed field inflates to more than 1000 bytes");
    // A bomb: a few kilobytes that would inflate past the default cap.
    const std::string huge(lt5::kMaxUnpackedFieldSize + 1, '\0');
    const auto bomb = mkmodule::CompressField(huge);
    ASSERT_LT(bomb.size(), 40000u);
    EXPECT_EQ(UnpackMessage(MakeField(bomb, 0xFFFFFFFFu)),
              "Compressed field inflates to more than " + std::to_string(lt5::kMaxUnpackedFieldSize) + " bytes");
}

}  // namespace
}  // namespace tovra
