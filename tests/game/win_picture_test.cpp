#include <fstream>
#include <string>
#include <vector>

#include "game_fixture.hpp"
#include "gfx/aligned_block.hpp"
#include "runtime/last_error.hpp"

namespace {

constexpr std::uint32_t PictureRed = 0xFFC81E28u;

using WinPictureFrames = testing_support::GameTest;

bool red(std::uint32_t pixel) {
    return (pixel & 0xFFFFFFu) == (PictureRed & 0xFFFFFFu);
}

TEST_F(WinPictureFrames, PictureAppearsOneFrameAfterTheTenthWordAndLeavesAfterANewDeal) {
    // 300x200: opaque red left of x = 150, magenta (see-through) right of it.
    std::vector<std::uint32_t> picture(std::size_t{300} * 200);
    for (std::size_t i = 0; i < picture.size(); ++i) {
        picture[i] = i % 300 < 150 ? PictureRed : 0xFFFF00FFu;
    }
    ASSERT_TRUE(testing_support::writeBmp(folder() / "win.bmp", 300, 200, picture));
    writeWords();
    start();
    const std::vector<std::uint32_t> solvingFrame = solveUpToTheLastPress();
    EXPECT_EQ(word(9).found, 1);
    EXPECT_FALSE(red(solvingFrame[10 * 1000 + 10])) << "not yet in the frame that found the word";

    frameReleased();
    const std::vector<std::uint32_t> shown = framePixels();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        // Magenta and everything past the bitmap's edge leave the grid visible.
        const bool picture = i % 1000 < 150 && i / 1000 < 200;
        ASSERT_TRUE(picture ? red(shown[i]) : shown[i] == solvingFrame[i])
            << i % 1000 << "," << i / 1000;
    }

    frameAt(800, 555, true);  // new puzzle: this frame still shows the picture
    EXPECT_TRUE(red(gfxtest::screenPixel(10, 10)));
    frameReleased();
    EXPECT_FALSE(red(gfxtest::screenPixel(10, 10)));
    EXPECT_EQ(game().winPicture.solved, 0);
}

TEST_F(WinPictureFrames, MissingUnreadableOrUnallocatedPictureLeavesTheSolvedFrameUnchanged) {
    writeWords();
    for (const std::string why : {"missing", "unreadable", "no memory"}) {
        if (why == "unreadable") std::ofstream(folder() / "win.bmp") << "not a bitmap";
        if (why == "no memory") {
            const std::vector<std::uint32_t> picture(std::size_t{50} * 50, PictureRed);
            ASSERT_TRUE(testing_support::writeBmp(folder() / "win.bmp", 50, 50, picture));
        }
        start();
        // The second frame prepares the picture unless it was prepared before.
        if (why == "no memory") {
            gfx::failNextAllocations(1);
            game::prepareWinPicture(game().winPicture);
            EXPECT_EQ(runtime::lastError(), runtime::ResultCode::NoMemory);
            // Without its image the picture must not land on the screen instead.
            EXPECT_FALSE(red(gfxtest::screenPixel(10, 10)));
        }
        frameReleased();
        frameReleased();
        // No file: no 600x600 image is made and cleared for nothing.
        EXPECT_TRUE(why == "unreadable" || game().winPicture.image == nullptr) << why;
        const std::vector<std::uint32_t> solvingFrame = solveUpToTheLastPress();
        frameReleased();
        EXPECT_EQ(game().winPicture.solved, 1);
        EXPECT_TRUE(framePixels() == solvingFrame) << why;
    }
}

}  // namespace
