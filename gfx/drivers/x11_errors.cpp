#include <atomic>
#include <string>

#include "gfx/display_loss.hpp"
#include "gfx/drivers/x11_state.hpp"

namespace gfx::x11 {
namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
using IOErrorHandler = int (*)(Display*);

std::atomic<Display*> ownDisplay{nullptr};
std::atomic<ErrorHandler> previousHandler{nullptr};
std::atomic<IOErrorHandler> previousIOHandler{nullptr};
std::atomic<int> trappedErrors{0};

// Xlib's default handler ends the process. The window's own requests can
// fail harmlessly (focus on a window being unmapped, a refused shared-memory
// attach), so they are counted instead; other connections keep their handler.
int onXError(Display* display, XErrorEvent* error) {
    if (display == ownDisplay.load()) {
        trappedErrors.fetch_add(1);
        return 0;
    }
    const ErrorHandler previous = previousHandler.load();
    return previous != nullptr ? previous(display, error) : 0;
}

// Xlib's default prints several lines about the broken connection; the
// program says it once, in its own words, when it ends.
int onIOError(Display* display) {
    if (display == ownDisplay.load()) return 0;
    const IOErrorHandler previous = previousIOHandler.load();
    return previous != nullptr ? previous(display) : 0;
}

// Replaces Xlib's exit(1) on the window thread, which would run the exit
// handlers that wait for this very thread. Returning into Xlib from the
// window thread is no option either: it would go on with a display lock it
// has already let go of, so that thread parks.
void onConnectionLost(Display* display, void*) {
    const char* name = DisplayString(display);
    reportDisplayLost("lost the connection to the X server ", name != nullptr ? name : "");
    parkIfWindowThread();
}

}  // namespace

void installErrorHandler(Display* display) {
    ownDisplay.store(display);
    const ErrorHandler previous = XSetErrorHandler(onXError);
    if (previous != onXError) previousHandler.store(previous);
    const IOErrorHandler previousIO = XSetIOErrorHandler(onIOError);
    if (previousIO != onIOError) previousIOHandler.store(previousIO);
    XSetIOErrorExitHandler(display, onConnectionLost, nullptr);
}

void removeErrorHandler() {
    ownDisplay.store(nullptr);
    const ErrorHandler current = XSetErrorHandler(previousHandler.load());
    if (current != onXError) XSetErrorHandler(current);  // someone else took over; keep theirs
    const IOErrorHandler currentIO = XSetIOErrorHandler(previousIOHandler.load());
    if (currentIO != onIOError) XSetIOErrorHandler(currentIO);
}

void beginErrorTrap() {
    trappedErrors.store(0);
}

int endErrorTrap(Display* display) {
    XSync(display, False);
    return trappedErrors.exchange(0);
}

}  // namespace gfx::x11
