#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "game/generator.hpp"
#include "game/word_file.hpp"
#include "runtime/random.hpp"
#include "tests/game/word_test_support.hpp"

namespace {

using game::DealResult;
using wordtest::listOf;

std::vector<std::string> manyWords() {
    return {"APFEL", "BIRNE",  "KIRSCHE",    "HUND",  "KATZE", "MAUS",       "PFERD",
            "HAUS",  "GARTEN", "SCHLUESSEL", "SONNE", "MOND",  "REGENBOGEN", "ZUG",
            "BAUM",  "BLUME",  "WINTER",     "OHR",   "HERZ",  "FUSSBALL",   "LAST"};
}

bool isFiller(const std::string& letter) {
    return letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'X';
}

std::string readAt(const game::LetterGrid& grid, const game::PuzzleWord& word) {
    std::string text;
    const bool across = word.first.a == word.last.a;
    const std::int32_t length =
        across ? word.last.b - word.first.b + 1 : word.last.a - word.first.a + 1;
    for (std::int32_t k = 0; k < length; ++k) {
        const auto& cell =
            across ? grid[word.first.a][word.first.b + k] : grid[word.first.a + k][word.first.b];
        text += cell.letter;
    }
    return text;
}

// Everything a dealt puzzle promises, whatever the seed.
void expectSoundDeal(const game::Puzzle& puzzle) {
    std::array<std::array<bool, game::GridSize>, game::GridSize> covered{};
    for (const auto& word : puzzle.words) {
        const auto length = static_cast<std::int32_t>(word.word.size());
        ASSERT_GE(length, 1);
        ASSERT_LE(length, game::MaxWordLength);
        EXPECT_EQ(word.found, 0);
        const bool across = word.first.a == word.last.a;
        if (across) {
            EXPECT_EQ(word.last.b, word.first.b + length - 1);
        } else {
            EXPECT_EQ(word.first.b, word.last.b);
            EXPECT_EQ(word.last.a, word.first.a + length - 1);
        }
        ASSERT_GE(word.first.a, 0);
        ASSERT_GE(word.first.b, 0);
        ASSERT_LT(word.last.a, game::GridSize);
        ASSERT_LT(word.last.b, game::GridSize);
        // Short words never reach the far edge of their direction.
        if (length < game::GridSize) {
            EXPECT_LT(across ? word.last.b : word.last.a, game::GridSize - 1) << word.word;
        } else {
            EXPECT_EQ(across ? word.first.b : word.first.a, 0);
        }
        EXPECT_EQ(readAt(puzzle.grid, word), word.word);
        for (std::int32_t k = 0; k < length; ++k) {
            covered[across ? word.first.a : word.first.a + k]
                   [across ? word.first.b + k : word.first.b] = true;
        }
    }
    for (std::size_t r = 0; r < puzzle.grid.size(); ++r) {
        for (std::size_t c = 0; c < puzzle.grid[r].size(); ++c) {
            const auto& cell = puzzle.grid[r][c];
            EXPECT_EQ(cell.letter.size(), 1u);
            if (!covered[r][c]) {
                EXPECT_TRUE(isFiller(cell.letter)) << r << "," << c;
            }
            EXPECT_EQ(cell.highlight, 0);
            EXPECT_EQ(cell.inFoundWord, 0);
        }
    }
    EXPECT_EQ(puzzle.selection, (game::Selection{-1, -1}));
}

void expectRefusal(const game::Puzzle& puzzle) {
    for (const auto& word : puzzle.words) {
        EXPECT_EQ(word.word, "");
        EXPECT_EQ(word.hint, "");
        EXPECT_EQ(word.found, 0);
    }
    for (const auto& row : puzzle.grid) {
        for (const auto& cell : row) {
            EXPECT_TRUE(isFiller(cell.letter));
            EXPECT_EQ(cell.highlight, 0);
            EXPECT_EQ(cell.inFoundWord, 0);
        }
    }
    EXPECT_EQ(puzzle.selection, (game::Selection{-1, -1}));
}

// A puzzle as the grid view leaves it: something found, a click pending.
game::Puzzle playedPuzzle() {
    game::Puzzle puzzle;
    puzzle.selection = game::Selection{3, 4};
    puzzle.words[0].found = 1;
    puzzle.grid[2][2] = game::GridCell{"Q", 1, game::HighlightGreen};
    return puzzle;
}

TEST(GeneratePuzzle, DealsSoundPuzzlesForManySeeds) {
    const game::WordList list = listOf(manyWords());
    for (int seed = 0; seed < 3000; ++seed) {
        runtime::seedRandom(seed, 0);
        game::Puzzle puzzle = playedPuzzle();
        ASSERT_EQ(game::generatePuzzle(list, puzzle), DealResult::Dealt) << seed;
        expectSoundDeal(puzzle);
        std::set<std::string> words;
        for (const auto& word : puzzle.words) words.insert(word.word);
        EXPECT_EQ(words.size(), 10u) << "a slot was dealt twice, seed " << seed;
        EXPECT_EQ(words.count("LAST"), 0u);
        if (HasFailure()) FAIL() << "seed " << seed;
    }
}

TEST(GeneratePuzzle, TheDefaultWordListDeals) {
    std::ifstream in("../run/woerter.txt", std::ios::binary);
    ASSERT_TRUE(in) << "the run folder is built with the project";
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    game::WordList list;
    std::string prefix;
    game::loadWordText(bytes, list, prefix);
    EXPECT_GE(game::countUsableSlots(list), 120);
    for (int seed = 0; seed < 500; ++seed) {
        runtime::seedRandom(seed, 0);
        game::Puzzle puzzle;
        ASSERT_EQ(game::generatePuzzle(list, puzzle), DealResult::Dealt);
        expectSoundDeal(puzzle);
    }
}

TEST(GeneratePuzzle, TwentyLetterWordsFillAWholeRowOrColumn) {
    // Equal letters never collide, so ten full-length words always fit.
    std::vector<std::string> words(10, std::string(20, 'Z'));
    words.push_back("LAST");
    const game::WordList list = listOf(words);
    bool sawRow = false;
    bool sawColumn = false;
    for (int seed = 0; seed < 200; ++seed) {
        runtime::seedRandom(seed, 0);
        game::Puzzle puzzle;
        ASSERT_EQ(game::generatePuzzle(list, puzzle), DealResult::Dealt);
        expectSoundDeal(puzzle);
        for (const auto& word : puzzle.words) {
            if (word.first.a == word.last.a) {
                sawRow = true;
                EXPECT_EQ(word.first.b, 0);
                EXPECT_EQ(word.last.b, 19);
            } else {
                sawColumn = true;
                EXPECT_EQ(word.first.a, 0);
                EXPECT_EQ(word.last.a, 19);
            }
        }
    }
    EXPECT_TRUE(sawRow);
    EXPECT_TRUE(sawColumn);
}

TEST(GeneratePuzzle, FollowsTheDrawOrderOfTheRandomSequence) {
    // Eleven entries: slots 2, 4, ..., 22; U = 22, so draws are floor(22 r).
    const std::vector<std::string> words = manyWords();
    const std::vector<std::string> eleven(words.begin(), words.begin() + 11);
    const game::WordList list = listOf(eleven);
    for (const double seed : {7.0, 1234.0, 99999.0}) {
        // The first word meets an empty grid: slot draws, then one placement.
        runtime::seedRandom(seed, 0);
        std::int32_t slot = 0;
        do {
            slot = static_cast<std::int32_t>(std::floor(22 * runtime::randomUnit(1.0f)));
        } while (slot == 0 || slot % 2 != 0);
        const std::string& word = eleven[static_cast<std::size_t>(slot / 2 - 1)];
        const auto length = static_cast<std::int32_t>(word.size());
        const bool across = std::floor(2 * runtime::randomUnit(1.0f)) == 0;
        const auto row = static_cast<std::int32_t>(
            std::floor((across ? 20 : 20 - length) * runtime::randomUnit(1.0f)));
        const auto column = static_cast<std::int32_t>(
            std::floor((across ? 20 - length : 20) * runtime::randomUnit(1.0f)));

        runtime::seedRandom(seed, 0);
        game::Puzzle puzzle;
        ASSERT_EQ(game::generatePuzzle(list, puzzle), DealResult::Dealt);
        EXPECT_EQ(puzzle.words[0].word, word);
        EXPECT_EQ(puzzle.words[0].hint, "about " + word);
        EXPECT_EQ(puzzle.words[0].first, (game::CellPair{row, column}));
        // No word here reaches cell (19, 19), so it is the last filler drawn.
        const char lastFiller = static_cast<char>('A' + std::floor(24 * runtime::randomUnit(0.0f)));
        EXPECT_EQ(puzzle.grid[19][19].letter, std::string(1, lastFiller));

        // The same seed deals the same puzzle again.
        runtime::seedRandom(seed, 0);
        game::Puzzle again;
        ASSERT_EQ(game::generatePuzzle(list, again), DealResult::Dealt);
        for (std::size_t i = 0; i < puzzle.words.size(); ++i) {
            EXPECT_EQ(again.words[i].word, puzzle.words[i].word);
            EXPECT_EQ(again.words[i].first, puzzle.words[i].first);
        }
        for (std::size_t r = 0; r < 20; ++r) {
            for (std::size_t c = 0; c < 20; ++c) {
                EXPECT_EQ(again.grid[r][c].letter, puzzle.grid[r][c].letter);
            }
        }
    }
}

TEST(GeneratePuzzle, TheLastEntryIsNeverDealtAndTheOtherTenAlways) {
    const std::vector<std::string> words = manyWords();
    const std::vector<std::string> eleven(words.begin(), words.begin() + 11);
    const game::WordList list = listOf(eleven);
    EXPECT_EQ(game::countUsableSlots(list), 10);
    for (int seed = 0; seed < 300; ++seed) {
        runtime::seedRandom(seed, 0);
        game::Puzzle puzzle;
        ASSERT_EQ(game::generatePuzzle(list, puzzle), DealResult::Dealt);
        std::multiset<std::string> dealt;
        for (const auto& word : puzzle.words) dealt.insert(word.word);
        EXPECT_EQ(dealt, std::multiset<std::string>(eleven.begin(), eleven.end() - 1));
    }
}

TEST(GeneratePuzzle, RefusesWhenTooFewWordsAreDrawable) {
    const std::vector<std::string> words = manyWords();
    std::vector<std::string> nine(words.begin(), words.begin() + 9);
    nine.push_back("LAST");  // never drawable
    std::vector<std::string> withLongWord = nine;
    withLongWord.insert(withLongWord.begin() + 4, std::string(25, 'L'));
    std::vector<std::string> withEmptyWords = nine;
    withEmptyWords.insert(withEmptyWords.begin(), {"", "", ""});

    const game::WordList missingFile = listOf({});
    for (const auto& list :
         {missingFile, listOf(nine), listOf(withLongWord), listOf(withEmptyWords)}) {
        EXPECT_LT(game::countUsableSlots(list), 10);
        for (int seed = 0; seed < 20; ++seed) {
            runtime::seedRandom(seed, 0);
            game::Puzzle puzzle = playedPuzzle();
            EXPECT_EQ(game::generatePuzzle(list, puzzle), DealResult::TooFewWords);
            expectRefusal(puzzle);
        }
    }
}

TEST(GeneratePuzzle, OverlongWordsAreSkippedAmongEnoughOthers) {
    std::vector<std::string> words = manyWords();
    words.insert(words.begin() + 3, std::string(21, 'Y'));
    words.insert(words.begin() + 8, std::string(400, 'Y'));
    const game::WordList list = listOf(words);
    EXPECT_EQ(game::countUsableSlots(list), 20);
    for (int seed = 0; seed < 500; ++seed) {
        runtime::seedRandom(seed, 0);
        game::Puzzle puzzle;
        ASSERT_EQ(game::generatePuzzle(list, puzzle), DealResult::Dealt);
        expectSoundDeal(puzzle);
    }
}

TEST(GeneratePuzzle, RefusesWhenAWordFitsNowhere) {
    // Once any full-length A word runs down a column, every row and column
    // holds an A, so a full-length B word has no place left.
    std::vector<std::string> words{std::string(20, 'A'), std::string(20, 'A')};
    for (int i = 0; i < 8; ++i) words.push_back(std::string(20, 'B'));
    words.push_back("LAST");
    const game::WordList list = listOf(words);
    int refused = 0;
    for (int seed = 0; seed < 300; ++seed) {
        runtime::seedRandom(seed, 0);
        game::Puzzle puzzle = playedPuzzle();
        const DealResult result = game::generatePuzzle(list, puzzle);
        if (result == DealResult::NoRoom) {
            ++refused;
            expectRefusal(puzzle);
        } else {
            ASSERT_EQ(result, DealResult::Dealt);
            expectSoundDeal(puzzle);
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(CountUsableSlots, CountsDrawableSlotsBelowTheHighest) {
    game::WordList list;
    list.words = {"SLOTZERO",           "",   "A", "", "", "", std::string(20, 'T'),
                  std::string(21, 'T'), "END"};
    list.hints.assign(list.words.size(), "");
    // Slot 0 counts as drawn, slot 8 is the highest: only 2 and 6 remain.
    EXPECT_EQ(game::countUsableSlots(list), 2);
    EXPECT_EQ(game::countUsableSlots(game::WordList{}), 0);
}

TEST(DescribeRefusal, NamesTheFileAndTheCount) {
    const std::string line = game::describeRefusal(DealResult::TooFewWords, 7, "woerter.txt");
    EXPECT_NE(line.find("woerter.txt"), std::string::npos);
    EXPECT_NE(line.find("has 7 usable words"), std::string::npos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(game::describeRefusal(DealResult::NoRoom, 12, "woerter.txt").find("woerter.txt"),
              std::string::npos);
}

}  // namespace
