#pragma once
// Display back ends for tests: every slot appends what it was asked to a
// shared log ("Alpha:init(title,1000,600,32,0,0)", "Alpha:lock", ...), and
// init refuses as often as the test asks.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/driver.hpp"
#include "gfx/screen.hpp"

namespace gfxtest {

// Sets the driver-choice variable, or removes it for nullptr.
inline void setDriverVariable(const char* value) {
#if defined(_WIN32)
    _putenv_s("LETTERMOOR_DRIVER", value != nullptr ? value : "");  // empty removes it
#else
    if (value == nullptr) {
        unsetenv("LETTERMOOR_DRIVER");
    } else {
        setenv("LETTERMOOR_DRIVER", value, 1);
    }
#endif
}

inline std::vector<std::string>& driverLog() {
    static std::vector<std::string> log;
    return log;
}

inline int countInLog(const std::string& entry) {
    return static_cast<int>(std::count(driverLog().begin(), driverLog().end(), entry));
}

struct MouseReply {
    int result = 0;
    std::int32_t x = 0, y = 0, wheel = 0, buttons = 0, clipped = 0;
};

// One recording back end per index, each with its own name and refusals.
template <int Index>
struct RecordingDriver {
    static const char* name() { return Index == 0 ? "Rec" : Index == 1 ? "Alpha" : "Beta"; }
    static inline int refusalsLeft = 0;
    static inline int paletteCalls = 0;
    static inline bool sawOpeningScreen = false;
    static inline MouseReply mouse;

    static void record(const std::string& what) {
        driverLog().push_back(std::string(name()) + ":" + what);
    }
    static int init(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
                    std::int32_t refresh, std::int32_t flags) {
        std::string call = "init(" + std::string(title);
        for (auto v : {width, height, depth, refresh, flags}) call += "," + std::to_string(v);
        record(call + ")");
        sawOpeningScreen = gfx::activeScreen() != nullptr;
        if (refusalsLeft == 0) return 0;
        --refusalsLeft;
        return 1;
    }
    static int getMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel,
                        std::int32_t* buttons, std::int32_t* clipped) {
        record("getMouse");
        std::tie(*x, *y, *wheel, *buttons, *clipped) =
            std::tie(mouse.x, mouse.y, mouse.wheel, mouse.buttons, mouse.clipped);
        return mouse.result;
    }

    static const gfx::DisplayDriver& driver() {
        static const gfx::DisplayDriver d{
            .name = name(),
            .init = init,
            .exit = [] { record("exit"); },
            .lock = [] { record("lock"); },
            .unlock = [] { record("unlock"); },
            .setPalette = [](std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t) { ++paletteCalls; },
            .getMouse = getMouse,
            .setTitle = [](const char* title) { record("setTitle(" + std::string(title) + ")"); },
        };
        return d;
    }
    static void reset() {
        refusalsLeft = 0;
        paletteCalls = 0;
        sawOpeningScreen = false;
        mouse = MouseReply{};
    }
};

using Rec = RecordingDriver<0>;
using Alpha = RecordingDriver<1>;
using Beta = RecordingDriver<2>;

// Starts every test without a screen, with only the recording back end on
// offer and no driver name given, and leaves the same state behind.
class RecordingScreenTest : public ::testing::Test {
  protected:
    void SetUp() override { resetAll(); }
    void TearDown() override {
        resetAll();
        gfx::setDriverCandidates({});
    }

    static void resetAll() {
        gfx::closeScreen();
        gfx::presetDriverName(nullptr);
        setDriverVariable(nullptr);
        gfx::setDriverCandidates({&Rec::driver()});
        Rec::reset();
        Alpha::reset();
        Beta::reset();
        driverLog().clear();
    }
};

// The same, with a screen of the given size open on the recording back end,
// no row marked and an empty log.
template <std::int32_t Width = 1000, std::int32_t Height = 600>
class OpenRecordingScreenTest : public RecordingScreenTest {
  protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        ASSERT_EQ(gfx::openScreen(Width, Height, 32, 0, 0, 0), 0);
        std::ranges::fill(gfx::activeScreen()->dirtyRows, 0);
        driverLog().clear();
    }
};

}  // namespace gfxtest
