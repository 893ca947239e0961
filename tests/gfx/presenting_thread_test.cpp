#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "gfx/driver.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"

namespace {

using namespace gfx;

// A back end whose window thread behaves like the real ones: every pass takes
// the frame lock, looks at the marked rows and clears the marks.
std::mutex frameLock;
std::thread presenter;
std::atomic<bool> running{false};
std::atomic<int> framesSeen{0};
int mixedFrames = 0;

void presentPass(Screen& screen) {
    std::lock_guard<std::mutex> hold(frameLock);
    bool anyMarked = false;
    for (std::uint8_t& row : screen.dirtyRows) {
        anyMarked = anyMarked || row != 0;
        row = 0;
    }
    if (!anyMarked) return;
    ++framesSeen;
    const std::size_t bytes = static_cast<std::size_t>(screen.width) * screen.height * 4;
    for (std::size_t i = 4; i < bytes; i += 4) {
        if (std::memcmp(screen.visiblePixels, screen.visiblePixels + i, 4) != 0) {
            ++mixedFrames;
            return;
        }
    }
}

const DisplayDriver& presenterDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d;
        d.name = "Presenter";
        d.init = [](const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t) {
            running = true;
            presenter = std::thread([screen = activeScreen()] {
                while (running) {
                    presentPass(*screen);
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            });
            return 0;
        };
        d.exit = [] {
            running = false;
            if (presenter.joinable()) presenter.join();
        };
        d.lock = [] { frameLock.lock(); };
        d.unlock = [] { frameLock.unlock(); };
        return d;
    }();
    return driver;
}

// A race between drawing and presenting would show a half-drawn frame.
TEST(PresentingThread, SeesOnlyWholeFrames) {
    closeScreen();
    presetDriverName(nullptr);
    setDriverCandidates({&presenterDriver()});
    ASSERT_EQ(openScreen(64, 48, 32, 0, 0, 0), 0);
    for (std::uint32_t frame = 0; frame < 200; ++frame) {
        lockScreen();
        clearScreen(ClearDefault);
        // Row by row, so an unlocked pass would catch a half-drawn frame.
        for (int row = 0; row < 48; ++row) {
            const auto y = static_cast<float>(row);
            drawLine(nullptr, 0, y, 63, y, 0xFF000000u | frame, Line, 0xFFFF, 0);
        }
        unlockScreen(-1, -1);
        if (frame % 8 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // On a busy machine the thread may not have run yet.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (framesSeen == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    closeScreen();
    setDriverCandidates({});
    EXPECT_FALSE(running);
    EXPECT_GT(framesSeen, 0);
    EXPECT_EQ(mixedFrames, 0);
}

}  // namespace
