#include <atomic>

#include "gfx/drivers/x11_state.hpp"

namespace gfx::x11 {
namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);

std::atomic<Display*> ownDisplay{nullptr};
std::atomic<ErrorHandler> previousHandler{nullptr};
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

}  // namespace

void installErrorHandler(Display* display) {
    ownDisplay.store(display);
    const ErrorHandler previous = XSetErrorHandler(onXError);
    if (previous != onXError) previousHandler.store(previous);
}

void removeErrorHandler() {
    ownDisplay.store(nullptr);
    const ErrorHandler current = XSetErrorHandler(previousHandler.load());
    if (current != onXError) XSetErrorHandler(current);  // someone else took over; keep theirs
}

void beginErrorTrap() {
    trappedErrors.store(0);
}

int endErrorTrap(Display* display) {
    XSync(display, False);
    return trappedErrors.exchange(0);
}

}  // namespace gfx::x11
