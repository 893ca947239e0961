#include <fstream>
#include <vector>

#include "bmp_writer.hpp"
#include "game_fixture.hpp"

namespace {

using testing_support::GameTest;

constexpr std::uint32_t PictureRed = 0xFFC81E28u;
constexpr std::uint32_t Magenta = 0xFFFF00FFu;

class WinPictureFrames : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        testing_support::writeWordFile(folder() / "woerter.txt",
                                       "Tipp:", testing_support::elevenWords());
    }

    // A 300x200 picture: opaque red left of x = 150, magenta (see-through) right of it.
    void writeHalfMagentaPicture() {
        std::vector<std::uint32_t> pixels(300 * 200);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) pixels[y * 300 + x] = x < 150 ? PictureRed : Magenta;
        ASSERT_TRUE(
            testing_support::writeBmp((folder() / "win.bmp").string(), 300, 200, pixels, 24));
    }

    // Finds nine words, then presses on the tenth word's last cell for one frame
    // and returns the frame drawn in that press.
    std::vector<std::uint32_t> solveUpToTheTenthPress() {
        for (int i = 0; i < 9; ++i) findWord(i);
        const game::PuzzleWord& last = game().puzzle.words[9];
        clickCell(last.first);
        frameAt(cellX(last.last), cellY(last.last), true);
        return framePixels();
    }
};

TEST_F(WinPictureFrames, PictureAppearsOneFrameAfterTheTenthWordAndLeavesAfterANewDeal) {
    writeHalfMagentaPicture();
    start();
    const std::vector<std::uint32_t> solvingFrame = solveUpToTheTenthPress();
    EXPECT_EQ(game().puzzle.words[9].found, 1);
    EXPECT_NE(solvingFrame[10 * 1000 + 10] & 0xFFFFFFu, PictureRed & 0xFFFFFFu)
        << "not yet in the frame that found the word";

    frameReleased();
    const std::vector<std::uint32_t> shown = framePixels();
    int covered = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 1000; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * 1000 + x);
            if (x < 150 && y < 200) {
                ASSERT_EQ(shown[i] & 0xFFFFFFu, PictureRed & 0xFFFFFFu) << x << "," << y;
                ++covered;
            } else {
                // Magenta and everything past the bitmap's edge leave the grid visible.
                ASSERT_EQ(shown[i], solvingFrame[i]) << x << "," << y;
            }
        }
    EXPECT_EQ(covered, 150 * 200);

    frameAt(800, 555, true);  // new puzzle: this frame still shows the picture
    EXPECT_EQ(pixel(10, 10) & 0xFFFFFFu, PictureRed & 0xFFFFFFu);
    frameReleased();
    EXPECT_NE(pixel(10, 10) & 0xFFFFFFu, PictureRed & 0xFFFFFFu);
    EXPECT_EQ(game().winPicture.solved, 0);
}

TEST_F(WinPictureFrames, WithoutPictureFileTheSolvedFrameLooksUnsolved) {
    start();
    const std::vector<std::uint32_t> solvingFrame = solveUpToTheTenthPress();
    frameReleased();
    EXPECT_EQ(game().winPicture.solved, 1);
    EXPECT_TRUE(framePixels() == solvingFrame);
}

TEST_F(WinPictureFrames, UnreadablePictureFileShowsNothingEither) {
    std::ofstream(folder() / "win.bmp") << "not a bitmap";
    start();
    const std::vector<std::uint32_t> solvingFrame = solveUpToTheTenthPress();
    frameReleased();
    EXPECT_TRUE(framePixels() == solvingFrame);
}

TEST(UpdateSolved, NeedsEveryWordFound) {
    game::WinPicture picture;
    game::PuzzleWords words{};
    for (auto& w : words) w.found = 1;
    game::updateSolved(picture, words);
    EXPECT_EQ(picture.solved, 1);
    words[9].found = 0;
    game::updateSolved(picture, words);
    EXPECT_EQ(picture.solved, 0);
}

}  // namespace
