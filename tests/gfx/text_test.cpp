// Glyph pixels and clipping at every edge are held to a per-pixel drawer in
// drawing_reference_test.cpp; these cover the font itself, bad input,
// far-off coordinates, rounding and flags.

#include <cstdint>
#include <string_view>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "gfx/font.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/text.hpp"
#include "runtime/last_error.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;
using gfxtest::screenMatches;
using gfxtest::screenPixel;

constexpr Color Paper = 0xFFFFFFFFu;
constexpr Color Ink = 0xFF000000u;

TEST(BuiltinFont, MatchesCheckValue) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : BuiltinFont) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    EXPECT_EQ(~crc, 0x1FBF0B63u);
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
};

TEST_F(TextTest, MissingTextFarOffTextAndBrokenFontsDrawNothing) {
    runtime::setLastError(runtime::ResultCode::Ok);
    EXPECT_EQ(text(0, 0, std::string_view{}), LoadResult::BadCall);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::BadCall);
    EXPECT_EQ(text(0, 0, std::string_view{""}), LoadResult::Ok);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::Ok);

    const std::pair<float, float> farOff[] = {{0, 600}, {1000, 0},      {-16, 0},
                                              {0, -8},  {1e20f, 1e20f}, {-1e20f, 5}};
    for (auto [x, y] : farOff) EXPECT_EQ(text(x, y, "AB"), LoadResult::Ok) << x << "," << y;

    // A font without cells or glyphs once divided by zero or read through null.
    FontInfo& font = activeScreen()->font;
    const FontInfo builtin = font;
    for (const FontInfo broken : {FontInfo{0, 8, builtin.glyphs}, FontInfo{-8, 8, builtin.glyphs},
                                  FontInfo{8, 0, builtin.glyphs}, FontInfo{8, 8, nullptr}}) {
        font = broken;
        // Left of the screen the first visible cell is worked out; inside it is not.
        EXPECT_EQ(text(-20, 5, "ABCDEF"), LoadResult::Ok);
        EXPECT_EQ(text(100, 5, "ABCDEF"), LoadResult::Ok);
    }
    font = builtin;
    EXPECT_TRUE(screenMatches([](auto, auto) { return false; }, Ink, Paper));
    EXPECT_EQ(gfxtest::dirtyRowRanges(), "");
}

TEST_F(TextTest, CoordinatesRoundHalfAwayFromZeroAndFlagsApply) {
    constexpr Color Blue = 0xFF0000FFu;
    text(12.5f, 12.5f, "\xDB");           // cell from (13,13)
    text(-12.5f, 30.5f, "\xDB\xDB\xDB");  // cells from (-13,31)
    EXPECT_EQ(drawTarget().penPosition.x, -12.5f);
    drawTarget().foreColor = Blue;
    drawText(nullptr, 40, 50, UseForeColor, "\xDB", Ink);
    drawText(nullptr, 8, 0, FirstFromPen, "\xDB", Ink);  // from the pen at (40,50)
    const std::tuple<int, int, Color> probes[] = {
        {12, 13, Paper}, {13, 12, Paper}, {13, 13, Ink},  {20, 20, Ink},  {21, 20, Paper},
        {10, 38, Ink},   {11, 38, Paper}, {0, 30, Paper}, {0, 39, Paper}, {40, 50, Blue},
        {47, 57, Blue},  {48, 50, Ink},   {56, 50, Paper}};
    for (auto [x, y, color] : probes) {
        EXPECT_EQ(screenPixel(x, y), color) << x << "," << y;
    }
}

}  // namespace
