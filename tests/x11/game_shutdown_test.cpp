// How the real game ends: on Esc, the close box and signals at random moments
// while frames run, and when its X server disappears.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "tests/x11/game_session.hpp"

namespace {

using namespace lettermoor::testing;
using Clock = std::chrono::steady_clock;

// What the issue allows for ending after the request, and for noticing a
// vanished server.
constexpr int ShutdownDeadlineMs = 200;
constexpr int ServerLossDeadlineMs = 1000;

struct ScreenSaverSetting {
    int timeout = 0;
    int interval = 0;
    int preferBlanking = 0;
    int allowExposures = 0;
    bool operator==(const ScreenSaverSetting&) const = default;
};

ScreenSaverSetting screenSaverOf(Display* display) {
    ScreenSaverSetting s;
    XGetScreenSaver(display, &s.timeout, &s.interval, &s.preferBlanking, &s.allowExposures);
    return s;
}

int runsWanted() {
    const char* value = std::getenv("LETTERMOOR_SHUTDOWN_RUNS");
    const int runs = value != nullptr ? std::atoi(value) : 0;
    return runs > 0 ? runs : 10;
}

enum class Ending { Escape, CloseBox, Interrupt, Terminate };
const char* const EndingNames[] = {"Esc", "close box", "SIGINT", "SIGTERM"};

using GameShutdown = GameSession;

TEST_F(GameShutdown, EveryWayOfEndingAtRandomMomentsEndsWithStatusZeroInTime) {
    const ScreenSaverSetting before = screenSaverOf(probe());
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(0, 200);
    long slowestMs = 0;
    const int runs = runsWanted();
    for (int run = 0; run < runs; ++run) {
        SCOPED_TRACE("run " + std::to_string(run) + ", seed " + std::to_string(seed));
        startGame();
        if (HasFatalFailure()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));

        const auto ending = static_cast<Ending>(run % 4);
        const auto start = Clock::now();
        switch (ending) {
            case Ending::Escape:
                window().tapKey(XK_Escape);
                break;
            case Ending::CloseBox:
                window().sendDeleteWindow();
                break;
            case Ending::Interrupt:
                game().sendSignal(SIGINT);
                break;
            case Ending::Terminate:
                game().sendSignal(SIGTERM);
                break;
        }
        const std::optional<int> status = game().waitForExit(5000);
        const long elapsedMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        slowestMs = std::max(slowestMs, elapsedMs);
        const char* name = EndingNames[static_cast<int>(ending)];
        ASSERT_TRUE(exitedWith(status, 0)) << name << "; stderr: " << game().standardError();
        EXPECT_LE(elapsedMs, ShutdownDeadlineMs) << name;
        EXPECT_EQ(game().standardError(), "") << name;
        EXPECT_TRUE(screenSaverOf(probe()) == before) << name << ": screen saver not restored";
    }
    std::printf("%d runs, slowest end %ld ms\n", runs, slowestMs);
}

TEST_F(GameShutdown, LosingTheXServerEndsWithOneLineAndStatusOneWithinASecond) {
    startGame();
    if (HasFatalFailure()) return;
    // The test's own connection would die with the server and take the test along.
    player_.reset();
    window_.reset();
    probe_.reset();

    server_->killAbruptly();
    const std::optional<int> status = game().waitForExit(ServerLossDeadlineMs);
    ASSERT_TRUE(exitedWith(status, 1)) << game().standardError();
    const std::string errors = game().standardError();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("X server"), std::string::npos) << errors;
    EXPECT_EQ(errors.back(), '\n');
}

}  // namespace
