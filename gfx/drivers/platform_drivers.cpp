#include "gfx/drivers/platform_drivers.hpp"

#if defined(_WIN32)
#include "gfx/drivers/win32_driver.hpp"
#else
#include "gfx/console_keys.hpp"
#endif

#if defined(LETTERMOOR_HAVE_X11)
#include "gfx/drivers/x11_driver.hpp"
#endif

namespace gfx {

std::vector<const DisplayDriver*> platformDrivers() {
#if defined(_WIN32)
    return {&directXDriver(), &gdiDriver()};
#else
    // Whenever no screen is open, keys come from the terminal.
    installConsoleKeys();
#if defined(LETTERMOOR_HAVE_X11)
    return {&x11Driver()};
#else
    return {};
#endif
#endif
}

}  // namespace gfx
