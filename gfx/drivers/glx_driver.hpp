#pragma once
// The OpenGL back end on X: a double-buffered GLX window of exactly the
// screen's size, created on the program's thread with its context current
// there. The program draws with OpenGL itself and calls flip and pollEvents;
// only screens opened with the OpenGL flag are accepted.

#include "gfx/driver.hpp"

namespace gfx {

const DisplayDriver& glxDriver();

}  // namespace gfx
