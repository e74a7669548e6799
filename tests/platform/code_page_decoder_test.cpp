// Byte-at-a-time decoders: single bytes, lead bytes and pairs of the
// double-byte code pages, undefined bytes, and the ANSI byte of a character.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(CodePageDecoderTest, SingleByteCodePages) {
    const CodePageDecoder* greek = DecoderFor(1253);
    ASSERT_NE(greek, nullptr);
    EXPECT_EQ(greek->single[0xE1], u'\u03B1');
    EXPECT_EQ(greek->single['A'], u'A');
    EXPECT_EQ(greek->single[0xAA], u'\uFFFD');  // undefined in Windows-1253
    EXPECT_FALSE(greek->lead[0xE1]);
    EXPECT_EQ(greek->Pair(0xE1, 0xE1), u'\uFFFD');

    const CodePageDecoder* ansi = DecoderFor(0);
    ASSERT_NE(ansi, nullptr);
    EXPECT_EQ(ansi->single[0x80], u'\u20AC');
    EXPECT_EQ(ansi->single[0x81], u'\uFFFD');
    EXPECT_EQ(DecoderFor(10000)->single[0x8A], u'\u00E4');  // Mac Roman
    EXPECT_EQ(DecoderFor(437)->single[0xB3], u'\u2502');
}

TEST(CodePageDecoderTest, DoubleByteCodePagesPairLeadAndTrail) {
    struct Case {
        int codePage;
        unsigned char lead, trail;
        char16_t character;
    };
    const Case cases[] = {
        {932, 0x82, 0xA0, u'\u3042'}, {932, 0x83, 0x41, u'\u30A2'}, {932, 0x95, 0x5C, u'\u8868'},
        {936, 0xC4, 0xE3, u'\u4F60'}, {949, 0xC7, 0xD1, u'\uD55C'}, {949, 0x81, 0x41, u'\uAC02'},
        {950, 0xA4, 0x40, u'\u4E00'}, {1361, 0xD0, 0x65, u'\uD55C'},
    };
    for (const Case& c : cases) {
        const CodePageDecoder* d = DecoderFor(c.codePage);
        ASSERT_NE(d, nullptr) << c.codePage;
        EXPECT_TRUE(d->lead[c.lead]) << c.codePage;
        EXPECT_EQ(d->single[c.lead], u'\uFFFD') << c.codePage;
        EXPECT_EQ(d->Pair(c.lead, c.trail), c.character) << c.codePage;
        EXPECT_EQ(d->Pair(c.lead, 0x0A), u'\uFFFD') << c.codePage;
        EXPECT_FALSE(d->lead['a']) << c.codePage;
    }
    const CodePageDecoder* sjis = DecoderFor(932);
    EXPECT_FALSE(sjis->lead[0xB1]);  // half-width katakana stand alone
    EXPECT_EQ(sjis->single[0xB1], u'\uFF71');
    EXPECT_EQ(sjis->Pair(0x82, 0x7B), u'\uFFFD');
    EXPECT_EQ(sjis->Pair(0x41, 0x41), u'\uFFFD');  // not a lead byte
}

TEST(CodePageDecoderTest, UnknownAndLongerCodePagesHaveNoDecoder) {
    EXPECT_EQ(DecoderFor(4242), nullptr);
    EXPECT_EQ(DecoderFor(-1), nullptr);
    EXPECT_EQ(DecoderFor(65001), nullptr);
}

TEST(CodePageDecoderTest, AnsiByteOfACharacter) {
    EXPECT_EQ(AnsiByteOf(U'A'), 'A');
    EXPECT_EQ(AnsiByteOf(U'\u00E9'), 0xE9);
    EXPECT_EQ(AnsiByteOf(U'\u20AC'), 0x80);
    EXPECT_EQ(AnsiByteOf(U'\u0081'), 0x81);  // undefined bytes stand for C1 controls
    EXPECT_EQ(AnsiByteOf(U'\u03BB'), -1);
    EXPECT_EQ(AnsiByteOf(U'\uFFFD'), -1);
    EXPECT_EQ(AnsiByteOf(U'\U0001F600'), -1);
    EXPECT_EQ(AnsiByteOf(0x110000), -1);
}

}  // namespace
}  // namespace tovra
