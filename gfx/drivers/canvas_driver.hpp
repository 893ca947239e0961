#pragma once
// The browser back end: the screen on the page's 2D canvas. The browser has no
// window thread: the outer unlock shows the changed rows, and key and mouse
// events arrive between frames on the one thread.

#include "gfx/driver.hpp"

namespace gfx {

const DisplayDriver& canvasDriver();

}  // namespace gfx
