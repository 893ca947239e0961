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
struct Presenter {
    std::mutex frameLock;
    std::thread thread;
    std::atomic<bool> running{false};
    Screen* screen = nullptr;
    int framesSeen = 0;
    int mixedFrames = 0;
};
Presenter presenter;

void presentPass() {
    std::lock_guard<std::mutex> hold(presenter.frameLock);
    Screen& screen = *presenter.screen;
    bool anyMarked = false;
    for (std::uint8_t& row : screen.dirtyRows) {
        anyMarked = anyMarked || row != 0;
        row = 0;
    }
    if (!anyMarked) return;
    ++presenter.framesSeen;
    std::uint32_t first = 0;
    std::memcpy(&first, screen.visiblePixels, 4);
    for (std::int32_t i = 0; i < screen.width * screen.height; ++i) {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, screen.visiblePixels + 4 * i, 4);
        if (pixel != first) {
            ++presenter.mixedFrames;
            return;
        }
    }
}

int presenterInit(const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                  std::int32_t) {
    presenter.screen = activeScreen();
    presenter.running = true;
    presenter.thread = std::thread([] {
        while (presenter.running) {
            presentPass();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    return 0;
}

void presenterExit() {
    presenter.running = false;
    if (presenter.thread.joinable()) presenter.thread.join();
}

const DisplayDriver& presenterDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d;
        d.name = "Presenter";
        d.init = presenterInit;
        d.exit = presenterExit;
        d.lock = [] { presenter.frameLock.lock(); };
        d.unlock = [] { presenter.frameLock.unlock(); };
        return d;
    }();
    return driver;
}

TEST(PresentingThread, SeesOnlyWholeFrames) {
    closeScreen();
    presetDriverName(nullptr);
    setDriverCandidates({&presenterDriver()});
    ASSERT_EQ(openScreen(64, 48, 32, 0, 0, 0), 0);
    for (std::uint32_t frame = 0; frame < 200; ++frame) {
        lockScreen();
        clearScreen(ClearDefault);
        // Row by row, so an unlocked pass would catch a half-drawn frame.
        for (float y = 0; y < 48; ++y) {
            drawLine(nullptr, 0, y, 63, y, 0xFF000000u | frame, Line, 0xFFFF, 0);
        }
        unlockScreen(-1, -1);
        if (frame % 8 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    closeScreen();
    setDriverCandidates({});
    EXPECT_FALSE(presenter.running);
    EXPECT_GT(presenter.framesSeen, 0);
    EXPECT_EQ(presenter.mixedFrames, 0);
}

}  // namespace
