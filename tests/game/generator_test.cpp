#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/generator.hpp"
#include "runtime/random.hpp"
#include "tests/game/deal_rules.hpp"
#include "tests/game/word_test_support.hpp"

namespace {

using game::DealResult;

// A puzzle as the grid view leaves it: something found, a click pending.
game::Puzzle playedPuzzle() {
    game::Puzzle puzzle;
    puzzle.selection = game::Selection{3, 4};
    puzzle.words[0].found = 1;
    puzzle.grid[2][2] = game::GridCell{"Q", 1, game::HighlightGreen};
    return puzzle;
}

TEST(GeneratePuzzle, DealsTenListedEntriesOnceEachOrRefusesWhenTooFewOrNoRoom) {
    const std::vector<std::string> many = {
        "APFEL", "BIRNE",  "KIRSCHE",    "HUND",  "KATZE", "MAUS",       "PFERD",
        "HAUS",  "GARTEN", "SCHLUESSEL", "SONNE", "MOND",  "REGENBOGEN", "ZUG",
        "BAUM",  "BLUME",  "WINTER",     "OHR",   "HERZ",  "FUSSBALL",   "LAST"};
    const std::vector<std::string> eleven(many.begin(), many.begin() + 11);
    // Ten entries, the last never drawn.
    const std::vector<std::string> nine(many.begin(), many.begin() + 10);
    std::vector<std::string> overlong = many;
    overlong.insert(overlong.begin() + 3, std::string(21, 'Y'));
    overlong.insert(overlong.begin() + 8, std::string(400, 'Y'));
    // Full-length words start at the grid's edge. Equal letters never collide,
    // so ten Z words always fit. Once an A word runs down a column, every row
    // and column holds an A: no room for a B word.
    const std::string z(20, 'Z'), a(20, 'A'), b(20, 'B');
    // The list, its drawable slots, the seeds to deal with, whether some of
    // them find no room.
    const std::tuple<const char*, std::vector<std::string>, std::int32_t, int, bool> cases[] = {
        {"twenty with overlong ones", overlong, 20, 3000, false},
        {"exactly ten", eleven, 10, 300, false},
        {"nine", nine, 9, 20, false},
        {"missing file", {}, 0, 20, false},
        {"full-length Z words", {z, z, z, z, z, z, z, z, z, z, "LAST"}, 10, 300, false},
        {"full-length A and B words", {a, a, b, b, b, b, b, b, b, b, "LAST"}, 10, 300, true}};
    for (const auto& [name, words, usable, seeds, someFindNoRoom] : cases) {
        const game::WordList list = wordtest::listOf(words);
        ASSERT_EQ(game::countUsableSlots(list), usable) << name;
        int dealt = 0, noRoom = 0, across = 0;
        for (int seed = 0; seed < seeds; ++seed) {
            runtime::seedRandom(seed, 0);
            game::Puzzle puzzle = playedPuzzle();
            const DealResult result = game::generatePuzzle(list, puzzle);
            dealt += result == DealResult::Dealt ? 1 : 0;
            noRoom += result == DealResult::NoRoom ? 1 : 0;
            EXPECT_EQ(result == DealResult::TooFewWords, usable < 10);
            EXPECT_EQ(dealrules::dealFault(list, puzzle, result), "");
            for (const auto& word : puzzle.words) across += word.first.a == word.last.a ? 1 : 0;
            if (HasFailure()) FAIL() << name << ", seed " << seed;
        }
        EXPECT_EQ(std::pair(dealt > 0, noRoom > 0), std::pair(usable >= 10, someFindNoRoom))
            << name;
        // Words go both ways, except where the A words leave room for one.
        EXPECT_TRUE(someFindNoRoom || dealt == 0 || (across > 0 && across < dealt * 10)) << name;
    }
    // The line of the other refusal, with its count, is checked through the game's stderr.
    EXPECT_EQ(game::describeRefusal(DealResult::NoRoom, 12, "woerter.txt"),
              "lettermoor: no puzzle dealt: woerter.txt has words that do not fit together in "
              "the 20x20 grid");
}

}  // namespace
