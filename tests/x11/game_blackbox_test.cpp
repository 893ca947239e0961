// The real lettermoor binary on a private X server, played from outside:
// its window is read pixel by pixel and driven with synthetic input.
#include <gtest/gtest.h>

#include "tests/x11/game_session.hpp"

namespace {

using namespace lettermoor::testing;
using GameBlackBox = GameSession;

TEST_F(GameBlackBox, PressAndReleaseWithinTwoMillisecondsStillSelectsTheCell) {
    startGame();
    const Cell cell{7, 11};
    Frame frame;
    for (int holdMicroseconds : {0, 1500}) {
        window().click(cellCentre(cell.column), cellCentre(cell.row), holdMicroseconds);
        // Clicking the pending cell again keeps it pending: both rounds end green.
        EXPECT_TRUE(
            player().waitForFrame([&](const Frame& f) { return cellIsGreen(f, cell); }, frame))
            << "hold " << holdMicroseconds << " us";
    }
    // A click elsewhere drops the pending cell again: the click was taken as
    // a selection, not merely drawn.
    window().click(cellCentre(0), cellCentre(19));
    EXPECT_TRUE(
        player().waitForFrame([&](const Frame& f) { return !cellIsGreen(f, cell); }, frame));
}

TEST_F(GameBlackBox, EachDealtWordLiesOnceAndSolvingThemAllShowsTheWinPicture) {
    startGame();
    Frame frame;
    LetterRows rows;
    ASSERT_TRUE(player().readGrid(frame, rows));
    ASSERT_EQ(frame.width, 1000);
    ASSERT_EQ(frame.height, 600);
    for (const WordEntry& entry : testWords()) {
        EXPECT_EQ(findWord(rows, entry.word).size(), 1u) << entry.word;
    }
    for (int hint = 0; hint < HintCount; ++hint) EXPECT_FALSE(hintIsStruck(frame, hint)) << hint;
    // Solving needs every hint label to show one of the ten drawable entries.
    ASSERT_TRUE(player().solve(testWords()));
    ASSERT_TRUE(player().waitForFrame([](const Frame& f) { return f.at(5, 5) == WinColor; }, frame))
        << "no win picture after the tenth word";
    EXPECT_EQ(frame.at(599, 599), WinColor);
    EXPECT_EQ(frame.at(100, 450), WinColor);
    // Through the picture's magenta hole the grid stays visible.
    const std::uint32_t throughHole = frame.at(WinHoleStart + 3, WinHoleStart + 3);
    EXPECT_TRUE(throughHole == WhitePixel || throughHole == GreenPixel || throughHole == BlackPixel)
        << std::hex << throughHole;
    EXPECT_EQ(frame.at(WinHoleStart, WinHoleStart + 1), BlackPixel) << "a cell line at x = 240";
    // The hints beside the grid are not covered.
    EXPECT_EQ(frame.at(990, 300), WhitePixel);
    for (int hint = 0; hint < HintCount; ++hint) EXPECT_TRUE(hintIsStruck(frame, hint)) << hint;
}

}  // namespace
