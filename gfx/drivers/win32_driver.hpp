#pragma once
// The Win32 back ends, in the order openScreen tries them. The "OpenGL" one
// serves only screens opened with the OpenGL flag.

#include "gfx/driver.hpp"

namespace gfx {

const DisplayDriver& directXDriver();
const DisplayDriver& gdiDriver();
const DisplayDriver& wglDriver();

}  // namespace gfx
