#pragma once
// Deals a puzzle: ten words drawn from the word list, hidden left to right or
// top to bottom in the letter grid, every other cell a random capital A-X.
// Every random number comes from runtime::randomUnit, so a seed fixes the deal.

#include <cstdint>
#include <string>
#include <string_view>

#include "game/model.hpp"

namespace game {

enum class DealResult : std::int32_t {
    Dealt = 0,
    TooFewWords = 1,  // fewer than ten drawable slots in the list
    NoRoom = 2,       // a drawn word fitted nowhere beside the words already placed
};

// Drawable slots: 1 to U-1 (the last entry is never drawn) holding a word of
// 1 to MaxWordLength bytes.
std::int32_t countUsableSlots(const WordList& list);

// Deals a new puzzle into `puzzle`. When it cannot, it refuses: every puzzle
// word is empty and unfound, every cell a filler letter, no selection.
DealResult generatePuzzle(const WordList& list, Puzzle& puzzle);

// The one line `program` reports on a refusal, naming the word file.
std::string describeRefusal(DealResult result, std::int32_t usableWords, std::string_view fileName,
                            std::string_view program = "lettermoor");

}  // namespace game
