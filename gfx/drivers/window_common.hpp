#pragma once
// What every window back end shares: the mouse as it keeps it (written by
// the window's event handling, read by getMouse, both under the frame lock)
// and the refresh wait of back ends that cannot wait for the display.

#include <cstdint>

namespace gfx {

struct MouseState {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t wheel = 0;
    std::int32_t horizontalWheel = 0;
    std::int32_t buttons = 0;
    // Buttons pressed since the last read, so a click that starts and ends
    // between two frames is still seen.
    std::int32_t pressedSinceRead = 0;
    std::int32_t clipped = 0;
    bool active = false;
    bool inside = false;
};

// getMouse of the window back ends: -1 while the window is inactive or the
// pointer is outside it, else 0 and the state, with presses since the last
// read reported as down. Every output may be nullptr.
int takeMouse(MouseState& mouse, std::int32_t* x, std::int32_t* y, std::int32_t* wheel,
              std::int32_t* buttons, std::int32_t* clipped);

// waitVsync without the display's help: one refresh period of the active
// screen, or 16 ms while its rate is unknown.
void sleepOneRefresh();

}  // namespace gfx
