#include <fstream>
#include <string>
#include <vector>

#include "game_fixture.hpp"
#include "gfx/aligned_block.hpp"
#include "runtime/last_error.hpp"
#include "tests/gfx/image_test_support.hpp"

namespace {

constexpr std::uint32_t PictureRed = 0xFFC81E28u;

using WinPictureFrames = testing_support::GameTest;

bool red(std::uint32_t pixel) {
    return (pixel & 0xFFFFFFu) == (PictureRed & 0xFFFFFFu);
}

// The picture shows from the frame after the tenth word is found until a new
// deal; without a picture to show, the solved frame stays as it was.
TEST_F(WinPictureFrames, PictureAppearsOneFrameAfterTheTenthWordUnlessItCannotBeShown) {
    writeWords();
    for (const std::string why : {"missing", "unreadable", "no memory", "shown"}) {
        if (why == "unreadable") std::ofstream(folder() / "win.bmp") << "not a bitmap";
        if (why == "no memory") {
            // From here on a 300x200 picture: opaque red left of x = 150, magenta
            // (see-through) right of it.
            std::vector<std::uint32_t> picture(std::size_t{300} * 200);
            for (std::size_t i = 0; i < picture.size(); ++i) {
                picture[i] = i % 300 < 150 ? PictureRed : 0xFFFF00FFu;
            }
            const auto bytes = imagetest::encodeBitmap({}, {300, 200, picture, {}});
            std::ofstream(folder() / "win.bmp", std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
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
        EXPECT_EQ(game().winPicture.image != nullptr, why == "unreadable" || why == "shown") << why;
        // Nine words found, then the tenth in a held press.
        for (int i = 0; i < 9; ++i) findWord(i);
        clickCell(word(9).first);
        pressCell(word(9).last);
        const std::vector<std::uint32_t> solvingFrame = framePixels();
        EXPECT_FALSE(red(solvingFrame[10 * 1000 + 10]))
            << "not yet in the frame that found the word";
        frameReleased();
        EXPECT_EQ(game().winPicture.solved, 1) << why;
        const std::vector<std::uint32_t> shown = framePixels();
        for (std::size_t i = 0; i < shown.size(); ++i) {
            // Magenta and everything past the bitmap's edge leave the grid visible.
            const bool picture = why == "shown" && i % 1000 < 150 && i / 1000 < 200;
            ASSERT_TRUE(picture ? red(shown[i]) : shown[i] == solvingFrame[i])
                << why << " " << i % 1000 << "," << i / 1000;
        }
        frameAt(800, 555, true);  // new puzzle: this frame still shows the picture
        EXPECT_EQ(red(gfxtest::screenPixel(10, 10)), why == "shown") << why;
        frameReleased();
        EXPECT_FALSE(red(gfxtest::screenPixel(10, 10))) << why;
        EXPECT_EQ(game().winPicture.solved, 0) << why;
    }
}

}  // namespace
