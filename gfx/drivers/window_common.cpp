#include "gfx/drivers/window_common.hpp"

#include <chrono>
#include <thread>

#include "gfx/screen.hpp"

namespace gfx {

int takeMouse(MouseState& mouse, std::int32_t* x, std::int32_t* y, std::int32_t* wheel,
              std::int32_t* buttons, std::int32_t* clipped) {
    const std::int32_t pressed = mouse.pressedSinceRead;
    mouse.pressedSinceRead = 0;
    if (!mouse.active || !mouse.inside) return -1;
    if (x != nullptr) *x = mouse.x;
    if (y != nullptr) *y = mouse.y;
    if (wheel != nullptr) *wheel = mouse.wheel;
    if (buttons != nullptr) *buttons = mouse.buttons | pressed;
    if (clipped != nullptr) *clipped = mouse.clipped;
    return 0;
}

void sleepOneRefresh() {
    const Screen* screen = activeScreen();
    const std::int32_t rate = screen != nullptr ? screen->refreshRate : 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(rate > 0 ? 1000 / rate : 16));
}

}  // namespace gfx
