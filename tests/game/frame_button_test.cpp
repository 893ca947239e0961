#include <string>

#include "game_fixture.hpp"

namespace {

using testing_support::GameTest;

std::string gridLetters(const game::Puzzle& puzzle) {
    std::string letters;
    for (const auto& row : puzzle.grid)
        for (const auto& cell : row) letters += cell.letter;
    return letters;
}

std::string labelText(const widgets::WidgetPanel& panel, int id) {
    for (const auto* l = panel.labels.get(); l != nullptr; l = l->next.get())
        if (l->id == id) return l->text;
    return "<none>";
}

class FrameButton : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        auto words = testing_support::elevenWords();
        // More entries than a puzzle needs, so every deal draws its own set.
        for (int i = 0; i < 30; ++i)
            words.push_back({"WORT" + std::string(1, static_cast<char>('A' + i % 26)) +
                                 std::string(1, static_cast<char>('A' + i / 26)),
                             "Hinweis " + std::to_string(i)});
        testing_support::writeWordFile(folder() / "woerter.txt", "Tipp:", words);
        start();
    }
};

TEST_F(FrameButton, StartUpLabelsCarryPrefixSpaceAndHint) {
    for (int i = 0; i < game::PuzzleWordCount; ++i) {
        EXPECT_EQ(labelText(game().panel, i + 1),
                  "Tipp: " + game().puzzle.words[static_cast<std::size_t>(i)].hint);
    }
    EXPECT_EQ(game().panel.buttons->caption, "Neues R\x84tsel");
    EXPECT_EQ(game().panel.buttons->next, nullptr);
}

TEST_F(FrameButton, PressDealsRelabelsAndUnstrikes) {
    findWord(0);
    ASSERT_TRUE(labelStruck(0));
    const std::string before = gridLetters(game().puzzle);
    click(800, 555);
    EXPECT_NE(gridLetters(game().puzzle), before);
    EXPECT_FALSE(labelStruck(0));
    EXPECT_EQ(game().puzzle.words[0].found, 0);
    EXPECT_EQ(game().buttonHit, 0);
    for (int i = 0; i < game::PuzzleWordCount; ++i) {
        EXPECT_EQ(labelText(game().panel, i + 1),
                  "Tipp: " + game().puzzle.words[static_cast<std::size_t>(i)].hint);
    }
    EXPECT_FALSE(cellGreen(game().puzzle.words[0].first));
}

TEST_F(FrameButton, EdgeLinesOfTheButtonFrameDoNothing) {
    findWord(0);
    const std::string before = gridLetters(game().puzzle);
    click(750, 555);
    click(800, 550);
    EXPECT_EQ(gridLetters(game().puzzle), before);
    EXPECT_TRUE(labelStruck(0));
    click(850, 560);  // right and bottom edge lines count
    EXPECT_NE(gridLetters(game().puzzle), before);
}

TEST_F(FrameButton, HoldingTheButtonDealsEveryFrame) {
    std::string previous = gridLetters(game().puzzle);
    for (int frame = 0; frame < 3; ++frame) {
        frameAt(800, 555, true);
        const std::string now = gridLetters(game().puzzle);
        EXPECT_NE(now, previous) << frame;
        previous = now;
    }
    frameReleased();
    EXPECT_EQ(gridLetters(game().puzzle), previous);
}

TEST_F(FrameButton, PendingCellIsDroppedByANewDeal) {
    clickCell(game().puzzle.words[0].first);
    click(800, 555);
    EXPECT_EQ(game().puzzle.selection, (game::CellPair{-1, -1}));
}

}  // namespace
