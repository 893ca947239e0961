#pragma once
// The window back ends this build has, in the order openScreen tries them.

#include <vector>

#include "gfx/driver.hpp"

namespace gfx {

std::vector<const DisplayDriver*> platformDrivers();

}  // namespace gfx
