#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

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

TEST(GeneratePuzzle, DealsTenDistinctEntriesOnlyFromTenOrMoreDrawableSlots) {
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
    // The list, its words, the drawable slots, the seeds to deal with.
    const std::tuple<const char*, std::vector<std::string>, std::int32_t, int> cases[] = {
        {"twenty with overlong ones", overlong, 20, 3000},
        {"exactly ten", eleven, 10, 300},
        {"nine", nine, 9, 20},
        {"missing file", {}, 0, 20}};
    for (const auto& [name, words, usable, seeds] : cases) {
        const game::WordList list = wordtest::listOf(words);
        ASSERT_EQ(game::countUsableSlots(list), usable) << name;
        for (int seed = 0; seed < seeds; ++seed) {
            runtime::seedRandom(seed, 0);
            game::Puzzle puzzle = playedPuzzle();
            const DealResult result = game::generatePuzzle(list, puzzle);
            ASSERT_EQ(result, usable < 10 ? DealResult::TooFewWords : DealResult::Dealt);
            EXPECT_EQ(dealrules::dealFault(list, puzzle, result), "");
            std::set<std::string> dealt;
            for (const auto& word : puzzle.words) dealt.insert(word.word);
            EXPECT_EQ(dealt.size(), result == DealResult::Dealt ? 10u : 1u) << "a slot dealt twice";
            if (HasFailure()) FAIL() << name << ", seed " << seed;
        }
    }
}

TEST(GeneratePuzzle, FullLengthWordsSpanARowOrColumnOrFindNoRoom) {
    // dealFault holds each word inside the grid, so they start at its edge.
    // Equal letters never collide, so ten Z words always fit. Once an A word
    // runs down a column, every row and column holds an A: no room for a B word.
    const std::string z(20, 'Z'), a(20, 'A'), b(20, 'B');
    const std::vector<std::string> lists[] = {{z, z, z, z, z, z, z, z, z, z, "LAST"},
                                              {a, a, b, b, b, b, b, b, b, b, "LAST"}};
    int dealt[2] = {}, noRoom[2] = {}, across[2] = {};
    for (int l = 0; l < 2; ++l) {
        const game::WordList list = wordtest::listOf(lists[l]);
        for (int seed = 0; seed < 300; ++seed) {
            runtime::seedRandom(seed, 0);
            game::Puzzle puzzle = playedPuzzle();
            const DealResult result = game::generatePuzzle(list, puzzle);
            ASSERT_TRUE(result == DealResult::NoRoom || result == DealResult::Dealt);
            (result == DealResult::Dealt ? dealt : noRoom)[l] += 1;
            EXPECT_EQ(dealrules::dealFault(list, puzzle, result), "");
            for (const auto& word : puzzle.words) across[l] += word.first.a == word.last.a ? 1 : 0;
        }
    }
    EXPECT_EQ(noRoom[0], 0);
    EXPECT_TRUE(across[0] > 0 && across[0] < dealt[0] * 10) << "both directions";
    EXPECT_TRUE(noRoom[1] > 0 && dealt[1] > 0);
    // The line of the other refusal, with its count, is checked through the game's stderr.
    EXPECT_EQ(game::describeRefusal(DealResult::NoRoom, 12, "woerter.txt"),
              "lettermoor: no puzzle dealt: woerter.txt has words that do not fit together in "
              "the 20x20 grid");
}

}  // namespace
