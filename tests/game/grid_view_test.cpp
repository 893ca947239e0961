#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/grid_view.hpp"

namespace {

using game::CellPair;

// Filler with word 0 "ROW" along row 2 (columns 3-5), word 1 "COL" down
// column 7 (rows 10-12), word 2 a one-letter word at (15, 15) and word 3 a
// second "ROW" over the ends of word 0.
struct SmallPuzzle {
    game::Puzzle puzzle;
    widgets::WidgetPanel panel;

    SmallPuzzle() {
        for (auto& row : puzzle.grid) {
            for (auto& cell : row) cell.letter = "Q";
        }
        const std::pair<CellPair, CellPair> ends[] = {
            {{2, 3}, {2, 5}}, {{10, 7}, {12, 7}}, {{15, 15}, {15, 15}}, {{2, 3}, {2, 5}}};
        for (int i = 0; i < game::PuzzleWordCount; ++i) {
            auto& w = puzzle.words[static_cast<std::size_t>(i)];
            w.word = "WORD";
            std::tie(w.first, w.last) =
                i < 4 ? ends[i] : std::pair{CellPair{-5, -5}, CellPair{-5, -5}};
            widgets::addLabel(panel, 0, 0, 40, 0, "h");
        }
    }
    void click(const CellPair& rc) {
        game::clickGrid(puzzle, panel, 30 * rc.b + 7, 30 * rc.a + 22);
    }
    // Per word: 'f' found with its label struck, '-' neither, '?' on a
    // mismatch; then how many cells are green and how many in a found word.
    std::string state() const {
        std::string out;
        const widgets::TextLabel* label = panel.labels.get();
        for (const auto& w : puzzle.words) {
            out += w.found == label->struck ? (w.found == 1 ? 'f' : '-') : '?';
            label = label->next.get();
        }
        int green = 0, inFound = 0;
        for (const auto& row : puzzle.grid) {
            for (const auto& cell : row) {
                green += cell.highlight != 0, inFound += cell.inFoundWord != 0;
            }
        }
        return out + " " + std::to_string(green) + "/" + std::to_string(inFound);
    }
};

TEST(ClickGrid, PixelsMapToCellsAndRightOfOrBelowTheGridIsIgnored) {
    // x, y and the pending cell, column first: pixel 29 is still column 0,
    // pixel 30 already row 1.
    const int clicks[][4] = {
        {600, 10, -1, -1}, {10, 600, -1, -1}, {-1, 10, -1, -1}, {599, 0, 19, 0}, {29, 30, 0, 1}};
    for (const auto& [x, y, column, row] : clicks) {
        SmallPuzzle s;
        game::clickGrid(s.puzzle, s.panel, x, y);
        EXPECT_EQ(s.puzzle.selection, (CellPair{column, row})) << x << "," << y;
    }
}

TEST(ClickGrid, OnlyBothEndsOfAnUnfoundWordFindItAndStrikeItsLabel) {
    // What, the cells clicked, the state after them, the pending cell.
    const std::tuple<const char*, std::vector<CellPair>, const char*, CellPair> cases[] = {
        {"last end first; one twin", {{2, 5}, {2, 3}}, "f--------- 3/3", {-1, -1}},
        {"column word", {{10, 7}, {12, 7}}, "-f-------- 3/3", {-1, -1}},
        {"inner letter", {{2, 3}, {2, 4}}, "---------- 0/0", {-1, -1}},
        {"no shared line", {{2, 3}, {12, 7}}, "---------- 0/0", {-1, -1}},
        {"one-letter word", {{15, 15}, {15, 15}}, "---------- 1/0", {15, 15}},
        // The twin takes a second pair; found cells stay green when clicked again.
        {"again",
         {{2, 3}, {2, 5}, {2, 5}, {2, 3}, {2, 3}, {2, 5}, {2, 4}, {9, 9}},
         "f--f------ 3/3",
         {-1, -1}},
    };
    for (const auto& [name, clicks, state, selection] : cases) {
        SmallPuzzle s;
        for (const CellPair& rc : clicks) s.click(rc);
        EXPECT_EQ(std::pair(s.state(), s.puzzle.selection),
                  std::pair(std::string(state), selection))
            << name;
    }
}

}  // namespace
