// Arbitrary bytes as "woerter.txt": the loader must give two parallel lists
// of whole lines, and every deal from them must either follow the puzzle's
// rules or be a clean refusal, never a hang.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.hpp"
#include "game/generator.hpp"
#include "game/word_codec.hpp"
#include "game/word_file.hpp"
#include "runtime/random.hpp"

namespace {

// No byte of a loaded text was stored as a line end in the file.
bool wasWithinOneLine(const std::string& text) {
    for (const char c : text) {
        const std::uint8_t stored = game::scrambleByte(static_cast<std::uint8_t>(c));
        if (stored == '\n' || stored == '\r') return false;
    }
    return true;
}

void checkList(const game::WordList& list, const std::string& prefix) {
    FUZZ_REQUIRE(list.words.size() == list.hints.size());
    FUZZ_REQUIRE(list.words.size() >= 3 && list.words.size() % 2 == 1);
    FUZZ_REQUIRE(wasWithinOneLine(prefix));
    for (std::size_t s = 0; s < list.words.size(); ++s) {
        if (s % 2 == 0 && s > 0) {
            FUZZ_REQUIRE(list.words[s].find(';') == std::string::npos);
            FUZZ_REQUIRE(wasWithinOneLine(list.words[s]) && wasWithinOneLine(list.hints[s]));
        } else {
            FUZZ_REQUIRE(list.words[s].empty() && list.hints[s].empty());
        }
    }
}

bool isListEntry(const game::WordList& list, const game::PuzzleWord& word) {
    for (std::size_t s = 2; s < list.words.size(); s += 2) {
        if (list.words[s] == word.word && list.hints[s] == word.hint) return true;
    }
    return false;
}

void checkPlacement(const game::Puzzle& puzzle, const game::PuzzleWord& word) {
    const auto length = static_cast<std::int32_t>(word.word.size());
    FUZZ_REQUIRE(length >= 1 && length <= game::MaxWordLength);
    FUZZ_REQUIRE(word.found == 0);
    const bool alongRow = word.first.a == word.last.a && word.last.b == word.first.b + length - 1;
    const bool downColumn = word.first.b == word.last.b && word.last.a == word.first.a + length - 1;
    FUZZ_REQUIRE(alongRow || downColumn);
    FUZZ_REQUIRE(word.first.a >= 0 && word.first.b >= 0);
    FUZZ_REQUIRE(word.last.a < game::GridSize && word.last.b < game::GridSize);
    for (std::int32_t k = 0; k < length; ++k) {
        const std::int32_t row = word.first.a + (alongRow ? 0 : k);
        const std::int32_t column = word.first.b + (alongRow ? k : 0);
        const std::string& letter =
            puzzle.grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].letter;
        FUZZ_REQUIRE(letter.size() == 1 && letter[0] == word.word[static_cast<std::size_t>(k)]);
    }
}

void checkDeal(const game::WordList& list, const game::Puzzle& puzzle, game::DealResult result) {
    const std::int32_t usable = game::countUsableSlots(list);
    FUZZ_REQUIRE((result == game::DealResult::TooFewWords) == (usable < game::PuzzleWordCount));
    FUZZ_REQUIRE(puzzle.selection == (game::Selection{-1, -1}));
    for (const auto& row : puzzle.grid) {
        for (const auto& cell : row) {
            FUZZ_REQUIRE(cell.letter.size() == 1);
            FUZZ_REQUIRE(cell.highlight == 0 && cell.inFoundWord == 0);
            if (result != game::DealResult::Dealt) {
                FUZZ_REQUIRE(cell.letter[0] >= 'A' && cell.letter[0] <= 'X');
            }
        }
    }
    for (const game::PuzzleWord& word : puzzle.words) {
        if (result != game::DealResult::Dealt) {
            FUZZ_REQUIRE(word.word.empty() && word.hint.empty() && word.found == 0);
            continue;
        }
        FUZZ_REQUIRE(isListEntry(list, word));
        checkPlacement(puzzle, word);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    game::WordList list;
    std::string prefix;
    game::loadWordText(bytes, list, prefix);
    checkList(list, prefix);

    game::Puzzle puzzle;
    for (const double seed : {1.0, 2.5, 1234.0}) {
        runtime::seedRandom(seed, 0);
        checkDeal(list, puzzle, game::generatePuzzle(list, puzzle));
    }

    // The words tool reads the same bytes.
    static_cast<void>(game::checkWordText(bytes));
    static_cast<void>(game::decodeWordText(bytes));
    return 0;
}
