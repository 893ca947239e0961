// The Windows window back ends in real windows (Wine with an X server in
// CI): each opens the game's screen, shows frames, and turns window messages
// into key codes and mouse state.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/drivers/win32_driver.hpp"
#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "runtime/clock.hpp"

namespace {

constexpr int Width = 1000;
constexpr int Height = 600;

// The keys read until `last` arrives, or all read within a generous deadline.
std::vector<std::string> keysUpTo(const std::string& last) {
    std::vector<std::string> keys;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((keys.empty() || keys.back() != last) && std::chrono::steady_clock::now() < deadline) {
        const std::string key = gfx::readKey();
        if (key.empty()) runtime::sleepFor(5, runtime::SleepPlain);
        if (!key.empty()) keys.push_back(key);
    }
    return keys;
}

class WindowDriverTest : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const gfx::DisplayDriver& driver =
            std::string(GetParam()) == "GDI" ? gfx::gdiDriver() : gfx::directXDriver();
        gfx::presetDriverName(nullptr);
        gfx::setDriverCandidates({&driver});
        gfx::setWindowTitle("Lettermoor");
        ASSERT_EQ(gfx::openScreen(Width, Height, 32, 0, 0, 0), 0);
        window_ = FindWindowA(nullptr, "Lettermoor");
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        gfx::closeScreen();
        gfx::setDriverCandidates({});
    }

    HWND window_ = nullptr;
};

// The window is found by its title in SetUp; a new one set under the lock
// must still reach it. The close box, and frames reaching the window, are
// the Wine play-through's.
TEST_P(WindowDriverTest, TheNamedBackEndShowsAnExactClientAreaTakesKeysAndTitlesAndCloses) {
    ASSERT_NE(gfx::activeScreen(), nullptr);
    EXPECT_STREQ(gfx::activeScreen()->driver->name, GetParam());
    RECT client{};
    ASSERT_TRUE(GetClientRect(window_, &client));
    EXPECT_EQ(client.right - client.left, Width);
    EXPECT_EQ(client.bottom - client.top, Height);

    // Esc comes as a character; Up (extended scan code 0x48) as a key-down.
    PostMessageA(window_, WM_CHAR, 27, 1);
    PostMessageA(window_, WM_KEYDOWN, VK_UP, (1 << 24) | (0x48 << 16) | 2);
    PostMessageA(window_, WM_CHAR, 'a', 0);    // repeat count 0 posts nothing
    PostMessageA(window_, WM_CHAR, 0x141, 1);  // beyond one byte: ignored
    PostMessageA(window_, WM_CHAR, 'z', 1);    // handled in order: the last one
    EXPECT_EQ(keysUpTo("z"), (std::vector<std::string>{"\x1b", "\xffH", "\xffH", "z"}));

    gfx::lockScreen();
    gfx::setWindowTitle("Lettermoor \x84");
    gfx::unlockScreen(1, 0);
    char title[64] = {};
    GetWindowTextA(window_, title, sizeof(title));
    EXPECT_EQ(std::string(title), "Lettermoor \x84");

    gfx::closeScreen();
    EXPECT_FALSE(IsWindow(window_));
}

INSTANTIATE_TEST_SUITE_P(BackEnds, WindowDriverTest, testing::Values("GDI", "DirectX"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
