#pragma once
// Plays the puzzle from outside the process: reads the window, clicks the two
// ends of a word and waits until the game has drawn the outcome.

#include <string>
#include <vector>

#include "tests/x11/game_window.hpp"
#include "tests/x11/grid_reading.hpp"

namespace lettermoor::testing {

// A word of the word file and the label text the game shows for it.
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

    // Clicks the word's first and last cell, each in a frame of its own; true
    // once hint label `hint` is struck through.
    bool clickWord(const WordPlace& place, int hint) const;

    // Finds the word of every hint label shown; true once all ten are struck.
    bool solve(const std::vector<WordEntry>& entries) const;

  private:
    const GameWindow& window_;
    int waitMs_;
};

}  // namespace lettermoor::testing

#include "tests/x11/puzzle_player_wait.hpp"
