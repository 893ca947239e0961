#include <gtest/gtest.h>

#include "game/grid_view.hpp"

namespace {

using game::CellPair;
using game::Puzzle;

// A grid of filler with word 0 "ROW" along row 2 (columns 3-5), word 1 "COL"
// down column 7 (rows 10-12), word 2 a one-letter word at (15, 15).
struct SmallPuzzle {
    Puzzle puzzle;
    widgets::WidgetPanel panel;

    SmallPuzzle() {
        for (auto& row : puzzle.grid)
            for (auto& cell : row) cell.letter = "Q";
        setWord(0, "ROW", {2, 3}, {2, 5});
        setWord(1, "COL", {10, 7}, {12, 7});
        setWord(2, "I", {15, 15}, {15, 15});
        for (int i = 3; i < game::PuzzleWordCount; ++i) setWord(i, "Z", {-5, -5}, {-5, -5});
        for (int i = 0; i < game::PuzzleWordCount; ++i) widgets::addLabel(panel, 0, 0, 40, 0, "h");
    }
    void setWord(int i, const char* text, CellPair first, CellPair last) {
        auto& w = puzzle.words[static_cast<std::size_t>(i)];
        w.word = text;
        w.first = first;
        w.last = last;
    }
    game::GridCell& cell(int row, int column) {
        return puzzle.grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
    void clickCell(int row, int column) {
        game::clickGrid(puzzle, panel, 30 * column + 7, 30 * row + 22);
    }
    int struck(int id) const {
        const widgets::TextLabel* l = panel.labels.get();
        while (l != nullptr && l->id != id) l = l->next.get();
        return l == nullptr ? -1 : l->struck;
    }
};

TEST(SameCell, ComparesBothComponents) {
    EXPECT_EQ(game::sameCell({1, 2}, {1, 2}), 1);
    EXPECT_EQ(game::sameCell({1, 2}, {2, 1}), 0);
    EXPECT_EQ(game::sameCell({-1, -1}, {-1, 0}), 0);
}

TEST(ClickGrid, PixelsMapToCellsAndRightOfTheGridIsIgnored) {
    SmallPuzzle s;
    game::clickGrid(s.puzzle, s.panel, 599, 0);
    EXPECT_EQ(s.puzzle.selection, (CellPair{19, 0}));
    EXPECT_EQ(s.cell(0, 19).highlight, 2);

    SmallPuzzle t;
    game::clickGrid(t.puzzle, t.panel, 600, 10);
    game::clickGrid(t.puzzle, t.panel, 10, 600);
    game::clickGrid(t.puzzle, t.panel, -1, 10);
    EXPECT_EQ(t.puzzle.selection, (CellPair{-1, -1}));

    // Pixel 29 is still column 0, pixel 30 already column 1.
    game::clickGrid(t.puzzle, t.panel, 29, 30);
    EXPECT_EQ(t.puzzle.selection, (CellPair{0, 1}));
}

TEST(ClickGrid, WordIsFoundFromEitherEndAndOnlyItsLabelIsStruck) {
    SmallPuzzle s;
    s.clickCell(2, 5);
    s.clickCell(2, 3);
    EXPECT_EQ(s.puzzle.words[0].found, 1);
    for (int c = 3; c <= 5; ++c) {
        EXPECT_EQ(s.cell(2, c).highlight, 2);
        EXPECT_EQ(s.cell(2, c).inFoundWord, 1);
    }
    EXPECT_EQ(s.cell(2, 6).highlight, 0);
    EXPECT_EQ(s.struck(1), 1);
    EXPECT_EQ(s.struck(2), 0);

    s.clickCell(10, 7);
    s.clickCell(12, 7);
    EXPECT_EQ(s.puzzle.words[1].found, 1);
    for (int r = 10; r <= 12; ++r) EXPECT_EQ(s.cell(r, 7).inFoundWord, 1);
    EXPECT_EQ(s.cell(13, 7).highlight, 0);
    EXPECT_EQ(s.struck(2), 1);
    EXPECT_EQ(s.puzzle.selection, (CellPair{-1, -1}));
}

TEST(ClickGrid, InnerLettersOrOffLinePairsFindNothingAndDropTheSelection) {
    SmallPuzzle s;
    s.clickCell(2, 3);
    s.clickCell(2, 4);  // inner letter of the same row
    EXPECT_EQ(s.puzzle.words[0].found, 0);
    EXPECT_EQ(s.cell(2, 3).highlight, 0);
    EXPECT_EQ(s.cell(2, 4).highlight, 0) << "the second click is never marked";

    s.clickCell(2, 3);
    s.clickCell(12, 7);  // neither row nor column shared
    EXPECT_EQ(s.cell(2, 3).highlight, 0);
    EXPECT_EQ(s.puzzle.selection, (CellPair{-1, -1}));
    EXPECT_EQ(s.struck(1), 0);
}

TEST(ClickGrid, OneLetterWordCanNeverBeFound) {
    SmallPuzzle s;
    s.clickCell(15, 15);
    s.clickCell(15, 15);
    EXPECT_EQ(s.puzzle.words[2].found, 0);
    EXPECT_EQ(s.puzzle.selection, (CellPair{15, 15})) << "still pending";
    EXPECT_EQ(s.cell(15, 15).highlight, 2);
}

TEST(ClickGrid, FoundWordCellsStayGreenWhenClickedAgain) {
    SmallPuzzle s;
    s.clickCell(2, 3);
    s.clickCell(2, 5);
    ASSERT_EQ(s.puzzle.words[0].found, 1);
    s.clickCell(2, 3);
    s.clickCell(2, 5);  // both ends again: found records are skipped
    EXPECT_EQ(s.puzzle.selection, (CellPair{-1, -1}));
    s.clickCell(2, 4);
    s.clickCell(9, 9);
    for (int c = 3; c <= 5; ++c) EXPECT_EQ(s.cell(2, c).highlight, 2) << c;
}

TEST(ClickGrid, TwoWordsOverTheSameEndsAreFoundOneAfterTheOther) {
    SmallPuzzle s;
    s.setWord(4, "ROW", {2, 3}, {2, 5});
    s.clickCell(2, 3);
    s.clickCell(2, 5);
    EXPECT_EQ(s.puzzle.words[0].found, 1);
    EXPECT_EQ(s.puzzle.words[4].found, 0);
    EXPECT_EQ(s.struck(5), 0);
    s.clickCell(2, 5);
    s.clickCell(2, 3);
    EXPECT_EQ(s.puzzle.words[4].found, 1);
    EXPECT_EQ(s.struck(5), 1);
}

}  // namespace
