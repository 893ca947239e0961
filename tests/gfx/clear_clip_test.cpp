#include <algorithm>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "gfx/draw_target.hpp"
#include "gfx/screen.hpp"

namespace {

using namespace gfx;

class ClearWithClip : public ::testing::Test {
  protected:
    void SetUp() override {
        presetDriverName("null");
        ASSERT_EQ(openScreen(40, 30, 32, 0, 0, 0), 0);
    }
    void TearDown() override {
        closeScreen();
        presetDriverName(nullptr);
    }
    static std::uint32_t pixel(std::int32_t x, std::int32_t y) {
        std::uint32_t value = 0;
        std::memcpy(&value, currentScreen()->pages[0] + y * 160 + x * 4, 4);
        return value;
    }
};

// A clip rectangle reaching past the screen clears only the screen's part of
// it and never the memory around the page.
TEST_F(ClearWithClip, ClipRectanglePastTheScreenClearsOnlyTheScreensPart) {
    Screen& screen = *activeScreen();
    std::memset(screen.pages[0], 0x7F, static_cast<std::size_t>(screen.pitch) * screen.height);
    std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), 0);
    drawTarget().clipRect = ClipRect{30, -10, 500, 25};
    clearScreen(ClearClip);
    for (std::int32_t y = 0; y < 30; ++y) {
        for (std::int32_t x = 0; x < 40; ++x) {
            const bool cleared = x >= 30 && y < 15;
            ASSERT_EQ(pixel(x, y), cleared ? 0xFF000000u : 0x7F7F7F7Fu) << x << "," << y;
        }
        EXPECT_EQ(screen.dirtyRows[static_cast<std::size_t>(y)], y < 15 ? 1 : 0) << y;
    }
    drawTarget().clipRect = ClipRect{-100, -100, 1000, 1000};
    clearScreen(ClearClip);
    EXPECT_EQ(pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(pixel(39, 29), 0xFF000000u);
}

}  // namespace
