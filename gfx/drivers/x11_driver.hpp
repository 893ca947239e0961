#pragma once
// The X11 window back end: a window of exactly the screen's size, served by
// a window thread that shows changed rows about every 10 ms and feeds the key
// ring and mouse state.

#include "gfx/driver.hpp"

namespace gfx {

const DisplayDriver& x11Driver();

}  // namespace gfx
