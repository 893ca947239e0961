#pragma once
// The X11 window back end: a window of exactly the screen's size, served by
// a window thread that shows changed rows about every 10 ms and feeds the key
// ring and mouse state.

#include <cstdint>

#include "gfx/driver.hpp"

namespace gfx {

const DisplayDriver& x11Driver();

// What the window thread's presentation passes have done since the screen
// opened: passes that found marked rows, rows sent to the server, and the
// time those passes took, on the clock and in the window thread's own CPU
// time (which leaves out the server's part and other processes). For measuring.
struct PresentationStats {
    std::uint64_t passes = 0;
    std::uint64_t rowsSent = 0;
    std::uint64_t nanoseconds = 0;
    std::uint64_t cpuNanoseconds = 0;
};
PresentationStats x11PresentationStats();

}  // namespace gfx
