// Pixel patterns, clipping and styles of lines, boxes and text are held to a
// per-pixel drawer in drawing_reference_test.cpp; these cover what it does not
// reach: the font itself, bad input, far-off coordinates, rounding, locking,
// flags, image targets and other depths.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/aligned_block.hpp"
#include "gfx/font.hpp"
#include "gfx/image.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/text.hpp"
#include "runtime/last_error.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;
using namespace gfxtest;

constexpr Color Paper = Black, Ink = Green;

class DrawingTest : public OpenRecordingScreenTest<> {
  protected:
    static void line(float x1, float y1, float x2, float y2, std::int32_t mode = Line) {
        drawLine(nullptr, x1, y1, x2, y2, Ink, mode, 0xFFFF, 0);
    }
    static LoadResult text(float x, float y, std::string_view s) {
        return drawText(nullptr, x, y, AbsoluteExplicit, s, Ink, nullptr, 0, nullptr, 0, nullptr);
    }
};

// Broken fonts and missing or far-off text draw nothing; shapes outside the
// screen draw nothing and take no lock either.
TEST_F(DrawingTest, OneDriverLockPerShapeAndNoneForShapesThatDrawNothingOrWithoutAScreen) {
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
    runtime::setLastError(runtime::ResultCode::Ok);
    EXPECT_EQ(text(0, 0, std::string_view{}), LoadResult::BadCall);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::BadCall);
    EXPECT_EQ(text(0, 0, std::string_view{""}), LoadResult::Ok);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::Ok);

    const std::pair<float, float> farOff[] = {{1e20f, 1e20f}, {-1e20f, 5}};
    for (auto [x, y] : farOff) EXPECT_EQ(text(x, y, "AB"), LoadResult::Ok) << x << "," << y;
    driverLog().clear();
    line(-10, 5, 5, -10);  // crosses neither edge inside the screen
    line(1000, 0, 1000, 599);
    line(-20, -20, -1, -1, Box);
    line(1000, 600, 1200, 900, FilledBox);
    line(0, 600, 999, 700, Box);
    EXPECT_EQ(std::tuple(driverLog(), dirtyRowRanges()),
              std::tuple(std::vector<std::string>{}, ""));

    line(500, -1e20f, 500, 1e20f);  // ends beyond the int range
    // The column is all the screen shows: nothing before drew either.
    EXPECT_TRUE(screenMatches([](auto x, auto) { return x == 500; }, Ink, Paper));
    EXPECT_EQ(driverLog(), (std::vector<std::string>{"Rec:lock", "Rec:unlock"}));

    // Inside the program's own lock the shapes take no further driver lock.
    lockScreen();
    line(1, 1, 50, 9);
    line(1, 1, 50, 9, Box);
    unlockScreen(1, 0);
    EXPECT_EQ(countInLog("Rec:lock"), 2);
    closeScreen();
    line(0, 0, 10, 10);
    EXPECT_EQ(driverLog().back(), "Rec:exit");  // no lock without a screen
}

// A shape far past a hand-made image must not write around its pixels (lines
// clip as the per-pixel reference test shows), and a block that is no image
// is refused.
TEST_F(DrawingTest, ImageTargetClipsShapesAndABlockThatIsNoImageIsRefused) {
    constexpr std::int32_t pitch = 16;
    AlignedBlock block(32 + pitch * 4 + 64);
    std::memset(block.get(), 0x5A, 32 + pitch * 4 + 64);
    auto* image = reinterpret_cast<ImageBuffer*>(block.get());
    *image = ImageBuffer{ImageType, 1, 5, 4, pitch, {0, 0, 0}};
    drawLine(image, -3, -3, 100, 100, 0x12345677u, FilledBox, 0xFFFF, 0);
    for (std::int32_t i = 0; i < pitch * 4 + 64; ++i) {
        const bool inside = i < pitch * 4 && i % pitch < 5;
        ASSERT_EQ(block.get()[32 + i], inside ? 0x77 : 0x5A) << i;
    }

    DrawTarget& context = drawTarget();
    ASSERT_EQ(selectTarget(context, nullptr), runtime::ResultCode::Ok);
    image->type = 3;
    EXPECT_EQ(selectTarget(context, image), runtime::ResultCode::BadCall);
    EXPECT_FALSE(context.isImage);
}

TEST(BuiltinFont, MatchesCheckValue) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : BuiltinFont) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    EXPECT_EQ(~crc, 0x1FBF0B63u);
}

// Halves round away from zero and extremes saturate; the fore colour flag and
// the coordinate kinds (second point an offset, first from the pen, both
// relative) apply to lines and text alike.
TEST_F(DrawingTest, CoordinatesRoundAndFlagsApply) {
    const std::pair<float, std::int32_t> rounded[] = {
        {0.5f, 1},          {-0.5f, -1},         {0.49999997f, 0},  {-2.4f, -2},
        {1e20f, INT32_MAX}, {-1e20f, INT32_MIN}, {std::nanf(""), 0}};
    for (const auto& [in, out] : rounded) EXPECT_EQ(roundCoordinate(in), out) << in;
    constexpr Color Blue = 0xFF0000FFu;
    drawLine(nullptr, 110, 10, 5, 0, Ink, Line, 0xFFFF, UseForeColor | SecondIsOffset);
    drawLine(nullptr, 0, 1, 115, 20, Ink, Line, 0xFFFF, FirstFromPen);  // from (115,11)
    drawLine(nullptr, 1, 0, 3, 0, Ink, Line, 0xFFFF, BothRelative);     // (116,20) to (119,20)
    EXPECT_EQ(drawTarget().penPosition.x, 119.0f);
    text(12.5f, 12.5f, "\xDB");           // cell from (13,13)
    text(-12.5f, 30.5f, "\xDB\xDB\xDB");  // cells from (-13,31)
    EXPECT_EQ(drawTarget().penPosition.x, -12.5f);
    drawTarget().foreColor = Blue;
    drawText(nullptr, 40, 50, UseForeColor, "\xDB", Ink);
    drawText(nullptr, 8, 0, FirstFromPen, "\xDB", Ink);   // from the pen at (40,50)
    drawText(nullptr, 0, 10, BothRelative, "\xDB", Ink);  // from the pen at (48,50): (48,60)
    const std::tuple<int, int, Color> probes[] = {
        {110, 10, White}, {115, 10, White}, {116, 10, Paper}, {115, 11, Ink},  {115, 21, Paper},
        {116, 20, Ink},   {119, 20, Ink},   {120, 20, Paper}, {12, 13, Paper}, {13, 12, Paper},
        {13, 13, Ink},    {20, 20, Ink},    {21, 20, Paper},  {10, 38, Ink},   {11, 38, Paper},
        {0, 30, Paper},   {0, 39, Paper},   {40, 50, Blue},   {47, 57, Blue},  {48, 50, Ink},
        {56, 50, Paper},  {48, 60, Ink},    {47, 60, Paper}};
    for (auto [x, y, color] : probes) EXPECT_EQ(screenPixel(x, y), color) << x << "," << y;
}

}  // namespace
