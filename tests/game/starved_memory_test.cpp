#include <vector>

#include "bmp_writer.hpp"
#include "game_fixture.hpp"
#include "gfx/aligned_block.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "runtime/last_error.hpp"

namespace {

constexpr std::uint32_t PictureRed = 0xFFC81E28u;

// The scripted back end, except that opening it leaves the next image
// allocation to fail: the screen's pages exist by then, the win picture's
// image is the first block asked for after them.
int initThenStarve(const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   std::int32_t) {
    gfx::failNextAllocations(1);
    return 0;
}

class StarvedStartUp : public testing_support::GameTest {
  protected:
    void TearDown() override {
        gfx::failNextAllocations(0);
        GameTest::TearDown();
    }
    gfx::DisplayDriver starving_;
};

TEST_F(StarvedStartUp, WithoutThePictureTheGameStillPlaysToTheEnd) {
    starving_ = testing_support::ScriptedDriver::driver();
    starving_.init = initThenStarve;
    gfx::setDriverCandidates({&starving_});
    writeWords();
    const std::vector<std::uint32_t> red(std::size_t{50} * 50, PictureRed);
    ASSERT_TRUE(testing_support::writeBmp((folder() / "win.bmp").string(), 50, 50, red, 24));
    start();
    EXPECT_EQ(game().winPicture.image, nullptr);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::NoMemory);
    // Without its image the picture must not land on the screen instead.
    EXPECT_NE(pixel(10, 10), PictureRed);

    const std::vector<std::uint32_t> solving = solveUpToTheLastPress();
    EXPECT_TRUE(frameReleased());
    EXPECT_EQ(game().winPicture.solved, 1);
    EXPECT_TRUE(framePixels() == solving) << "the solved frame shows no picture";
    gfx::postKey(27);
    EXPECT_FALSE(frameReleased());
}

}  // namespace
