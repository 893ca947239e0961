#include <algorithm>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;

// A clip rectangle reaching past the screen once cleared memory around the
// page; it must clear only the screen's part of it.
TEST(ClearWithClip, ClipRectanglePastTheScreenClearsOnlyTheScreensPart) {
    presetDriverName("null");
    ASSERT_EQ(openScreen(40, 30, 32, 0, 0, 0), 0);
    Screen& screen = *activeScreen();
    std::memset(screen.pages[0], 0x7F, static_cast<std::size_t>(screen.pitch) * screen.height);
    gfxtest::clearDirtyRows();
    drawTarget().clipRect = ClipRect{30, -10, 500, 25};
    clearScreen(ClearClip);
    EXPECT_TRUE(gfxtest::screenMatches([](auto x, auto y) { return x >= 30 && y < 15; },
                                       0xFF000000u, 0x7F7F7F7Fu));
    EXPECT_EQ(gfxtest::dirtyRowRanges(), "0-14");
    drawTarget().clipRect = ClipRect{-100, -100, 1000, 1000};
    clearScreen(ClearClip);
    EXPECT_TRUE(gfxtest::screenMatches([](auto, auto) { return true; }, 0xFF000000u, 0));
    closeScreen();
    presetDriverName(nullptr);
}

}  // namespace
