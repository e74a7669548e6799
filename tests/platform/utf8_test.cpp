#include "platform/utf8.h"

#include <gtest/gtest.h>

#include "platform/utf16.h"

namespace tovra {
namespace {

TEST(Utf8Test, DecodesWellFormedSequencesAndRefusesTheRest) {
    const struct {
        const char* name;
        std::string bytes;
        std::optional<char32_t> first;  // what the first decode gives
        size_t length;                  // how far it moves (0 when refused)
    } cases[] = {
        {"ascii", "A", U'A', 1},
        {"nul", std::string("\0x", 2), U'\0', 1},
        {"two bytes", "\xC3\xA9", U'\u00E9', 2},
        {"three bytes", "\xE2\x80\x94", U'\u2014', 3},
        {"four bytes", "\xF0\x9F\x98\x80", U'\U0001F600', 4},
        {"highest", "\xF4\x8F\xBF\xBF", U'\U0010FFFF', 4},
        {"lone continuation", "\x80", std::nullopt, 0},
        {"overlong slash", "\xC0\xAF", std::nullopt, 0},
        {"overlong three", "\xE0\x80\x80", std::nullopt, 0},
        {"overlong four", "\xF0\x8F\xBF\xBF", std::nullopt, 0},
        {"surrogate", "\xED\xA0\x80", std::nullopt, 0},
        {"above U+10FFFF", "\xF4\x90\x80\x80", std::nullopt, 0},
        {"five-byte lead", "\xF8\x88\x80\x80\x80", std::nullopt, 0},
        {"cut off", "\xE2\x80", std::nullopt, 0},
        {"cut off four", "\xF0\x9F\x98", std::nullopt, 0},
        {"bad continuation", "\xE2\x28\xA1", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The sequence at the start and after a prefix: positions are honoured.
        for (const std::string& prefix : {std::string(), std::string("ab")}) {
            const std::string text = prefix + c.bytes;
            size_t pos = prefix.size();
            EXPECT_EQ(DecodeUtf8(text, pos), c.first);
            EXPECT_EQ(pos, prefix.size() + c.length);
        }
    }
}

TEST(Utf8Test, EveryScalarValueRoundTrips) {
    for (char32_t cp = 0; cp <= 0x10FFFF; cp += (cp < 0x800 ? 1 : 7)) {
        if (!IsUnicodeScalarValue(cp)) continue;
        std::string text;
        AppendUtf8(cp, text);
        const size_t expectedLength = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        ASSERT_EQ(text.size(), expectedLength) << static_cast<uint32_t>(cp);
        size_t pos = 0;
        ASSERT_EQ(DecodeUtf8(text, pos), cp) << static_cast<uint32_t>(cp);
        ASSERT_EQ(pos, text.size());
    }
    EXPECT_TRUE(IsUnicodeScalarValue(0xD7FF));
    EXPECT_FALSE(IsUnicodeScalarValue(0xD800));
    EXPECT_FALSE(IsUnicodeScalarValue(0xDFFF));
    EXPECT_TRUE(IsUnicodeScalarValue(0xE000));
    EXPECT_FALSE(IsUnicodeScalarValue(0x110000));
}

TEST(Utf16Test, SurrogatePairsSplitAndJoin) {
    for (char32_t cp : {0x10000u, 0x1F600u, 0x10FC00u, 0x10FFFFu}) {
        const char16_t high = HighSurrogateOf(cp);
        const char16_t low = LowSurrogateOf(cp);
        EXPECT_TRUE(IsHighSurrogate(high)) << static_cast<uint32_t>(cp);
        EXPECT_TRUE(IsLowSurrogate(low)) << static_cast<uint32_t>(cp);
        EXPECT_EQ(CombineSurrogates(high, low), cp);
    }
    EXPECT_EQ(HighSurrogateOf(0x1F600), 0xD83D);
    EXPECT_EQ(LowSurrogateOf(0x1F600), 0xDE00);
    EXPECT_FALSE(IsHighSurrogate(0xD7FF));
    EXPECT_TRUE(IsHighSurrogate(0xDBFF));
    EXPECT_FALSE(IsHighSurrogate(0xDC00));
    EXPECT_TRUE(IsLowSurrogate(0xDC00));
    EXPECT_FALSE(IsLowSurrogate(0xE000));
}

}  // namespace
}  // namespace tovra
