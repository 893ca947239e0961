// One frame of the game at a time: keys, clicks held over several frames,
// the new-puzzle button, and a whole frame's pixels.
#include <string>
#include <utility>

#include "game/word_codec.hpp"
#include "game_fixture.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"

namespace {

using game::CellPair;
using testing_support::GameTest;

class Frame : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        // More entries than a puzzle needs, so every deal draws its own set.
        auto words = testing_support::elevenWords();
        for (int i = 0; i < 30; ++i) {
            words.push_back({"WORT" + std::string{char('A' + i % 26), char('A' + i / 26)},
                             "Hinweis " + std::to_string(i)});
        }
        writeWords(words);
        start();
    }
};

TEST_F(Frame, StartUpOpensTheTitledScreenAndFramesLockOnceSleepPlainAndEndOnEscOrClose) {
    const gfx::Screen* screen = gfx::activeScreen();
    EXPECT_TRUE(screen->width == 1000 && screen->height == 600 && screen->depth == 32);
    EXPECT_STREQ(gfx::windowTitle(), "Lettermoor");
    static std::pair<std::int32_t, std::int32_t> slept;
    game().sleep = [](std::int32_t ms, std::int32_t kind) { slept = {ms, kind}; };
    frameReleased();
    EXPECT_EQ(screen->lockCount, 0);
    EXPECT_EQ(slept, std::make_pair(15, 1)) << "15 ms, plain";
    // Other keys do not end the loop.
    gfx::postKey('a');
    gfx::postKey(0x48FF);  // Up
    gfx::postKey(27);
    EXPECT_TRUE(frameReleased());
    EXPECT_TRUE(frameReleased());
    EXPECT_FALSE(frameReleased());
    EXPECT_TRUE(frameReleased()) << "the key is consumed";
    gfx::requestClose();
    EXPECT_FALSE(frameReleased());
}

// A held button clicks the cell under the pointer again in every frame: on
// one cell it stays a single first click; dragged onto the other end of the
// word it finds the word, and that end is then pending. On the new-puzzle
// button it deals in every frame; the frame that releases it does not.
TEST_F(Frame, HeldButtonClicksAgainInEveryFrameOnACellOrWordOrTheNewPuzzleButton) {
    for (int frame = 0; frame < 4; ++frame) pressCell(word(3).first);
    frameReleased();
    EXPECT_TRUE(cellGreen(word(3).first));
    clickCell(word(3).last);
    EXPECT_EQ(word(3).found, 1) << "the held press stayed a single first click";
    EXPECT_TRUE(labelStruck(3));
    pressCell(word(4).first);
    EXPECT_TRUE(cellGreen(word(4).first));
    pressCell(word(4).last);  // same press, pointer moved onto the other end
    EXPECT_EQ(word(4).found, 1);
    EXPECT_EQ(game().puzzle.selection, (CellPair{-1, -1}));
    pressCell(word(4).last);
    // The selection holds the pending cell column first.
    EXPECT_EQ(game().puzzle.selection, (CellPair{word(4).last.b, word(4).last.a}));

    frameReleased();
    const CellPair found = word(3).first;
    std::string previous = game::formatDeal(game().puzzle);
    for (int frame = 0; frame < 2; ++frame) {
        frameAt(800, 555, true);
        EXPECT_NE(game::formatDeal(game().puzzle), previous) << frame;
        previous = game::formatDeal(game().puzzle);
    }
    frameReleased();
    EXPECT_EQ(game::formatDeal(game().puzzle), previous);
    // The new deal relabels, unstrikes and drops the pending cell.
    EXPECT_FALSE(labelStruck(3));
    EXPECT_FALSE(cellGreen(found));
    EXPECT_EQ(word(3).found + game().buttonHit, 0);
    EXPECT_EQ(game().puzzle.selection, (CellPair{-1, -1}));
    const auto* label = game().panel.labels.get();
    for (int i = 0; i < game::PuzzleWordCount; ++i, label = label->next.get()) {
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text, "Tipp: " + word(i).hint) << i;
    }
}

// A whole frame for a fixed seed and word list: one word found, one cell
// pending.
TEST_F(GameTest, GoldenFrame) {
    writeWords();
    start(20240611.0);
    findWord(6);
    clickCell(word(2).first);
    std::uint32_t hash = 2166136261u;  // FNV-1a over the bytes
    for (const std::uint32_t pixel : framePixels()) {
        for (int i = 0; i < 4; ++i) hash = (hash ^ ((pixel >> (8 * i)) & 0xFFu)) * 16777619u;
    }
    EXPECT_EQ(hash, 2489171553u);
}

}  // namespace
