#include "tests/x11/game_window.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include "tests/x11/window_probe.hpp"

namespace lettermoor::testing {

namespace {

int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

void tolerateXErrors() {
    XSetErrorHandler(ignoreError);
}

Window findWindowByName(Display* display, const std::string& title) {
    Window root = DefaultRootWindow(display);
    Window parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = None;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return None;
    for (unsigned i = 0; i < count && found == None; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            if (title == name) found = children[i];
            XFree(name);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

std::string GameWindow::title() const {
    char* name = nullptr;
    if (!XFetchName(display_, window_, &name) || name == nullptr) return {};
    std::string text = name;
    XFree(name);
    return text;
}

bool GameWindow::clientSize(int& width, int& height) const {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window_, &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool GameWindow::capture(Frame& frame) const {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window_, &attributes) ||
        attributes.map_state != IsViewable) {
        return false;
    }
    const int width = attributes.width;
    const int height = attributes.height;
    XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const bool plain = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                       image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                       image->blue_mask == 0xFF;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel =
                plain ? row[x] : static_cast<std::uint32_t>(XGetPixel(image, x, y));
            frame.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(x)] = pixel & 0xFFFFFF;
        }
    }
    XDestroyImage(image);
    return true;
}

void GameWindow::movePointer(int x, int y) const {
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x, y, &rootX, &rootY,
                          &child);
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

void GameWindow::sendDeleteWindow() const {
    requestWindowClose(display_, window_);
}

void GameWindow::focus() const {
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XFlush(display_);
}

void GameWindow::focusElsewhere() const {
    XSetInputFocus(display_, PointerRoot, RevertToParent, CurrentTime);
    XFlush(display_);
}

bool GameWindow::hasFocus() const {
    Window focused = None;
    int revert = 0;
    XGetInputFocus(display_, &focused, &revert);
    return focused == window_;
}

}  // namespace lettermoor::testing
