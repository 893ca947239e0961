#include "scripted_driver.hpp"

namespace testing_support {
namespace {

ScriptedMouse mouse;
std::int32_t locks = 0;

int init(const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return 0;
}
void exitDriver() {}
void lock() {
    ++locks;
}
void unlock() {}

int getMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
             std::int32_t* clipped) {
    if (!mouse.available) return -1;
    *x = mouse.x;
    *y = mouse.y;
    *wheel = 0;
    *buttons = mouse.buttons;
    *clipped = 0;
    return 0;
}

}  // namespace

const gfx::DisplayDriver& scriptedDriver() {
    static const gfx::DisplayDriver driver = [] {
        gfx::DisplayDriver d;
        d.name = "Scripted";
        d.init = init;
        d.exit = exitDriver;
        d.lock = lock;
        d.unlock = unlock;
        d.getMouse = getMouse;
        return d;
    }();
    return driver;
}

ScriptedMouse& scriptedMouse() {
    return mouse;
}

void resetScriptedDriver() {
    mouse = ScriptedMouse{};
    locks = 0;
}

std::int32_t scriptedLockCount() {
    return locks;
}

}  // namespace testing_support
