#pragma once
// Display back ends for tests: every slot appends what it was asked to a
// shared log ("Alpha:init(title,1000,600,32,0,0)", "Alpha:lock", ...), and
// init refuses as often as the test asks.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/driver.hpp"
#include "gfx/screen.hpp"
#include "tests/gfx/environment_variable.hpp"

namespace gfxtest {

inline std::vector<std::string>& driverLog() {
    static std::vector<std::string> log;
    return log;
}

inline int countInLog(const std::string& entry) {
    int count = 0;
    for (const std::string& line : driverLog()) count += line == entry ? 1 : 0;
    return count;
}

struct MouseReply {
    int result = 0;
    std::int32_t x = 0, y = 0, wheel = 0, buttons = 0, clipped = 0;
};

// One recording back end per index, each with its own name and refusals.
template <int Index>
struct RecordingDriver {
    static const char* name() {
        static constexpr const char* names[] = {"Rec", "Alpha", "Beta", "Gamma"};
        return names[Index];
    }
    static inline int refusalsLeft = 0;
    static inline int paletteCalls = 0;
    static inline bool sawOpeningScreen = false;
    static inline MouseReply mouse;

    static void record(const std::string& what) {
        driverLog().push_back(std::string(name()) + ":" + what);
    }
    static int init(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
                    std::int32_t refresh, std::int32_t flags) {
        record("init(" + std::string(title) + "," + std::to_string(width) + "," +
               std::to_string(height) + "," + std::to_string(depth) + "," +
               std::to_string(refresh) + "," + std::to_string(flags) + ")");
        sawOpeningScreen = gfx::activeScreen() != nullptr && gfx::currentScreen() == nullptr;
        if (refusalsLeft > 0) {
            --refusalsLeft;
            return 1;
        }
        return 0;
    }
    static void exit() { record("exit"); }
    static void lock() { record("lock"); }
    static void unlock() { record("unlock"); }
    static void setTitle(const char* title) { record("setTitle(" + std::string(title) + ")"); }
    static void setPalette(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
        ++paletteCalls;
    }
    static int getMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel,
                        std::int32_t* buttons, std::int32_t* clipped) {
        record("getMouse");
        *x = mouse.x;
        *y = mouse.y;
        *wheel = mouse.wheel;
        *buttons = mouse.buttons;
        *clipped = mouse.clipped;
        return mouse.result;
    }

    static const gfx::DisplayDriver& driver() {
        static const gfx::DisplayDriver d = [] {
            gfx::DisplayDriver r;
            r.name = name();
            r.init = init;
            r.exit = exit;
            r.lock = lock;
            r.unlock = unlock;
            r.setTitle = setTitle;
            r.setPalette = setPalette;
            r.getMouse = getMouse;
            return r;
        }();
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
using Gamma = RecordingDriver<3>;

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
        gfxtest::clearVariable("LETTERMOOR_DRIVER");
        gfx::setDriverCandidates({&Rec::driver()});
        Rec::reset();
        Alpha::reset();
        Beta::reset();
        Gamma::reset();
        driverLog().clear();
    }
};

}  // namespace gfxtest
