#pragma once
// A display back end for tests: no window, and a mouse whose state each test
// sets before the frame that reads it.

#include <cstdint>

#include "gfx/driver.hpp"

namespace testing_support {

struct ScriptedMouse {
    bool available = true;  // false: the pointer is outside the window
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t buttons = 0;
};

const gfx::DisplayDriver& scriptedDriver();
ScriptedMouse& scriptedMouse();  // reset by resetScriptedDriver()
void resetScriptedDriver();

}  // namespace testing_support
