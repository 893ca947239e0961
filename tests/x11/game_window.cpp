#include "tests/x11/game_window.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <sstream>

#include "tests/x11/xvfb_server.hpp"

namespace lettermoor::testing {
namespace {

constexpr int ClientWidth = 1000;
constexpr int ClientHeight = 600;
constexpr int GridExtent = 600;

// Whether the grid's top and left lines start at (x, y) of the image.
bool gridCornerAt(XImage* image, int x, int y) {
    const auto black = [&](int px, int py) { return (XGetPixel(image, px, py) & 0xFFFFFF) == 0; };
    if (x > 0 && black(x - 1, y + 15)) return false;
    for (int i = 0; i < GridExtent; i += 3) {
        if (!black(x + i, y) || !black(x, y + i)) return false;
    }
    return true;
}

}  // namespace

bool GameWindow::capture(Frame& frame) const {
    const int width = ClientWidth * scale_;
    const int height = ClientHeight * scale_;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window_, &attributes) ||
        attributes.map_state != IsViewable || attributes.width < width ||
        attributes.height < height) {
        return false;
    }
    // Read from the root window: it shows what the player sees, frame and all.
    int rootX = 0;
    int rootY = 0;
    Window child = None;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &rootX, &rootY,
                          &child);
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), rootX, rootY,
                              static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    bool found = attributes.width == width && attributes.height == height;
    if (found) left_ = top_ = 0;
    for (int y = 0; !found && y + height <= attributes.height; ++y) {
        for (int x = 0; !found && x + width <= attributes.width; ++x) {
            if ((found = gridCornerAt(image, x, y))) left_ = x, top_ = y;
        }
    }
    frame.width = ClientWidth;
    frame.height = ClientHeight;
    frame.pixels.clear();
    const int centre = scale_ / 2;
    for (int y = 0; found && y < ClientHeight; ++y) {
        for (int x = 0; x < ClientWidth; ++x) {
            const unsigned long pixel =
                XGetPixel(image, left_ + x * scale_ + centre, top_ + y * scale_ + centre);
            frame.pixels.push_back(static_cast<std::uint32_t>(pixel) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return found;
}

void GameWindow::movePointer(int x, int y) const {
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    const int centre = scale_ / 2;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_),
                          left_ + x * scale_ + centre, top_ + y * scale_ + centre, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
    XFlush(display_);
}

void GameWindow::setButton(unsigned button, bool down) const {
    XTestFakeButtonEvent(display_, button, down ? True : False, CurrentTime);
    XFlush(display_);
}

void GameWindow::click(int x, int y) const {
    movePointer(x, y);
    setButton(1, true);
    // The X back end keeps a press shorter than a frame; others poll the button.
    if (holdMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(holdMs_));
    setButton(1, false);
}

void GameWindow::tapKey(unsigned long keysym) const {
    lettermoor::testing::tapKey(display_, keysym);
}

void GameWindow::focus() const {
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XFlush(display_);
}

void GameWindow::focusElsewhere() const {
    XSetInputFocus(display_, PointerRoot, RevertToParent, CurrentTime);
    XFlush(display_);
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
