#include "gfx/drivers/platform_drivers.hpp"

#include "gfx/console_keys.hpp"

#if defined(LETTERMOOR_HAVE_X11)
#include "gfx/drivers/x11_driver.hpp"
#endif

namespace gfx {

std::vector<const DisplayDriver*> platformDrivers() {
    // Whenever no screen is open, keys come from the terminal.
    installConsoleKeys();
#if defined(LETTERMOOR_HAVE_X11)
    return {&x11Driver()};
#else
    return {};
#endif
}

}  // namespace gfx
