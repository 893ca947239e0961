#include "gfx/drivers/platform_drivers.hpp"

#if defined(__EMSCRIPTEN__)
#include "gfx/drivers/canvas_driver.hpp"
#elif defined(_WIN32)
#include "gfx/drivers/win32_driver.hpp"
#endif

#if defined(LETTERMOOR_HAVE_X11)
#include "gfx/drivers/x11_driver.hpp"
#endif
#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_driver.hpp"
#endif

namespace gfx {

std::vector<const DisplayDriver*> platformDrivers() {
#if defined(__EMSCRIPTEN__)
    return {&canvasDriver()};
#elif defined(_WIN32)
    return {&directXDriver(), &gdiDriver(), &wglDriver()};
#else
    std::vector<const DisplayDriver*> drivers;
#if defined(LETTERMOOR_HAVE_X11)
    drivers.push_back(&x11Driver());
#endif
#if defined(LETTERMOOR_HAVE_GLX)
    drivers.push_back(&glxDriver());
#endif
    return drivers;
#endif
}

}  // namespace gfx
