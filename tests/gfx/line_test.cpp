#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/aligned_block.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/image.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;
using gfxtest::countInLog;
using gfxtest::dirtyRowRanges;
using gfxtest::driverLog;
using gfxtest::screenMatches;

constexpr Color Paper = 0xFF000000u;
constexpr Color Ink = 0xFF00FF00u;

class LineTest : public gfxtest::RecordingScreenTest {
  protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        ASSERT_EQ(openScreen(1000, 600, 32, 0, 0, 0), 0);
        gfxtest::clearDirtyRows();
        driverLog().clear();
    }
    static void line(float x1, float y1, float x2, float y2, std::int32_t mode = Line,
                     std::uint32_t style = 0xFFFF) {
        drawLine(nullptr, x1, y1, x2, y2, Ink, mode, style, 0);
    }
    using Points = std::set<std::pair<std::int32_t, std::int32_t>>;
    static auto among(Points points) {
        return [points = std::move(points)](std::int32_t x, std::int32_t y) {
            return points.count({x, y}) != 0;
        };
    }
};

TEST(RoundCoordinate, HalvesGoAwayFromZeroAndExtremesSaturate) {
    EXPECT_EQ(roundCoordinate(12.5f), 13);
    EXPECT_EQ(roundCoordinate(-12.5f), -13);
    EXPECT_EQ(roundCoordinate(0.5f), 1);
    EXPECT_EQ(roundCoordinate(-0.5f), -1);
    EXPECT_EQ(roundCoordinate(0.49999997f), 0);
    EXPECT_EQ(roundCoordinate(-2.4f), -2);
    EXPECT_EQ(roundCoordinate(0.0f), 0);
    EXPECT_EQ(roundCoordinate(1e20f), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(roundCoordinate(-1e20f), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(roundCoordinate(std::nanf("")), 0);
}

TEST_F(LineTest, SinglePointFollowsStyleBit15) {
    line(7, 9, 7, 9, Line, 0x8000);
    EXPECT_TRUE(screenMatches(among({{7, 9}}), Ink, Paper));
    gfxtest::fillScreen(Paper);
    line(7, 9, 7, 9, Line, 0x7FFF);
    EXPECT_TRUE(screenMatches(among({}), Ink, Paper));
}

TEST_F(LineTest, PatternStaysAnchoredAtFirstPoint) {
    line(10, 5, 0, 5, Line, 0xFF00);
    EXPECT_TRUE(
        screenMatches([](auto x, auto y) { return y == 5 && x >= 3 && x <= 10; }, Ink, Paper));
    gfxtest::fillScreen(Paper);
    line(3, 20, 3, 0, Line, 0xF000);  // 21 positions: the pattern comes round again at y 4
    EXPECT_TRUE(screenMatches(
        [](auto x, auto y) { return x == 3 && ((y >= 17 && y <= 20) || (y >= 1 && y <= 4)); }, Ink,
        Paper));
    gfxtest::fillScreen(Paper);
    line(0, 40, 40, 40, Line, 0xF0F0);  // repeats every 16 pixels
    EXPECT_TRUE(
        screenMatches([](auto x, auto y) { return y == 40 && x <= 40 && x % 8 < 4; }, Ink, Paper));
}

TEST_F(LineTest, BresenhamVisitsExpectedPixels) {
    line(0, 0, 5, 2);
    EXPECT_TRUE(screenMatches(among({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}), Ink, Paper));
    gfxtest::fillScreen(Paper);
    line(2, 5, 0, 0);  // steep, drawn from the first point
    EXPECT_TRUE(screenMatches(among({{2, 5}, {2, 4}, {1, 3}, {1, 2}, {0, 1}, {0, 0}}), Ink, Paper));
}

TEST_F(LineTest, ClippedLinesStayOnScreen) {
    line(-10, 300, 1010, 300);
    EXPECT_TRUE(screenMatches([](auto, auto y) { return y == 300; }, Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "300-300");
    gfxtest::fillScreen(Paper);
    line(-5, -5, 5, 5);
    EXPECT_TRUE(screenMatches([](auto x, auto y) { return x == y && x <= 5; }, Ink, Paper));
    gfxtest::fillScreen(Paper);
    line(995, 595, 1005, 605);
    EXPECT_TRUE(screenMatches([](auto x, auto y) { return x - y == 400 && x >= 995; }, Ink, Paper));
    gfxtest::fillScreen(Paper);
    line(500, -1e20f, 500, 1e20f);
    EXPECT_TRUE(screenMatches([](auto x, auto) { return x == 500; }, Ink, Paper));
}

TEST_F(LineTest, ShapesWhollyOutsideTakeNoLockAndMarkNothing) {
    line(-10, 5, 5, -10);  // crosses neither edge inside the screen
    line(-50, -1, 2000, -1);
    line(1000, 0, 1000, 599);
    line(-20, -20, -1, -1, Box);
    line(1000, 600, 1200, 900, FilledBox);
    line(0, 600, 999, 700, Box);
    EXPECT_TRUE(driverLog().empty());
    EXPECT_EQ(dirtyRowRanges(), "");
    EXPECT_TRUE(screenMatches(among({}), Ink, Paper));
}

TEST_F(LineTest, FilledBoxCoversWholeScreenWithOneLock) {
    drawLine(nullptr, 0, 0, 1000, 600, 0xFFFFFFFFu, FilledBox, 0xFFFF, 0);
    EXPECT_TRUE(screenMatches([](auto, auto) { return true; }, 0xFFFFFFFFu, Paper));
    EXPECT_EQ(dirtyRowRanges(), "0-599");
    EXPECT_EQ(driverLog(), (std::vector<std::string>{"Rec:lock", "Rec:unlock"}));
}

TEST_F(LineTest, BoxOutlineHasEveryEdgePixelAndNothingInside) {
    line(0, 0, 30, 30, Box);
    auto frame = [](std::int32_t x, std::int32_t y) {
        return x <= 30 && y <= 30 && (x == 0 || x == 30 || y == 0 || y == 30);
    };
    EXPECT_TRUE(screenMatches(frame, Ink, Paper));
    EXPECT_EQ(dirtyRowRanges(), "0-30");
    gfxtest::fillScreen(Paper);
    line(30, 30, 0, 0, Box);
    EXPECT_TRUE(screenMatches(frame, Ink, Paper));
    gfxtest::fillScreen(Paper);
    line(0, 0, 30, 30, 7);  // unknown modes draw outlines
    EXPECT_TRUE(screenMatches(frame, Ink, Paper));
}

TEST_F(LineTest, BoxCrossingRightEdgeLosesItsRightSide) {
    line(990, 10, 1010, 20, Box);
    EXPECT_TRUE(screenMatches(
        [](auto x, auto y) {
            return (x >= 990 && (y == 10 || y == 20)) || (x == 990 && y >= 10 && y <= 20);
        },
        Ink, Paper));
}

TEST_F(LineTest, BoxPatternRunsBottomTopRightLeft) {
    line(0, 0, 3, 3, Box, 0xAAAA);
    EXPECT_TRUE(
        screenMatches(among({{0, 3}, {2, 3}, {0, 0}, {2, 0}, {3, 0}, {3, 2}, {0, 2}}), Ink, Paper));
    gfxtest::fillScreen(Paper);
    // The clipped-away bottom edge still counts its four positions, then
    // top (4-7), right (8-608) and left (609-1209) follow on.
    line(0, 0, 3, 600, Box, 0x0FFF);
    auto on = [](std::int32_t position) { return position % 16 >= 4; };
    EXPECT_TRUE(screenMatches(
        [&](auto x, auto y) {
            return (y == 0 && x <= 3) || (x == 3 && on(8 + y)) || (x == 0 && on(609 + y));
        },
        Ink, Paper));
}

TEST_F(LineTest, ForeColorFlagAndCoordinateKinds) {
    drawLine(nullptr, 10, 10, 5, 0, Ink, Line, 0xFFFF, UseForeColor | SecondIsOffset);
    EXPECT_TRUE(screenMatches([](auto x, auto y) { return y == 10 && x >= 10 && x <= 15; },
                              0xFFFFFFFFu, Paper));
    EXPECT_EQ(drawTarget().penPosition.x, 15.0f);
    EXPECT_EQ(drawTarget().penPosition.y, 10.0f);
    gfxtest::fillScreen(Paper);
    drawLine(nullptr, 0, 1, 15, 20, Ink, Line, 0xFFFF, FirstFromPen);
    EXPECT_TRUE(
        screenMatches([](auto x, auto y) { return x == 15 && y >= 11 && y <= 20; }, Ink, Paper));
    gfxtest::fillScreen(Paper);
    drawLine(nullptr, 1, 0, 3, 0, Ink, Line, 0xFFFF, BothRelative);  // from (16,20) to (19,20)
    EXPECT_TRUE(
        screenMatches([](auto x, auto y) { return y == 20 && x >= 16 && x <= 19; }, Ink, Paper));
    EXPECT_EQ(drawTarget().penPosition.x, 19.0f);
}

TEST_F(LineTest, NestedInsideFrameLockTakesNoDriverLock) {
    lockScreen();
    line(1, 1, 50, 9);
    line(1, 1, 50, 9, Box);
    EXPECT_EQ(currentScreen()->lockCount, 1);
    unlockScreen(1, 0);
    EXPECT_EQ(countInLog("Rec:lock"), 1);
    EXPECT_EQ(countInLog("Rec:unlock"), 1);
    EXPECT_EQ(dirtyRowRanges(), "1-9");
}

TEST_F(LineTest, ImageTargetIsClippedToTheImage) {
    constexpr std::int32_t pitch = 16;
    AlignedBlock block(32 + pitch * 4 + 64);
    std::memset(block.get(), 0x5A, 32 + pitch * 4 + 64);
    auto* image = reinterpret_cast<ImageBuffer*>(block.get());
    *image = ImageBuffer{ImageType, 1, 5, 4, pitch, {0, 0, 0}};
    drawLine(image, -3, -3, 100, 100, 0x12345677u, FilledBox, 0xFFFF, 0);
    drawLine(image, -30, 2, 300, 2, 0x12345677u, Line, 0xFFFF, 0);
    drawLine(image, 4, -30, 4, 300, 0x12345677u, Line, 0xFFFF, 0);
    for (std::int32_t i = 0; i < pitch * 4 + 64; ++i) {
        const bool inside = i < pitch * 4 && i % pitch < 5;
        ASSERT_EQ(block.get()[32 + i], inside ? 0x77 : 0x5A) << i;
    }
    EXPECT_EQ(dirtyRowRanges(), "");
    EXPECT_TRUE(screenMatches(among({}), Ink, Paper));
    // The screen is the target again afterwards, with its own clip rectangle.
    line(-1, 599, 2000, 599);
    EXPECT_TRUE(screenMatches([](auto, auto y) { return y == 599; }, Ink, Paper));
}

TEST_F(LineTest, SixteenBitScreenGetsLowHalfOfColour) {
    ASSERT_EQ(openScreen(20, 10, 16, 0, 0, 0), 0);
    drawLine(nullptr, -5, 3, 25, 3, 0xABCD1234u, Line, 0xFFFF, 0);
    drawLine(nullptr, 2, -5, 2, 25, 0xABCD1234u, Line, 0xFFFF, 0);
    const Screen& screen = *currentScreen();
    for (std::int32_t y = 0; y < 10; ++y) {
        for (std::int32_t x = 0; x < 20; ++x) {
            std::uint16_t pixel = 0;
            std::memcpy(&pixel, screen.pages[0] + y * screen.pitch + 2 * x, 2);
            ASSERT_EQ(pixel, (y == 3 || x == 2) ? 0x1234 : 0) << x << "," << y;
        }
    }
}

TEST(LineWithoutScreen, DoesNothing) {
    closeScreen();
    drawLine(nullptr, 0, 0, 10, 10, Ink, Line, 0xFFFF, 0);
    EXPECT_EQ(currentScreen(), nullptr);
}

}  // namespace
