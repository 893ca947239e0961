#pragma once
// The "OpenGL" back end on Windows: a window with a double-buffered pixel
// format of the screen's colour depth, created on the program's thread with
// its context current there. The program draws with OpenGL itself and calls
// flip and pollEvents; only screens opened with the OpenGL flag are accepted.

#include "gfx/driver.hpp"

namespace gfx {

const DisplayDriver& wglDriver();

}  // namespace gfx
