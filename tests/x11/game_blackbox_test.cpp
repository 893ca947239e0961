// The real lettermoor binary on a private X server, played from outside:
// its window is read pixel by pixel and driven with synthetic input.
#include <gtest/gtest.h>

#include <utility>

#include "tests/x11/game_session.hpp"

namespace {

using namespace lettermoor::testing;
using GameBlackBox = GameSession;

// Every other word is clicked from its last end.
TEST_F(GameBlackBox, EachDealtWordLiesOnceAndSolvingThemAllShowsTheWinPicture) {
    startGame();
    Frame frame;
    LetterRows rows;
    ASSERT_TRUE(player().readGrid(frame, rows));
    ASSERT_EQ(std::pair(frame.width, frame.height), std::pair(1000, 600));
    for (const std::string& word : TestWords) EXPECT_EQ(findWord(rows, word).size(), 1u) << word;
    EXPECT_EQ(struckHints(frame), 0);
    ASSERT_TRUE(player().solve(TestWords));
    ASSERT_TRUE(player().waitForFrame([](const Frame& f) { return f.at(5, 5) == WinColor; }, frame))
        << "no win picture after the tenth word";
    EXPECT_EQ(frame.at(599, 599), WinColor);
    // The grid shows through the magenta hole; the hints beside it stay uncovered.
    EXPECT_EQ(frame.at(WinHoleStart, WinHoleStart + 1), BlackPixel) << "a cell line at x = 240";
    EXPECT_EQ(frame.at(990, 300), WhitePixel);
    EXPECT_EQ(struckHints(frame), HintCount);
}

}  // namespace
