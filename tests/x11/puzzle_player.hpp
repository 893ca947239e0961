#pragma once
// The system-test harness, part three: the game's screen read as a player
// reads it (glyphs against the built-in font, cell colours, strike lines),
// words clicked from outside, and the files the game starts with.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/x11/game_window.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace lettermoor::testing {

inline constexpr int GridCells = 20;
inline constexpr int CellPixels = 30;
inline constexpr int HintCount = 10;

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
std::vector<WordPlace> findWord(const LetterRows& rows, std::string_view word);
// Every cell has its outline and a white or green fill (the window starts black).
bool gridDrawn(const Frame& frame);
int cellCentre(int index);
// The fill in the cell's top-left corner, where no glyph reaches.
bool cellIsGreen(const Frame& frame, Cell cell);
// How many hint labels are struck through.
int struckHints(const Frame& frame);

class PuzzlePlayer {
  public:
    explicit PuzzlePlayer(const GameWindow& window, int waitMs = 15000)
        : window_(window), waitMs_(waitMs) {}

    // Captures until predicate(frame) holds; false after the wait.
    template <typename Predicate>
    bool waitForFrame(Predicate predicate, Frame& frame) const {
        return waitFor([&] { return window_.capture(frame) && predicate(frame); }, waitMs_);
    }
    // A frame whose grid letters can all be read.
    bool readGrid(Frame& frame, LetterRows& rows) const;
    // Clicks the word's ends in frames of their own, the last end first when
    // asked and it lies outside found words; true once one more hint is struck.
    bool clickWord(const WordPlace& place, bool lastEndFirst) const;
    // Clicks the words it finds, those with an end outside found words first
    // and every other one last end first; true once `hints` hints (all ten
    // unless told) are struck.
    bool solve(const std::vector<std::string>& words, int hints = HintCount) const;

  private:
    const GameWindow& window_;
    int waitMs_;
};

// Into a run folder: "woerter.txt" stored from a title line, a hint prefix
// and the entries; a 600x600 "win.bmp" in one colour with a transparent
// magenta square hole from holeStart to holeEnd (inclusive) on both axes.
bool writeWordFile(const std::string& folder, const std::string& prefix,
                   const std::vector<std::string>& entries);
bool writeWinPicture(const std::string& folder, std::uint32_t color, int holeStart, int holeEnd);

}  // namespace lettermoor::testing
