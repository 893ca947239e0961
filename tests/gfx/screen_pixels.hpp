#pragma once
// Whole-screen pixel checks for drawing tests: every pixel of the screen is
// compared, not only the few a shape is meant to touch.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "gfx/screen.hpp"

namespace gfxtest {

inline std::uint32_t screenPixel(std::int32_t x, std::int32_t y) {
    const gfx::Screen& screen = *gfx::activeScreen();
    return reinterpret_cast<const std::uint32_t*>(screen.pages[0] +
                                                  std::ptrdiff_t{y} * screen.pitch)[x];
}

// Writes the pages behind the drawing calls, so it tells the runtime first.
inline void fillScreen(std::uint32_t color) {
    gfx::notePagesWritten();
    gfx::Screen& screen = *gfx::activeScreen();
    std::fill_n(reinterpret_cast<std::uint32_t*>(screen.pages[0]), screen.width * screen.height,
                color);
}

// A screen of the given size on the null back end for each test; afterwards
// no screen and no allocation left to fail.
template <std::int32_t Width = 1000, std::int32_t Height = 600>
class NullScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gfx::presetDriverName("null");
        ASSERT_EQ(gfx::openScreen(Width, Height, 32, 0, 0, 0), 0);
    }
    void TearDown() override {
        gfx::failNextAllocations(0);
        gfx::closeScreen();
        gfx::presetDriverName(nullptr);
    }
};

inline void clearDirtyRows() {
    std::ranges::fill(gfx::activeScreen()->dirtyRows, 0);
}

// Checks that exactly the pixels `inShape` names have `ink` and all others
// `paper`; reports the first mismatch.
inline ::testing::AssertionResult screenMatches(
    const std::function<bool(std::int32_t, std::int32_t)>& inShape, std::uint32_t ink,
    std::uint32_t paper) {
    const gfx::Screen& screen = *gfx::activeScreen();
    for (std::int32_t y = 0; y < screen.height; ++y) {
        for (std::int32_t x = 0; x < screen.width; ++x) {
            if (screenPixel(x, y) != (inShape(x, y) ? ink : paper)) {
                return ::testing::AssertionFailure() << "first wrong pixel at " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

inline std::string dirtyRowRanges() {
    const gfx::Screen& screen = *gfx::activeScreen();
    std::string ranges;
    for (std::size_t row = 0; row < screen.dirtyRows.size(); ++row) {
        if (screen.dirtyRows[row] == 0 || (row > 0 && screen.dirtyRows[row - 1] != 0)) continue;
        std::size_t last = row;
        while (last + 1 < screen.dirtyRows.size() && screen.dirtyRows[last + 1] != 0) ++last;
        ranges += (ranges.empty() ? "" : " ") + std::to_string(row) + "-" + std::to_string(last);
    }
    return ranges;
}

}  // namespace gfxtest
