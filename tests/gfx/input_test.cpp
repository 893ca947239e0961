#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/recording_driver.hpp"

namespace {

using namespace gfx;
using gfxtest::driverLog;
using gfxtest::Rec;

class InputTest : public gfxtest::RecordingScreenTest {
  protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        ASSERT_EQ(openScreen(16, 16, 32, 0, 0, 0), 0);
        driverLog().clear();
    }
};

TEST_F(InputTest, KeysReadAsTextsInOrder) {
    postKey(27);
    postKey(0x48FF);
    postKey(0x3BFF);
    postKey(0x84);
    EXPECT_TRUE(currentScreen()->keys.keyPosted);
    EXPECT_EQ(readKey(), "\x1b");
    EXPECT_FALSE(currentScreen()->keys.keyPosted);
    EXPECT_EQ(readKey(), "\xffH");
    EXPECT_EQ(readKey(), "\xff;");
    EXPECT_EQ(readKey(), "\x84");
    EXPECT_EQ(readKey(), "");
    // Each read brackets the ring with the frame lock.
    EXPECT_EQ(gfxtest::countInLog("Rec:lock"), 5);
    EXPECT_EQ(gfxtest::countInLog("Rec:unlock"), 5);
    EXPECT_EQ(currentScreen()->lockCount, 0);
}

TEST_F(InputTest, FullRingKeepsNewestFifteen) {
    for (KeyCode code = 'a'; code < 'a' + 20; ++code) postKey(code);
    std::string read;
    for (std::string key = readKey(); !key.empty(); key = readKey()) read += key;
    EXPECT_EQ(read, "fghijklmnopqrst");
}

// 255 is a character (the no-break space of code page 437), not an extended
// key: its low byte must not make it read as two bytes.
TEST_F(InputTest, CharacterCode255ReadsAsOneByte) {
    postKey(255);
    postKey(0xFFFF);
    EXPECT_EQ(readKey(), "\xff");
    EXPECT_EQ(readKey(), "\xff\xff");
}

TEST_F(InputTest, PostedZeroReadsAsEmpty) {
    postKey(0);
    postKey('x');
    EXPECT_EQ(readKey(), "");
    EXPECT_EQ(readKey(), "x");
}

TEST_F(InputTest, CloseRequestComesBeforeQueuedKeysOnce) {
    postKey('q');
    std::signal(SIGTERM, [](int) { requestClose(); });
    std::raise(SIGTERM);
    std::signal(SIGTERM, SIG_DFL);
    EXPECT_EQ(readKey(), "\xffk");
    EXPECT_EQ(readKey(), "q");
    EXPECT_EQ(readKey(), "");
    closeScreen();
    requestClose();
    EXPECT_EQ(readKey(), "\xffk");
    EXPECT_EQ(readKey(), "");
}

TEST_F(InputTest, ConsoleReaderServesWhileNoScreen) {
    setConsoleKeyReader([] { return std::string("c"); });
    EXPECT_EQ(readKey(), "");  // the screen's empty ring, not the console
    closeScreen();
    EXPECT_EQ(readKey(), "c");
    setConsoleKeyReader(nullptr);
    EXPECT_EQ(readKey(), "");
}

TEST_F(InputTest, EventQueueDropsOldestWhenFull) {
    for (std::int32_t i = 0; i < 130; ++i) postEvent(EventMouseMove, i, 0, 0, 0);
    const EventQueue& queue = currentScreen()->eventQueue;
    std::vector<std::int32_t> seen;
    for (std::int32_t at = queue.readIndex; at != queue.writeIndex; at = (at + 1) % 128) {
        seen.push_back(queue.events[static_cast<std::size_t>(at)].values[0]);
    }
    ASSERT_EQ(seen.size(), 127u);
    EXPECT_EQ(seen.front(), 3);
    EXPECT_EQ(seen.back(), 129);
}

TEST_F(InputTest, MouseFromDriverUnderLock) {
    Rec::mouse = gfxtest::MouseReply{0, 12, 7, 3, 1, 0};
    std::int32_t x = 0, y = 0, wheel = 0, buttons = 0, clipped = 9;
    EXPECT_EQ(readMouse(&x, &y, &wheel, &buttons, &clipped), 0);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 7);
    EXPECT_EQ(wheel, 3);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(clipped, 0);
    EXPECT_EQ(driverLog(), (std::vector<std::string>{"Rec:lock", "Rec:getMouse", "Rec:unlock"}));
    EXPECT_EQ(readMouse(&x, &y, nullptr, nullptr, nullptr), 0);

    Rec::mouse.result = -1;  // cursor outside the window
    EXPECT_EQ(readMouse(&x, &y, &wheel, &buttons, &clipped), 1);
    for (std::int32_t v : {x, y, wheel, buttons, clipped}) EXPECT_EQ(v, -1);
}

TEST_F(InputTest, MouseWithoutScreenOrGetMouse) {
    std::int32_t values[5] = {5, 5, 5, 5, 5};
    closeScreen();
    EXPECT_EQ(readMouse(&values[0], &values[1], &values[2], &values[3], &values[4]), 1);
    for (std::int32_t v : values) EXPECT_EQ(v, -1);

    ASSERT_EQ(openScreen(16, 16, 32, 0, NoDriver, 0), 0);  // the Null driver has no mouse
    values[0] = 5;
    EXPECT_EQ(readMouse(&values[0], &values[1], nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(values[0], -1);
    EXPECT_EQ(values[1], -1);
}

}  // namespace
