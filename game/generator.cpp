#include "game/generator.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "runtime/random.hpp"

namespace game {
namespace {

// Placement attempts per word before giving up. A word that fits somewhere
// is placed within a few hundred attempts on average, so this bound only
// guards against a grid whose free positions were misjudged.
constexpr std::int32_t kMaxPlacementAttempts = 1'000'000;

std::int32_t drawBelow(std::int32_t bound) {
    return static_cast<std::int32_t>(std::floor(bound * runtime::randomUnit(1.0f)));
}

bool isDrawable(std::string_view word) {
    return !word.empty() && word.size() <= static_cast<std::size_t>(MaxWordLength);
}

// Words and hints are two views of the same lines, with the same slots.
std::int32_t highestSlot(const WordList& list) {
    return static_cast<std::int32_t>(list.words.size()) - 1;
}

void clearGrid(LetterGrid& grid) {
    for (auto& row : grid) row.fill(GridCell{});
}

void fillEmptyCells(LetterGrid& grid) {
    for (auto& row : grid) {
        for (auto& cell : row) {
            if (cell.letter.empty()) cell.letter.assign(1, static_cast<char>('A' + drawBelow(24)));
        }
    }
}

struct Placement {
    std::int32_t direction = 0;  // 0: along a row, 1: down a column
    std::int32_t row = 0;
    std::int32_t column = 0;
};

GridCell& cellOf(LetterGrid& grid, const Placement& at, std::size_t k) {
    const auto offset = static_cast<std::int32_t>(k);
    return at.direction == 0 ? grid[at.row][at.column + offset] : grid[at.row + offset][at.column];
}

bool fits(LetterGrid& grid, const std::string& word, const Placement& at) {
    for (std::size_t k = 0; k < word.size(); ++k) {
        const std::string& letter = cellOf(grid, at, k).letter;
        if (!letter.empty() && letter[0] != word[k]) return false;
    }
    return true;
}

// Whether any position the draw can produce is free for the word.
bool fitsAnywhere(LetterGrid& grid, const std::string& word) {
    const auto starts =
        std::max<std::int32_t>(GridSize - static_cast<std::int32_t>(word.size()), 1);
    for (std::int32_t direction = 0; direction < 2; ++direction) {
        for (std::int32_t across = 0; across < GridSize; ++across) {
            for (std::int32_t along = 0; along < starts; ++along) {
                const Placement at =
                    direction == 0 ? Placement{0, across, along} : Placement{1, along, across};
                if (fits(grid, word, at)) return true;
            }
        }
    }
    return false;
}

Placement drawPlacement(std::int32_t length) {
    Placement at;
    at.direction = drawBelow(2);
    if (at.direction == 0) {
        at.row = drawBelow(GridSize);
        at.column = drawBelow(GridSize - length);
    } else {
        at.row = drawBelow(GridSize - length);
        at.column = drawBelow(GridSize);
    }
    return at;
}

DealResult refuse(DealResult why, Puzzle& puzzle) {
    puzzle.words.fill(PuzzleWord{});
    clearGrid(puzzle.grid);
    fillEmptyCells(puzzle.grid);
    puzzle.selection = Selection{-1, -1};
    return why;
}

}  // namespace

std::int32_t countUsableSlots(const WordList& list) {
    const std::int32_t highest = highestSlot(list);
    std::int32_t usable = 0;
    // Slot 0 counts as already drawn, so it is never dealt whatever it holds.
    for (std::int32_t s = 1; s < highest; ++s) {
        if (isDrawable(list.words[static_cast<std::size_t>(s)])) ++usable;
    }
    return usable;
}

DealResult generatePuzzle(const WordList& list, Puzzle& puzzle) {
    clearGrid(puzzle.grid);
    if (countUsableSlots(list) < PuzzleWordCount) return refuse(DealResult::TooFewWords, puzzle);

    const std::int32_t highest = highestSlot(list);
    // Slots not yet drawn count as 0, which is never drawable anyway.
    std::array<std::int32_t, PuzzleWordCount> drawn{};
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        std::int32_t s = 0;
        do {
            s = drawBelow(highest);
        } while (std::find(drawn.begin(), drawn.end(), s) != drawn.end() ||
                 !isDrawable(list.words[static_cast<std::size_t>(s)]));
        drawn[i] = s;

        PuzzleWord& entry = puzzle.words[i];
        entry.word = list.words[static_cast<std::size_t>(s)];
        entry.hint = list.hints[static_cast<std::size_t>(s)];
        entry.found = 0;
        const auto length = static_cast<std::int32_t>(entry.word.size());
        if (!fitsAnywhere(puzzle.grid, entry.word)) return refuse(DealResult::NoRoom, puzzle);

        Placement at;
        std::int32_t attempts = 0;
        do {
            if (++attempts > kMaxPlacementAttempts) return refuse(DealResult::NoRoom, puzzle);
            at = drawPlacement(length);
        } while (!fits(puzzle.grid, entry.word, at));

        for (std::size_t k = 0; k < entry.word.size(); ++k) {
            cellOf(puzzle.grid, at, k).letter.assign(1, entry.word[k]);
        }
        entry.first = CellPair{at.row, at.column};
        entry.last = at.direction == 0 ? CellPair{at.row, at.column + length - 1}
                                       : CellPair{at.row + length - 1, at.column};
    }
    fillEmptyCells(puzzle.grid);
    puzzle.selection = Selection{-1, -1};
    return DealResult::Dealt;
}

std::string describeRefusal(DealResult result, std::int32_t usableWords, std::string_view fileName,
                            std::string_view program) {
    std::string line(program);
    line += ": no puzzle dealt: ";
    line += fileName;
    if (result == DealResult::NoRoom) {
        line += " has words that do not fit together in the 20x20 grid";
        return line;
    }
    line += " has " + std::to_string(usableWords) +
            (usableWords == 1 ? " usable word" : " usable words") + ", a puzzle needs " +
            std::to_string(PuzzleWordCount) + " (1 to " + std::to_string(MaxWordLength) +
            " bytes each, the last entry of the file is never drawn)";
    return line;
}

}  // namespace game
