#include <string>

#include "game_fixture.hpp"
#include "gfx/color.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"

namespace {

using testing_support::GameTest;

class FrameLifecycle : public GameTest {
  protected:
    void writeElevenWords() {
        testing_support::writeWordFile(folder() / "woerter.txt",
                                       "Tipp:", testing_support::elevenWords());
    }
};

TEST_F(FrameLifecycle, EscEndsTheLoopAndOtherKeysDoNot) {
    writeElevenWords();
    start();
    gfx::postKey('a');
    gfx::postKey(0x48FF);  // Up
    gfx::postKey(27);
    EXPECT_TRUE(frameReleased());
    EXPECT_TRUE(frameReleased());
    EXPECT_FALSE(frameReleased());
    EXPECT_TRUE(frameReleased()) << "the key is consumed";
}

TEST_F(FrameLifecycle, CloseRequestEndsTheLoop) {
    writeElevenWords();
    start();
    EXPECT_TRUE(frameReleased());
    gfx::requestClose();
    EXPECT_FALSE(frameReleased());
}

TEST_F(FrameLifecycle, StartUpOpensTheTitledScreenAndFramesTakeTheLockOnce) {
    writeElevenWords();
    start();
    const gfx::Screen* screen = gfx::currentScreen();
    EXPECT_EQ(screen->width, 1000);
    EXPECT_EQ(screen->height, 600);
    EXPECT_EQ(screen->depth, 32);
    EXPECT_STREQ(gfx::windowTitle(), "Lettermoor");
    frameReleased();
    EXPECT_EQ(screen->lockCount, 0);
    // Background white, grid lines black, and the right edge of the grid at x = 600.
    EXPECT_EQ(pixel(999, 0), gfx::White);
    EXPECT_EQ(pixel(600, 300), gfx::Black);
    EXPECT_EQ(pixel(601, 300), gfx::White);
    EXPECT_EQ(pixel(305, 599), gfx::White);
    EXPECT_EQ(pixel(300, 599), gfx::Black);
}

TEST_F(FrameLifecycle, FrameSleepsFifteenMillisecondsPlain) {
    writeElevenWords();
    start();
    static std::int32_t milliseconds = 0;
    static std::int32_t kind = 0;
    game().sleep = [](std::int32_t ms, std::int32_t k) {
        milliseconds = ms;
        kind = k;
    };
    frameReleased();
    EXPECT_EQ(milliseconds, 15);
    EXPECT_EQ(kind, 1);
}

TEST_F(FrameLifecycle, MissingWordFileIsCreatedAndTheGameStillRuns) {
    testing::internal::CaptureStderr();
    start();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::filesystem::exists(folder() / "woerter.txt"));
    EXPECT_NE(errors.find("woerter.txt"), std::string::npos);
    EXPECT_TRUE(frameReleased());
}

TEST_F(FrameLifecycle, TooFewWordsKeepsRunningWithFillerAndReportsOnce) {
    testing_support::writeWordFile(folder() / "woerter.txt", "Tipp:",
                                   {{"EINS", "a"}, {"ZWEI", "b"}, {"DREI", "c"}, {"VIER", "d"}});
    testing::internal::CaptureStderr();
    start();
    click(800, 555);  // a second refusal stays quiet
    click(800, 555);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("woerter.txt"), std::string::npos);
    EXPECT_NE(errors.find(" 3 "), std::string::npos) << errors;
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "exactly one line: " << errors;

    for (const auto& row : game().puzzle.grid)
        for (const auto& cell : row) {
            ASSERT_EQ(cell.letter.size(), 1u);
            EXPECT_GE(cell.letter[0], 'A');
            EXPECT_LE(cell.letter[0], 'X');
        }
    for (const auto* l = game().panel.labels.get(); l != nullptr; l = l->next.get())
        EXPECT_EQ(l->text, "Tipp: ");

    clickCell({0, 0});
    clickCell({0, 5});
    gfx::postKey(27);
    EXPECT_FALSE(frameReleased());
}

}  // namespace
