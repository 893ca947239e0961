#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/recording_driver.hpp"

namespace {

using namespace gfx;

using InputTest = gfxtest::OpenRecordingScreenTest<16, 16>;

// 255 is a character (the no-break space), not an extended key: its low byte
// must not make it read as two bytes. A posted 0 reads as nothing.
TEST_F(InputTest, KeysReadInOrderAsTextsUnderTheLockCloseRequestsFirstFullQueuesDropTheOldest) {
    // Sixteen keys overflow the ring: the oldest, 'a', is dropped.
    for (KeyCode code = 'a'; code <= 'i'; ++code) postKey(code);
    const KeyCode codes[] = {27, 0x48FF, 0x84, 255, 0xFFFF, 0, 'x'};
    for (KeyCode code : codes) postKey(code);
    EXPECT_TRUE(activeScreen()->keys.keyPosted);
    for (const char* expected : {"b", "c", "d", "e", "f", "g", "h", "i", "\x1b", "\xffH", "\x84",
                                 "\xff", "\xff\xff", "", "x", ""}) {
        EXPECT_EQ(readKey(), expected);
        EXPECT_FALSE(activeScreen()->keys.keyPosted);
    }
    EXPECT_EQ(std::pair(gfxtest::countInLog("Rec:lock"), gfxtest::countInLog("Rec:unlock")),
              std::pair(16, 16));

    postKey('q');
    requestClose();
    for (const char* expected : {"\xffk", "q", ""}) EXPECT_EQ(readKey(), expected);

    for (std::int32_t i = 0; i < 130; ++i) postEvent(EventMouseMove, i, 0, 0, 0);
    const EventQueue& queue = activeScreen()->eventQueue;
    EXPECT_EQ(std::pair(queue.readIndex, queue.writeIndex), std::pair(3, 2))
        << "127 events kept, the three oldest dropped";
}

// Outside the window, without a screen and on a back end without a mouse,
// the mouse reads as -1 everywhere; without a screen the console serves keys.
TEST_F(InputTest, MouseFromDriverUnderLockAndWithoutScreenConsoleKeysOrMinusOnes) {
    gfxtest::Rec::mouse = gfxtest::MouseReply{0, 12, 7, 3, 1, 0};
    std::int32_t v[5] = {0, 0, 0, 0, 9};
    EXPECT_EQ(readMouse(&v[0], &v[1], &v[2], &v[3], &v[4]), 0);
    EXPECT_EQ(std::vector<std::int32_t>(v, v + 5), (std::vector<std::int32_t>{12, 7, 3, 1, 0}));
    EXPECT_EQ(gfxtest::driverLog(),
              (std::vector<std::string>{"Rec:lock", "Rec:getMouse", "Rec:unlock"}));
    EXPECT_EQ(readMouse(&v[0], &v[1], nullptr, nullptr, nullptr), 0);
    setConsoleKeyReader([] { return std::string("c"); });
    EXPECT_EQ(readKey(), "");  // the screen's empty ring, not the console

    auto failsWithMinusOnes = [&v] {
        std::fill(v, v + 5, 5);
        EXPECT_EQ(readMouse(&v[0], &v[1], &v[2], &v[3], &v[4]), 1);
        EXPECT_EQ(std::vector<std::int32_t>(v, v + 5), std::vector<std::int32_t>(5, -1));
    };
    gfxtest::Rec::mouse.result = -1;
    failsWithMinusOnes();
    closeScreen();
    failsWithMinusOnes();
    EXPECT_EQ(readKey(), "c");
    requestClose();
    for (const char* expected : {"\xffk", "c"}) EXPECT_EQ(readKey(), expected);
    setConsoleKeyReader(nullptr);
    EXPECT_EQ(readKey(), "");
    ASSERT_EQ(openScreen(16, 16, 32, 0, NoDriver, 0), 0);
    failsWithMinusOnes();
}

}  // namespace
