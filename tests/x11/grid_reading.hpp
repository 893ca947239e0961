#pragma once
// Reads the game's screen as a player does: glyphs, cell colours, strike lines.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tests/x11/game_window.hpp"

namespace lettermoor::testing {

inline constexpr int GridCells = 20;
inline constexpr int CellPixels = 30;
inline constexpr int HintCount = 10;
inline constexpr int HintColumns = 40;

// Code page 437 bytes, one string per row; '?' where no glyph matched.
using LetterRows = std::array<std::string, GridCells>;

struct Cell {
    int row = 0;
    int column = 0;
};

// Where a word lies: along a row left to right, or down a column.
struct WordPlace {
    Cell first;
    Cell last;
    bool down = false;
    int length = 0;
    Cell at(int k) const {
        return down ? Cell{first.row + k, first.column} : Cell{first.row, first.column + k};
    }
};

LetterRows readLetters(const Frame& frame);
// Whether hint label `index` shows text on its first line.
bool hintShows(const Frame& frame, int index, std::string_view text);

std::vector<WordPlace> findWord(const LetterRows& rows, std::string_view word);

// Every cell has its outline and a white or green fill (the window starts black).
bool gridDrawn(const Frame& frame);

int cellCentre(int index);
// The fill in the cell's top-left corner, where no glyph reaches.
bool cellIsGreen(const Frame& frame, Cell cell);
bool hintIsStruck(const Frame& frame, int index);

}  // namespace lettermoor::testing
