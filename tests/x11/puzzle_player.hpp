#pragma once
// Plays the puzzle from outside: reads the window and clicks both ends of words.

#include <string>
#include <vector>

#include "tests/x11/game_window.hpp"
#include "tests/x11/grid_reading.hpp"

namespace lettermoor::testing {

struct WordEntry {
    std::string word;
    std::string label;
};

class PuzzlePlayer {
  public:
    explicit PuzzlePlayer(const GameWindow& window, int waitMs = 2000)
        : window_(window), waitMs_(waitMs) {}

    // Captures until predicate(frame) holds; false after the wait.
    template <typename Predicate>
    bool waitForFrame(Predicate predicate, Frame& frame) const;

    // A frame whose grid letters can all be read.
    bool readGrid(Frame& frame, LetterRows& rows) const;

    // Clicks the word's ends in frames of their own; true once hint `hint` is struck.
    bool clickWord(const WordPlace& place, int hint) const;

    // True once `words` hints (all ten unless told) are struck, in hint order.
    bool solve(const std::vector<WordEntry>& entries, int words = HintCount) const;

  private:
    const GameWindow& window_;
    int waitMs_;
};

}  // namespace lettermoor::testing

#include "tests/x11/puzzle_player_wait.hpp"
