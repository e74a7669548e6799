// Jet 4 text decoding: the stretches taken several characters at a time must
// give what decoding one character after the other gives.
#include "db/jet_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/utf16.h"

namespace tovra {
namespace {

std::vector<unsigned char> Ucs2(const std::u16string& units) {
    std::vector<unsigned char> bytes;
    for (char16_t u : units) {
        bytes.push_back(static_cast<unsigned char>(u & 0xFF));
        bytes.push_back(static_cast<unsigned char>(u >> 8));
    }
    return bytes;
}

std::string Decoded(const std::vector<unsigned char>& bytes, TUnmappableForm form = TUnmappableForm::RtfEscape) {
    std::string out;
    DecodeJet4Text(bytes.data(), bytes.size(), form, out);
    return out;
}

// One character at a time, pairing surrogates.
std::string DecodedUnitByUnit(const std::u16string& units, TUnmappableForm form) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (IsHighSurrogate(cp) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            cp = CombineSurrogates(cp, units[i + 1]);
            ++i;
        }
        AppendAnsiCharacter(cp, form, out);
    }
    return out;
}

TEST(JetTextTest, Examples) {
    struct Case {
        std::vector<unsigned char> bytes;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {Ucs2(u"In the beginning God created"), "In the beginning God created"},
        {Ucs2(u"caf\u00E9 \u2014 na\u00EFve"), "caf\xE9 \x97 na\xEFve"},
        {Ucs2(u"\u05D0\u05D1"), "\\u1488?\\u1489?"},
        {Ucs2(u"\U0001D11E"), "\\u119070?"},
        {{'a', 0, 'b'}, "a"},  // a trailing odd byte is dropped
        // Compressed: one-byte runs, a 00 switching to two-byte units and back.
        {{0xFF, 0xFE, 'A', 'b', 'c', 0xE9}, "Abc\xE9"},
        {{0xFF, 0xFE, 'x', 0, 0x14, 0x20, 0, 'y', 'z'}, "x\x97yz"},
        {{0xFF, 0xFE, 0, 0xD0, 0x05}, "\\u1488?"},
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded(c.bytes), c.expected);
    EXPECT_EQ(Decoded(Ucs2(u"\u05D0"), TUnmappableForm::CharacterReference), "&#1488;");
}

// Random texts of mostly ASCII with other characters at random places, so
// that the fast stretches start and stop everywhere, in both stored forms.
TEST(JetTextTest, FastStretchesMatchCharacterByCharacter) {
    std::mt19937 random(7);
    // Paired and lone surrogates among the others.
    const std::u16string others = {0x00E9, 0x00FF, 0x0080, 0x2014, 0x05D0, 0xD834, 0xDD1E, 0xDC00, 0x0100, 0x007F};
    for (int round = 0; round < 3000; ++round) {
        std::u16string units;
        const int length = static_cast<int>(random() % 70);
        for (int i = 0; i < length; ++i) {
            if (random() % 9 == 0) {
                units += others[random() % others.size()];
            } else {
                units += static_cast<char16_t>(' ' + random() % 95);
            }
        }
        for (TUnmappableForm form : {TUnmappableForm::RtfEscape, TUnmappableForm::CharacterReference}) {
            ASSERT_EQ(Decoded(Ucs2(units), form), DecodedUnitByUnit(units, form)) << "round " << round;
        }
        // The compressed form of the same text where every unit is at most
        // U+00FF and not 0: one-byte runs between switches.
        std::vector<unsigned char> compressed = {0xFF, 0xFE};
        std::u16string narrow;
        for (char16_t u : units) {
            if (u > 0 && u <= 0xFF) {
                compressed.push_back(static_cast<unsigned char>(u));
                narrow += u;
            }
        }
        ASSERT_EQ(Decoded(compressed), DecodedUnitByUnit(narrow, TUnmappableForm::RtfEscape)) << "round " << round;
    }
}

}  // namespace
}  // namespace tovra
