// The real lettermoor binary on a private X server, played from outside:
// its window is read pixel by pixel and driven with synthetic input.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

#include "tests/x11/game_session.hpp"

namespace {

using namespace lettermoor::testing;

// scripts/readme-screenshot.sh sets LETTERMOOR_README_SCREENSHOT to a file:
// after two words the 1:1 play-through keeps the window there as a binary
// PPM, then plays on.
bool saveScreenshot(const Frame& frame, const char* path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << frame.width << ' ' << frame.height << "\n255\n";
    for (const std::uint32_t pixel : frame.pixels) {
        const char rgb[3] = {static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 8),
                             static_cast<char>(pixel)};
        out.write(rgb, 3);
    }
    return static_cast<bool>(out);
}

using GameBlackBox = GameSession;

// The player clicks words from either end, alternately where it can.
TEST_F(GameBlackBox, EachDealtWordLiesOnceAndSolvingThemAllShowsTheWinPicture) {
    ASSERT_NO_FATAL_FAILURE(startGame());
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(probe(), window_, &attributes));
    ASSERT_EQ(std::pair(attributes.width, attributes.height), std::pair(1000, 600));
    for (const std::string& word : TestWords) EXPECT_EQ(findWord(rows_, word).size(), 1u) << word;
    EXPECT_EQ(struckHints(frame_), 0);
    const char* screenshot = std::getenv("LETTERMOOR_README_SCREENSHOT");
    if (screenshot != nullptr) {
        ASSERT_TRUE(player_.solve(TestWords, 2));
        ASSERT_TRUE(gameWindow_.capture(frame_));
        ASSERT_TRUE(saveScreenshot(frame_, screenshot));
    }
    ASSERT_TRUE(player_.solve(TestWords));
    ASSERT_TRUE(player_.waitForFrame([](const Frame& f) { return f.at(5, 5) == WinColor; }, frame_))
        << "no win picture after the tenth word";
    // The grid shows through the magenta hole (a cell line at x = 240); the
    // hints beside the picture stay uncovered.
    EXPECT_EQ((std::array{frame_.at(599, 599), frame_.at(WinHoleStart, WinHoleStart + 1),
                          frame_.at(990, 300)}),
              (std::array{WinColor, BlackPixel, WhitePixel}));
    EXPECT_EQ(struckHints(frame_), HintCount);
}

}  // namespace
