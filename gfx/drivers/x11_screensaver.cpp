#include "gfx/drivers/x11_state.hpp"

#if defined(LETTERMOOR_HAVE_XSS)
#include <X11/extensions/scrnsaver.h>
#endif

namespace gfx::x11 {

void suspendScreenSaver(Display* display, ScreenSaverState& saver) {
#if defined(LETTERMOOR_HAVE_XSS)
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    // Suspension exists from version 1.1 on and ends by itself if we vanish.
    if (XScreenSaverQueryExtension(display, &eventBase, &errorBase) &&
        XScreenSaverQueryVersion(display, &major, &minor) && (major > 1 || minor >= 1)) {
        XScreenSaverSuspend(display, True);
        saver.suspended = true;
        return;
    }
#endif
    XGetScreenSaver(display, &saver.timeout, &saver.interval, &saver.preferBlanking,
                    &saver.allowExposures);
    XSetScreenSaver(display, 0, saver.interval, saver.preferBlanking, saver.allowExposures);
    saver.timeoutChanged = true;
}

void restoreScreenSaver(Display* display, ScreenSaverState& saver) {
#if defined(LETTERMOOR_HAVE_XSS)
    if (saver.suspended) XScreenSaverSuspend(display, False);
#endif
    if (saver.timeoutChanged) {
        XSetScreenSaver(display, saver.timeout, saver.interval, saver.preferBlanking,
                        saver.allowExposures);
    }
    saver = ScreenSaverState{};
}

}  // namespace gfx::x11
