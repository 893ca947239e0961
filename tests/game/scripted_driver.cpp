#include "scripted_driver.hpp"

namespace testing_support {
namespace {

ScriptedMouse mouse;

int init(const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return 0;
}
void nothing() {}

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
        d.exit = d.lock = d.unlock = nothing;
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
}

}  // namespace testing_support
