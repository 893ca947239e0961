#include <cstdint>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "gfx/draw_target.hpp"
#include "gfx/font.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/text.hpp"
#include "runtime/last_error.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;
using gfxtest::dirtyRowRanges;
using gfxtest::screenMatches;

constexpr Color Paper = 0xFFFFFFFFu;
constexpr Color Ink = 0xFF000000u;

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

bool glyphBit(unsigned char c, std::int32_t column, std::int32_t row) {
    return (BuiltinFont[c * 8u + static_cast<unsigned>(row)] >> column) & 1u;
}

TEST(BuiltinFont, MatchesCheckValuesAndKnownGlyphs) {
    EXPECT_EQ(crc32(BuiltinFont.data(), BuiltinFont.size()), 0x1FBF0B63u);
    const std::uint8_t a[8] = {0x0C, 0x1E, 0x33, 0x33, 0x3F, 0x33, 0x33, 0x00};
    const std::uint8_t umlaut[8] = {0x33, 0x00, 0x1E, 0x30, 0x3E, 0x33, 0x7E, 0x00};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(BuiltinFont[0x41 * 8 + row], a[row]) << row;
        EXPECT_EQ(BuiltinFont[0x84 * 8 + row], umlaut[row]) << row;
        EXPECT_EQ(BuiltinFont[0x20 * 8 + row], 0) << row;
        EXPECT_EQ(BuiltinFont[0xDB * 8 + row], 0xFF) << row;
    }
}

class TextTest : public gfxtest::RecordingScreenTest {
  protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        ASSERT_EQ(openScreen(1000, 600, 32, 0, 0, 0), 0);
        gfxtest::fillScreen(Paper);
        gfxtest::clearDirtyRows();
    }
    static LoadResult text(float x, float y, std::string_view s) {
        return drawText(nullptr, x, y, AbsoluteExplicit, s, Ink, nullptr, 0, nullptr, 0, nullptr);
    }
    // The pixels of `s` drawn with its cell origin at (ox, oy), unclipped.
    static auto shape(std::string s, std::int32_t ox, std::int32_t oy) {
        return [s = std::move(s), ox, oy](std::int32_t x, std::int32_t y) {
            const std::int32_t dx = x - ox;
            const std::int32_t dy = y - oy;
            if (dy < 0 || dy > 7 || dx < 0 || dx >= 8 * static_cast<std::int32_t>(s.size())) {
                return false;
            }
            return glyphBit(static_cast<unsigned char>(s[dx / 8]), dx % 8, dy);
        };
    }
};

TEST_F(TextTest, LetterAIsExactlyItsGlyph) {
    EXPECT_EQ(text(0, 0, "A"), LoadResult::Ok);
    int set = 0;
    for (std::int32_t y = 0; y < 8; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) set += gfxtest::screenPixel(x, y) == Ink ? 1 : 0;
    }
    EXPECT_EQ(set, 28);
    EXPECT_TRUE(screenMatches(shape("A", 0, 0), Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "0-7");
}

TEST_F(TextTest, ClippedAtEveryEdge) {
    text(996, 0, "MW");
    EXPECT_TRUE(
        screenMatches([s = shape("MW", 996, 0)](auto x, auto y) { return s(x, y); }, Ink, Paper));
    gfxtest::fillScreen(Paper);
    text(-4, 0, "MW");
    EXPECT_TRUE(screenMatches(shape("MW", -4, 0), Ink, Paper));
    gfxtest::fillScreen(Paper);
    gfxtest::clearDirtyRows();
    text(0, 596, "\xDB\xDB");
    EXPECT_TRUE(screenMatches([](auto x, auto y) { return x < 16 && y >= 596; }, Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "596-599");
    gfxtest::fillScreen(Paper);
    gfxtest::clearDirtyRows();
    text(3, -5, "\xDB");
    EXPECT_TRUE(
        screenMatches([](auto x, auto y) { return x >= 3 && x < 11 && y < 3; }, Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "0-2");
}

TEST_F(TextTest, WhollyOutsideDrawsAndMarksNothing) {
    for (auto [x, y] : {std::pair{0.0f, 600.0f},
                        {1000.0f, 0.0f},
                        {-16.0f, 0.0f},
                        {0.0f, -8.0f},
                        {1e20f, 1e20f},
                        {-1e20f, 5.0f}}) {
        EXPECT_EQ(text(x, y, "AB"), LoadResult::Ok);
    }
    EXPECT_TRUE(screenMatches([](auto, auto) { return false; }, Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "");
    EXPECT_EQ(currentScreen()->lockCount, 0);
}

TEST_F(TextTest, EveryByteIsAGlyphAndAdvancesOneCell) {
    text(100, 50, "\x84\xFF\n\r!");
    EXPECT_TRUE(screenMatches(shape("\x84\xFF\n\r!", 100, 50), Ink, Paper));
    EXPECT_TRUE(glyphBit(0x84, 0, 0));  // the diaeresis is really drawn
    EXPECT_EQ(gfxtest::screenPixel(100, 50), Ink);
}

TEST_F(TextTest, CoordinatesRoundHalfAwayFromZero) {
    text(12.5f, 12.5f, "\xDB");
    EXPECT_TRUE(screenMatches([](auto x, auto y) { return x >= 13 && x < 21 && y >= 13 && y < 21; },
                              Ink, Paper));
    gfxtest::fillScreen(Paper);
    text(-12.5f, 2.5f, "\xDB\xDB\xDB");  // cells from x = -13, rows 3 to 10
    EXPECT_TRUE(
        screenMatches([](auto x, auto y) { return x < 11 && y >= 3 && y <= 10; }, Ink, Paper));
    EXPECT_EQ(drawTarget().penPosition.x, -12.5f);
}

TEST_F(TextTest, MissingAndEmptyText) {
    runtime::setLastError(runtime::ResultCode::Ok);
    EXPECT_EQ(text(0, 0, std::string_view{}), LoadResult::BadCall);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::BadCall);
    EXPECT_EQ(text(0, 0, std::string_view{"", 0}), LoadResult::Ok);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::Ok);
    EXPECT_TRUE(screenMatches([](auto, auto) { return false; }, Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "");
}

TEST_F(TextTest, AFontWithoutCellsOrGlyphsDrawsNothing) {
    FontInfo& font = activeScreen()->font;
    const FontInfo builtin = font;
    for (const FontInfo broken : {FontInfo{0, 8, builtin.glyphs}, FontInfo{-8, 8, builtin.glyphs},
                                  FontInfo{8, 0, builtin.glyphs}, FontInfo{8, 8, nullptr}}) {
        font = broken;
        // Starting left of the screen, where the first visible cell is worked out.
        EXPECT_EQ(text(-20, 5, "ABCDEF"), LoadResult::Ok);
    }
    font = builtin;
    EXPECT_TRUE(screenMatches([](auto, auto) { return false; }, Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "");
}

TEST_F(TextTest, ForeColorFlagAndPenKind) {
    drawTarget().foreColor = 0xFF0000FFu;
    drawText(nullptr, 40, 30, UseForeColor, "\xDB", Ink);
    drawText(nullptr, 8, 0, FirstFromPen, "\xDB", Ink);  // pen is (40, 30)
    EXPECT_EQ(gfxtest::screenPixel(40, 30), 0xFF0000FFu);
    EXPECT_EQ(gfxtest::screenPixel(48, 30), Ink);
    EXPECT_EQ(gfxtest::screenPixel(47, 37), 0xFF0000FFu);
    EXPECT_EQ(gfxtest::screenPixel(56, 30), Paper);
}

}  // namespace
