#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "runtime/cp437.hpp"

namespace {

using runtime::unicodeToCp437;

// Decoding keeps the characters before the first malformed sequence.
TEST(Utf8, DecodesAllLengthsStopsAtTheFirstBadSequenceAndEncodesBack) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"ab\x80", 2},            // stray continuation byte
        {"a\xC3", 1},             // truncated at the end
        {"a\xC3_", 1},            // missing continuation
        {"\xC0\xAF", 0},          // overlong slash
        {"xy\xE0\x80\xAF", 2},    // overlong three-byte form
        {"\xF0\x8F\xBF\xBF", 0},  // overlong four-byte form
        {"\xED\xA0\x80", 0},      // surrogate
        {"\xF4\x90\x80\x80", 0},  // above U+10FFFF
        {"ok\xFF", 2},            // never a lead byte
    };
    for (const auto& [bytes, decoded] : cases) {
        std::u32string chars;
        EXPECT_FALSE(runtime::decodeUtf8(bytes, chars)) << bytes;
        EXPECT_EQ(chars.size(), decoded) << bytes;
    }
    const std::string text = "A\xC3\xA4\xE2\x98\xBA\xF0\x9F\x98\x80";  // A ä ☺ 😀
    std::u32string chars;
    ASSERT_TRUE(runtime::decodeUtf8(text, chars));
    EXPECT_EQ(chars, (std::u32string{U'A', U'\u00E4', U'\u263A', U'\U0001F600'}));
    std::string back;
    for (const char32_t ch : chars) runtime::appendUtf8(ch, back);
    // Surrogates and values past U+10FFFF have no encoding.
    runtime::appendUtf8(0xD800, back);
    runtime::appendUtf8(0x110000, back);
    EXPECT_EQ(back, text + "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(runtime::cp437ToUtf8("R\x84\x01\xE1\x7F\x80\xFF"),
              "R\xC3\xA4\xE2\x98\xBA\xC3\x9F\xE2\x8C\x82\xC3\x87\xC2\xA0");
    // The way back (the word codec's round trip covers the code page): controls
    // and ASCII keep their bytes, anything else outside the code page has none.
    for (char32_t ch = 0; ch < 0x80; ++ch) EXPECT_EQ(unicodeToCp437(ch), std::int32_t(ch));
    for (const char32_t ch : {U'\u0080', U'\U0001F600'}) EXPECT_EQ(unicodeToCp437(ch), -1);
}

}  // namespace
