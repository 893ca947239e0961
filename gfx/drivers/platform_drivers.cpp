#include "gfx/drivers/platform_drivers.hpp"

#include "gfx/console_keys.hpp"

#if defined(LETTERMOOR_HAVE_X11)
#include "gfx/drivers/x11_driver.hpp"
#endif
#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_driver.hpp"
#endif

namespace gfx {

std::vector<const DisplayDriver*> platformDrivers() {
    // Whenever no screen is open, keys come from the terminal.
    installConsoleKeys();
    std::vector<const DisplayDriver*> drivers;
#if defined(LETTERMOOR_HAVE_X11)
    drivers.push_back(&x11Driver());
#endif
#if defined(LETTERMOOR_HAVE_GLX)
    drivers.push_back(&glxDriver());
#endif
    return drivers;
}

}  // namespace gfx
