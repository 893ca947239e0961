#include "game_fixture.hpp"
#include "gfx/color.hpp"

namespace {

using game::CellPair;
using testing_support::GameTest;

class FrameSelection : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        testing_support::writeWordFile(folder() / "woerter.txt",
                                       "Tipp:", testing_support::elevenWords());
        start();
    }
    const game::PuzzleWord& word(int i) { return game().puzzle.words[static_cast<std::size_t>(i)]; }

    // A cell in neither the row nor the column of `rc`, and no word's end.
    CellPair unrelatedTo(const CellPair& rc) {
        for (int r = 0; r < 20; ++r)
            for (int c = 0; c < 20; ++c) {
                const CellPair cell{r, c};
                if (r == rc.a || c == rc.b) continue;
                bool end = false;
                for (const auto& w : game().puzzle.words)
                    end = end || w.first == cell || w.last == cell;
                if (!end) return cell;
            }
        return {0, 0};
    }
};

TEST_F(FrameSelection, WordFoundFromBothEndsShowsGreenCellsAndStruckLabel) {
    frameReleased();
    EXPECT_FALSE(labelStruck(0));
    findWord(0);
    findWord(1, true);
    for (int i : {0, 1}) {
        EXPECT_EQ(word(i).found, 1);
        EXPECT_TRUE(cellGreen(word(i).first)) << i;
        EXPECT_TRUE(cellGreen(word(i).last)) << i;
        EXPECT_TRUE(labelStruck(i)) << i;
    }
    // The strike of label 1 runs from x 650 to 970 inclusive, on row y + 4.
    EXPECT_EQ(pixel(650, 24), gfx::Black);
    EXPECT_EQ(pixel(970, 24), gfx::Black);
    EXPECT_EQ(pixel(971, 24), gfx::White);
    EXPECT_FALSE(labelStruck(2));
    EXPECT_EQ(word(2).found, 0);
}

TEST_F(FrameSelection, PendingCellStaysGreenUntilAThirdClickElsewhere) {
    const CellPair a = word(0).first;
    clickCell(a);
    EXPECT_TRUE(cellGreen(a));
    clickCell(a);
    EXPECT_TRUE(cellGreen(a));
    EXPECT_EQ(game().puzzle.selection, (CellPair{a.b, a.a}));

    const CellPair b = unrelatedTo(a);
    clickCell(b);
    EXPECT_FALSE(cellGreen(a));
    EXPECT_FALSE(cellGreen(b));
    EXPECT_EQ(game().puzzle.selection, (CellPair{-1, -1}));
}

TEST_F(FrameSelection, HeldFirstClickChangesNothingAfterItsFirstFrame) {
    const CellPair a = word(3).first;
    for (int frame = 0; frame < 4; ++frame) frameAt(cellX(a), cellY(a), true);
    frameReleased();
    EXPECT_TRUE(cellGreen(a));
    clickCell(word(3).last);
    EXPECT_EQ(word(3).found, 1) << "the held press stayed a single first click";
}

TEST_F(FrameSelection, HeldSecondClickBecomesTheNextPendingCell) {
    const CellPair a = word(0).first;
    const CellPair c = unrelatedTo(a);
    clickCell(a);
    for (int frame = 0; frame < 3; ++frame) frameAt(cellX(c), cellY(c), true);
    frameReleased();
    EXPECT_FALSE(cellGreen(a));
    EXPECT_TRUE(cellGreen(c)) << "second frame of the press made it pending";
    EXPECT_EQ(game().puzzle.selection, (CellPair{c.b, c.a}));

    const CellPair d = unrelatedTo(c);
    clickCell(d);
    EXPECT_FALSE(cellGreen(c));
    EXPECT_FALSE(cellGreen(d));
}

TEST_F(FrameSelection, HeldSecondClickOnAWordEndFindsItThenKeepsTheEndPending) {
    clickCell(word(2).first);
    for (int frame = 0; frame < 3; ++frame) frameAt(cellX(word(2).last), cellY(word(2).last), true);
    frameReleased();
    EXPECT_EQ(word(2).found, 1);
    EXPECT_TRUE(labelStruck(2));
    EXPECT_EQ(game().puzzle.selection, (CellPair{word(2).last.b, word(2).last.a}));
}

TEST_F(FrameSelection, DraggingToAnotherCellActsAsSecondThenFirstClick) {
    const CellPair a = word(4).first;
    const CellPair b = word(4).last;
    frameAt(cellX(a), cellY(a), true);
    EXPECT_TRUE(cellGreen(a));
    frameAt(cellX(b), cellY(b), true);  // same press, pointer moved onto the other end
    EXPECT_EQ(word(4).found, 1);
    EXPECT_EQ(game().puzzle.selection, (CellPair{-1, -1}));
    frameAt(cellX(b), cellY(b), true);
    EXPECT_EQ(game().puzzle.selection, (CellPair{b.b, b.a}));
}

TEST_F(FrameSelection, TwoUnfoundWordsOverTheSameEndsNeedTwoPairs) {
    // The same word placed twice over itself: records 5 and 6 share their ends.
    game::PuzzleWord& copy = game().puzzle.words[6];
    copy.first = word(5).first;
    copy.last = word(5).last;
    findWord(5);
    EXPECT_EQ(word(5).found, 1);
    EXPECT_EQ(copy.found, 0);
    EXPECT_TRUE(labelStruck(5));
    EXPECT_FALSE(labelStruck(6));
    findWord(5, true);
    EXPECT_EQ(copy.found, 1);
    EXPECT_TRUE(labelStruck(6));
}

TEST_F(FrameSelection, PointerOutsideTheWindowIsNoClick) {
    mouse().available = false;
    mouse().buttons = 1;
    game::runFrame(game());
    EXPECT_EQ(game().puzzle.selection, (CellPair{-1, -1}));
    EXPECT_EQ(game().buttonHit, 0);
}

}  // namespace
