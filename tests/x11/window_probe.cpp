#include "tests/x11/window_probe.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

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

void setKey(Display* display, KeyCode keycode, bool down) {
    XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime);
    XFlush(display);
}

void tapKey(Display* display, unsigned long keysym) {
    setKey(display, XKeysymToKeycode(display, keysym), true);
    setKey(display, XKeysymToKeycode(display, keysym), false);
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

std::string windowFacts(Display* display, Window window) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a)) return "gone";
    std::ostringstream facts;
    facts << a.width << "x" << a.height << " at " << a.x << "," << a.y;
    if (a.map_state != IsViewable) facts << ", hidden";
    XSizeHints size{};
    long supplied = 0;
    if (XGetWMNormalHints(display, window, &size, &supplied) && size.min_width == a.width &&
        size.max_width == a.width && size.min_height == a.height && size.max_height == a.height) {
        facts << ", fixed";
    }
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) facts << ", class " << hint.res_class;
    XFree(hint.res_name);
    XFree(hint.res_class);
    Atom* protocols = nullptr;
    int count = 0;
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (XGetWMProtocols(display, window, &protocols, &count) &&
        std::count(protocols, protocols + count, deleteWindow) == 1) {
        facts << ", closable";
    }
    XFree(protocols);
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) facts << ", titled " << name;
    XFree(name);
    return facts.str();
}

}  // namespace lettermoor::testing
