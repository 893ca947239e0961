#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/cp437.hpp"

namespace {

using runtime::cp437ToUnicode;
using runtime::unicodeToCp437;

TEST(Cp437, EveryByteRoundTripsThroughItsGlyph) {
    std::set<char32_t> glyphs;
    for (int b = 0; b < 256; ++b) {
        const char32_t ch = cp437ToUnicode(static_cast<std::uint8_t>(b));
        EXPECT_EQ(unicodeToCp437(ch), b) << "byte " << b;
        glyphs.insert(ch);
    }
    EXPECT_EQ(glyphs.size(), 256u) << "two bytes share a glyph";
}

TEST(Cp437, KnownGlyphs) {
    EXPECT_EQ(cp437ToUnicode(0x00), U'\0');
    EXPECT_EQ(cp437ToUnicode(0x01), U'\u263A');
    EXPECT_EQ(cp437ToUnicode(0x0A), U'\u25D9');
    EXPECT_EQ(cp437ToUnicode(0x1F), U'\u25BC');
    EXPECT_EQ(cp437ToUnicode(0x20), U' ');
    EXPECT_EQ(cp437ToUnicode(0x41), U'A');
    EXPECT_EQ(cp437ToUnicode(0x7E), U'~');
    EXPECT_EQ(cp437ToUnicode(0x7F), U'\u2302');
    EXPECT_EQ(cp437ToUnicode(0x80), U'\u00C7');
    EXPECT_EQ(cp437ToUnicode(0x81), U'\u00FC');
    EXPECT_EQ(cp437ToUnicode(0x84), U'\u00E4');
    EXPECT_EQ(cp437ToUnicode(0x8E), U'\u00C4');
    EXPECT_EQ(cp437ToUnicode(0x94), U'\u00F6');
    EXPECT_EQ(cp437ToUnicode(0x99), U'\u00D6');
    EXPECT_EQ(cp437ToUnicode(0x9A), U'\u00DC');
    EXPECT_EQ(cp437ToUnicode(0x9E), U'\u20A7');
    EXPECT_EQ(cp437ToUnicode(0xB0), U'\u2591');
    EXPECT_EQ(cp437ToUnicode(0xC5), U'\u253C');
    EXPECT_EQ(cp437ToUnicode(0xDB), U'\u2588');
    EXPECT_EQ(cp437ToUnicode(0xE1), U'\u00DF');
    EXPECT_EQ(cp437ToUnicode(0xE3), U'\u03C0');
    EXPECT_EQ(cp437ToUnicode(0xF8), U'\u00B0');
    EXPECT_EQ(cp437ToUnicode(0xFF), U'\u00A0');
}

TEST(Cp437, ControlCharactersKeepTheirBytes) {
    for (char32_t ch = 0; ch < 0x20; ++ch) EXPECT_EQ(unicodeToCp437(ch), static_cast<int>(ch));
    EXPECT_EQ(unicodeToCp437(U'\t'), 0x09);
    EXPECT_EQ(unicodeToCp437(0x7F), 0x7F);
}

TEST(Cp437, CharactersWithoutAByteAreRefused) {
    for (const char32_t ch : {U'\u0080', U'\u00C0', U'\u00E3', U'\u20AC', U'\u03B2', U'\uFFFD',
                              U'\U0001F600', char32_t{0x110000}}) {
        EXPECT_EQ(unicodeToCp437(ch), -1) << static_cast<std::uint32_t>(ch);
    }
}

TEST(Utf8, DecodesAllLengthsAndEncodesThemBack) {
    const std::string text = "A\xC3\xA4\xE2\x98\xBA\xF0\x9F\x98\x80";  // A ä ☺ 😀
    std::u32string chars;
    const auto result = runtime::decodeUtf8(text, chars);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(chars, (std::u32string{U'A', U'\u00E4', U'\u263A', U'\U0001F600'}));
    std::string back;
    for (const char32_t ch : chars) runtime::appendUtf8(ch, back);
    EXPECT_EQ(back, text);
}

TEST(Utf8, ReportsTheOffsetOfTheFirstMalformedSequence) {
    struct Case {
        std::string bytes;
        std::size_t offset;
    };
    const Case cases[] = {
        {"ab\x80", 2},  // stray continuation byte
        {"a\xC3", 1},   // truncated at the end
        {"a\xC3"
         "b",
         1},                      // missing continuation
        {"\xC0\xAF", 0},          // overlong slash
        {"xy\xE0\x80\xAF", 2},    // overlong three-byte form
        {"\xED\xA0\x80", 0},      // surrogate
        {"\xF4\x90\x80\x80", 0},  // above U+10FFFF
        {"ok\xFF", 2},            // never a lead byte
    };
    for (const auto& c : cases) {
        std::u32string chars;
        const auto result = runtime::decodeUtf8(c.bytes, chars);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.errorOffset, c.offset);
    }
}

TEST(Utf8, UnencodableValuesBecomeTheReplacementCharacter) {
    std::string out;
    runtime::appendUtf8(0xD800, out);
    runtime::appendUtf8(0x110000, out);
    EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, Cp437TextBecomesItsGlyphs) {
    EXPECT_EQ(runtime::cp437ToUtf8("Neues R\x84tsel"), "Neues R\xC3\xA4tsel");
    EXPECT_EQ(runtime::cp437ToUtf8(std::string("\x01\xE1", 2)), "\xE2\x98\xBA\xC3\x9F");
}

}  // namespace
