#include "gfx/drivers/platform_drivers.hpp"

#if defined(LETTERMOOR_HAVE_X11)
#include "gfx/drivers/x11_driver.hpp"
#endif

namespace gfx {

std::vector<const DisplayDriver*> platformDrivers() {
#if defined(LETTERMOOR_HAVE_X11)
    return {&x11Driver()};
#else
    return {};
#endif
}

}  // namespace gfx
