#include <utility>

#include "game_fixture.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"

namespace {

class FrameLifecycle : public testing_support::GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        writeWords();
        start();
    }
};

TEST_F(FrameLifecycle, EscOrACloseRequestEndsTheLoopAndOtherKeysDoNot) {
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

TEST_F(FrameLifecycle, StartUpOpensTheTitledScreenAndAFrameLocksOnceAndSleepsPlain) {
    const gfx::Screen* screen = gfx::activeScreen();
    EXPECT_TRUE(screen->width == 1000 && screen->height == 600 && screen->depth == 32);
    EXPECT_STREQ(gfx::windowTitle(), "Lettermoor");
    static std::pair<std::int32_t, std::int32_t> slept;
    game().sleep = [](std::int32_t ms, std::int32_t kind) { slept = {ms, kind}; };
    frameReleased();
    EXPECT_EQ(screen->lockCount, 0);
    EXPECT_EQ(slept, std::make_pair(15, 1)) << "15 ms, plain";
}

}  // namespace
