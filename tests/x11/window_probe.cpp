#include "tests/x11/window_probe.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

#include "tests/x11/xvfb_server.hpp"

namespace lettermoor::testing {

std::uint32_t windowPixel(Display* display, Window window, int x, int y) {
    // Reading an unmapped window is an X error, which would end the test.
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
        return 0xFFFFFFFFu;
    }
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFFu;
    const auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return pixel;
}

bool nearColour(std::uint32_t actual, std::uint32_t expected, int tolerance) {
    if (actual > 0xFFFFFF) return false;
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance) return false;
    }
    return true;
}

void tapKey(Display* display, unsigned long keysym) {
    const KeyCode keycode = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(display, keycode, False, CurrentTime);
    XFlush(display);
}

void requestWindowClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

bool waitForFocus(Display* display, Window window) {
    return waitFor([&] {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        return focus == window;
    });
}

}  // namespace lettermoor::testing
