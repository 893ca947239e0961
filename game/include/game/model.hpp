#pragma once
// The game model shared by the word file, the generator, the grid view and
// the main program. Texts are code page 437 byte strings.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/word_file_slots.hpp"

namespace game {

inline constexpr int GridSize = 20;
inline constexpr int PuzzleWordCount = 10;
inline constexpr int MaxWordLength = 20;

// Both lists always have the same highest slot; entry k of the file is slot 2k.
// A loaded list shares the file's bytes between its words and hints.
struct WordList {
    SlotTexts words;
    SlotTexts hints;
};

// (row, column) in PuzzleWord::first and last; Selection stores (column, row).
struct CellPair {
    std::int32_t a = -1;
    std::int32_t b = -1;
    friend bool operator==(const CellPair&, const CellPair&) = default;
};

struct PuzzleWord {
    std::string word;
    std::string hint;
    std::int32_t found = 0;
    CellPair first;  // (row, column) of the first letter
    CellPair last;   // (row, column) of the last letter
};

struct GridCell {
    std::string letter;  // at most one byte
    std::int32_t inFoundWord = 0;
    std::int32_t highlight = 0;  // 2: green fill
};

inline constexpr std::int32_t HighlightGreen = 2;

using LetterGrid = std::array<std::array<GridCell, GridSize>, GridSize>;
using PuzzleWords = std::array<PuzzleWord, PuzzleWordCount>;

// The pending first click as (column, row); (-1, -1) when none.
using Selection = CellPair;

struct Puzzle {
    PuzzleWords words;
    LetterGrid grid;
    Selection selection;
};

}  // namespace game
