#include "gfx/drivers/platform_drivers.hpp"

namespace gfx {

std::vector<const DisplayDriver*> platformDrivers() { return {}; }

}  // namespace gfx
