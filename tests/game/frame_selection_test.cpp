#include "game_fixture.hpp"

namespace {

using game::CellPair;

// A held button clicks the cell under the pointer again in every frame.
class FrameSelection : public testing_support::GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        writeWords();
        start();
    }
};

TEST_F(FrameSelection, HeldFirstClickChangesNothingAfterItsFirstFrame) {
    for (int frame = 0; frame < 4; ++frame) pressCell(word(3).first);
    frameReleased();
    EXPECT_TRUE(cellGreen(word(3).first));
    clickCell(word(3).last);
    EXPECT_EQ(word(3).found, 1) << "the held press stayed a single first click";
    EXPECT_TRUE(labelStruck(3));
}

TEST_F(FrameSelection, DraggingToTheOtherEndFindsTheWordThenKeepsThatEndPending) {
    pressCell(word(4).first);
    EXPECT_TRUE(cellGreen(word(4).first));
    pressCell(word(4).last);  // same press, pointer moved onto the other end
    EXPECT_EQ(word(4).found, 1);
    EXPECT_EQ(game().puzzle.selection, (CellPair{-1, -1}));
    pressCell(word(4).last);
    // The selection holds the pending cell column first.
    EXPECT_EQ(game().puzzle.selection, (CellPair{word(4).last.b, word(4).last.a}));
}

}  // namespace
