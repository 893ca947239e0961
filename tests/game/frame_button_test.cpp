#include <string>

#include "game_fixture.hpp"

namespace {

std::string gridLetters(const game::Puzzle& puzzle) {
    std::string letters;
    for (const auto& row : puzzle.grid) {
        for (const auto& cell : row) letters += cell.letter;
    }
    return letters;
}

class FrameButton : public testing_support::GameTest {
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

TEST_F(FrameButton, PressDealsRelabelsUnstrikesAndDropsThePendingCell) {
    findWord(0);
    ASSERT_TRUE(labelStruck(0));
    const game::CellPair found = word(0).first;
    clickCell(word(1).first);
    const std::string before = gridLetters(game().puzzle);
    click(800, 555);
    EXPECT_NE(gridLetters(game().puzzle), before);
    EXPECT_FALSE(labelStruck(0));
    EXPECT_FALSE(cellGreen(found));
    EXPECT_EQ(word(0).found + game().buttonHit, 0);
    EXPECT_EQ(game().puzzle.selection, (game::CellPair{-1, -1}));
    const auto* label = game().panel.labels.get();
    for (int i = 0; i < game::PuzzleWordCount; ++i, label = label->next.get()) {
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text, "Tipp: " + word(i).hint) << i;
    }
}

TEST_F(FrameButton, HoldingTheButtonDealsEveryFrame) {
    std::string previous = gridLetters(game().puzzle);
    for (int frame = 0; frame < 3; ++frame) {
        frameAt(800, 555, true);
        EXPECT_NE(gridLetters(game().puzzle), previous) << frame;
        previous = gridLetters(game().puzzle);
    }
    frameReleased();
    EXPECT_EQ(gridLetters(game().puzzle), previous);
}

}  // namespace
