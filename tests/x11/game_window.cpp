#include "tests/x11/game_window.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include "tests/x11/window_probe.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace lettermoor::testing {

void tolerateXErrors() {
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

Window findWindowByName(Display* display, const std::string& title) {
    return findTopLevel(display, [&](Window window) {
        char* name = nullptr;
        const bool match = XFetchName(display, window, &name) && name != nullptr && title == name;
        XFree(name);
        return match;
    });
}

bool GameWindow::capture(Frame& frame) const {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window_, &attributes) ||
        attributes.map_state != IsViewable) {
        return false;
    }
    XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    frame.width = attributes.width / scale_;
    frame.height = attributes.height / scale_;
    frame.pixels.clear();
    const int centre = scale_ / 2;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x * scale_ + centre, y * scale_ + centre);
            frame.pixels.push_back(static_cast<std::uint32_t>(pixel) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return true;
}

void GameWindow::movePointer(int x, int y) const {
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    const int centre = scale_ / 2;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x * scale_ + centre,
                          y * scale_ + centre, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
    XFlush(display_);
}

void GameWindow::setButton(unsigned button, bool down) const {
    XTestFakeButtonEvent(display_, button, down ? True : False, CurrentTime);
    XFlush(display_);
}

void GameWindow::click(int x, int y, int holdMicroseconds) const {
    movePointer(x, y);
    setButton(1, true);
    if (holdMicroseconds > 0) usleep(static_cast<useconds_t>(holdMicroseconds));
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

}  // namespace lettermoor::testing
