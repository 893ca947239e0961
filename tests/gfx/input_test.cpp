#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/recording_driver.hpp"

namespace {

using namespace gfx;

using InputTest = gfxtest::OpenRecordingScreenTest<16, 16>;

TEST_F(InputTest, KeysReadAsTextsInOrderUnderTheFrameLock) {
    // 255 is a character (the no-break space), not an extended key: its low
    // byte must not make it read as two bytes. A posted 0 reads as nothing.
    const KeyCode codes[] = {27, 0x48FF, 0x84, 255, 0xFFFF, 0, 'x'};
    for (KeyCode code : codes) postKey(code);
    EXPECT_TRUE(activeScreen()->keys.keyPosted);
    for (const char* expected : {"\x1b", "\xffH", "\x84", "\xff", "\xff\xff", "", "x", ""}) {
        EXPECT_EQ(readKey(), expected);
        EXPECT_FALSE(activeScreen()->keys.keyPosted);
    }
    EXPECT_EQ(std::pair(gfxtest::countInLog("Rec:lock"), gfxtest::countInLog("Rec:unlock")),
              std::pair(8, 8));
}

TEST_F(InputTest, CloseRequestFromASignalComesBeforeQueuedKeysOnce) {
    postKey('q');
    std::signal(SIGTERM, [](int) { requestClose(); });
    std::raise(SIGTERM);
    std::signal(SIGTERM, SIG_DFL);
    for (const char* expected : {"\xffk", "q", ""}) EXPECT_EQ(readKey(), expected);
    closeScreen();
    requestClose();
    for (const char* expected : {"\xffk", ""}) EXPECT_EQ(readKey(), expected);
}

TEST_F(InputTest, ConsoleReaderServesWhileNoScreen) {
    setConsoleKeyReader([] { return std::string("c"); });
    EXPECT_EQ(readKey(), "");  // the screen's empty ring, not the console
    closeScreen();
    EXPECT_EQ(readKey(), "c");
    setConsoleKeyReader(nullptr);
    EXPECT_EQ(readKey(), "");
}

TEST_F(InputTest, FullQueuesDropTheOldest) {
    for (KeyCode code = 'a'; code < 'a' + 20; ++code) postKey(code);
    std::string read;
    for (std::string key = readKey(); !key.empty(); key = readKey()) read += key;
    EXPECT_EQ(read, "fghijklmnopqrst");

    for (std::int32_t i = 0; i < 130; ++i) postEvent(EventMouseMove, i, 0, 0, 0);
    const EventQueue& queue = activeScreen()->eventQueue;
    std::vector<std::int32_t> seen;
    for (std::int32_t at = queue.readIndex; at != queue.writeIndex; at = (at + 1) % 128) {
        seen.push_back(queue.events[static_cast<std::size_t>(at)].values[0]);
    }
    ASSERT_EQ(seen.size(), 127u);
    EXPECT_EQ(seen.front(), 3);
    EXPECT_EQ(seen.back(), 129);
}

TEST_F(InputTest, MouseFromDriverUnderLockOrMinusOneEverywhere) {
    gfxtest::Rec::mouse = gfxtest::MouseReply{0, 12, 7, 3, 1, 0};
    std::int32_t v[5] = {0, 0, 0, 0, 9};
    EXPECT_EQ(readMouse(&v[0], &v[1], &v[2], &v[3], &v[4]), 0);
    EXPECT_EQ(std::vector<std::int32_t>(v, v + 5), (std::vector<std::int32_t>{12, 7, 3, 1, 0}));
    EXPECT_EQ(gfxtest::driverLog(),
              (std::vector<std::string>{"Rec:lock", "Rec:getMouse", "Rec:unlock"}));
    EXPECT_EQ(readMouse(&v[0], &v[1], nullptr, nullptr, nullptr), 0);

    // Outside the window, without a screen, and on a back end without a mouse.
    auto failsWithMinusOnes = [&v] {
        std::fill(v, v + 5, 5);
        EXPECT_EQ(readMouse(&v[0], &v[1], &v[2], &v[3], &v[4]), 1);
        EXPECT_EQ(std::vector<std::int32_t>(v, v + 5), std::vector<std::int32_t>(5, -1));
    };
    gfxtest::Rec::mouse.result = -1;
    failsWithMinusOnes();
    closeScreen();
    failsWithMinusOnes();
    ASSERT_EQ(openScreen(16, 16, 32, 0, NoDriver, 0), 0);
    failsWithMinusOnes();
}

}  // namespace
