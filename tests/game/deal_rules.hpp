#pragma once
// What every deal or refusal of the generator promises, whatever the list
// and the seed; the generator tests and the word-file fuzz target hold each
// result to it.

#include <algorithm>
#include <string>

#include "game/generator.hpp"

namespace dealrules {

// How many of the list's entries (slots 2, 4, ...) other than the last, which
// is never dealt, hold the word with its hint.
inline std::size_t timesListed(const game::WordList& list, const game::PuzzleWord& word) {
    std::size_t n = 0;
    for (std::size_t s = 2; s + 1 < list.words.size(); s += 2) {
        n += list.words[s] == word.word && list.hints[s] == word.hint ? 1 : 0;
    }
    return n;
}

// The first broken promise, or "" when there is none.
inline std::string dealFault(const game::WordList& list, const game::Puzzle& puzzle,
                             game::DealResult result) {
    using game::GridSize;
    const bool tooFew = game::countUsableSlots(list) < game::PuzzleWordCount;
    if ((result == game::DealResult::TooFewWords) != tooFew) return "wrong refusal";
    if (puzzle.selection != game::Selection{-1, -1}) return "a pending cell survived";
    bool covered[GridSize][GridSize] = {};
    for (const game::PuzzleWord& word : puzzle.words) {
        if (word.found != 0) return "a word starts found";
        if (result != game::DealResult::Dealt) {
            if (!(word.word + word.hint).empty()) return "a refusal left a word";
            continue;
        }
        const std::size_t listed = timesListed(list, word);
        if (listed == 0) return word.word + " is no dealable entry";
        // No slot is drawn twice, so no entry is dealt more often than it is listed.
        const auto dealt = std::count_if(
            puzzle.words.begin(), puzzle.words.end(), [&](const game::PuzzleWord& other) {
                return other.word == word.word && other.hint == word.hint;
            });
        if (static_cast<std::size_t>(dealt) > listed) return word.word + " is dealt twice";
        const auto length = static_cast<std::int32_t>(word.word.size());
        const bool across = word.first.a == word.last.a;
        const game::CellPair step = across ? game::CellPair{0, 1} : game::CellPair{1, 0};
        // Short words never reach the far edge of their direction; a one-letter
        // word shows no direction, so either edge may be the one it keeps off.
        const std::int32_t end = length == 1 ? std::min(word.last.a, word.last.b)
                                 : across    ? word.last.b
                                             : word.last.a;
        if (length < 1 || length > game::MaxWordLength ||
            word.last != game::CellPair{word.first.a + step.a * (length - 1),
                                        word.first.b + step.b * (length - 1)} ||
            word.first.a < 0 || word.first.b < 0 || word.last.a >= GridSize ||
            end >= GridSize - (length < GridSize ? 1 : 0)) {
            return word.word + " is misplaced";
        }
        for (std::int32_t k = 0, r = word.first.a, c = word.first.b; k < length;
             ++k, r += step.a, c += step.b) {
            if (puzzle.grid[r][c].letter != word.word.substr(k, 1)) {
                return word.word + " is not in the grid";
            }
            covered[r][c] = true;
        }
    }
    for (int r = 0; r < GridSize; ++r) {
        for (int c = 0; c < GridSize; ++c) {
            const game::GridCell& cell = puzzle.grid[r][c];
            if (cell.highlight != 0 || cell.inFoundWord != 0) return "a cell stays marked";
            const bool filler =
                cell.letter.size() == 1 && cell.letter[0] >= 'A' && cell.letter[0] <= 'X';
            if (!covered[r][c] && !filler) return "a filler is no letter A to X";
        }
    }
    return "";
}

}  // namespace dealrules
