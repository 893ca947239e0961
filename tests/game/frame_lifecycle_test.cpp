#include <string>

#include "game_fixture.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"

namespace {

using FrameLifecycle = testing_support::GameTest;

TEST_F(FrameLifecycle, EscOrACloseRequestEndsTheLoopAndOtherKeysDoNot) {
    writeWords();
    start();
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
    writeWords();
    start();
    const gfx::Screen* screen = gfx::currentScreen();
    EXPECT_EQ(screen->width, 1000);
    EXPECT_EQ(screen->height, 600);
    EXPECT_EQ(screen->depth, 32);
    EXPECT_STREQ(gfx::windowTitle(), "Lettermoor");
    static std::int32_t slept[2] = {};
    game().sleep = [](std::int32_t ms, std::int32_t kind) {
        slept[0] = ms;
        slept[1] = kind;
    };
    frameReleased();
    EXPECT_EQ(screen->lockCount, 0);
    EXPECT_EQ(slept[0], 15);
    EXPECT_EQ(slept[1], 1);
}

}  // namespace
