#include "gfx/drivers/glx_driver.hpp"

#include <chrono>
#include <string>
#include <thread>

#include "gfx/drivers/glx_state.hpp"

namespace gfx::glx {
namespace {

int glxInit(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
            std::int32_t, std::int32_t flags) {
    GlxState& g = state();
    x11::X11State& s = g.window;
    // Only OpenGL screens; the frame buffer itself is never shown here.
    if (flags < 0 || (flags & OpenGLScreen) == 0) return -1;
    if (s.display != nullptr || width <= 0 || height <= 0) return -1;
    Screen* screen = activeScreen();
    if (screen == nullptr) return -1;
    // Without libGL there is no OpenGL screen; the program goes on without one.
    if (!loadGlx(g.glx)) return -1;

    s.screen = screen;
    s.width = width;
    s.height = height;
    // The context belongs to this window: it never changes size or is
    // re-created for a switch to full screen.
    s.flags = flags | NoSwitch;
    s.initialTitle = title != nullptr ? title : "";
    s.mouse = MouseState{};
    s.keyDown.fill(false);
    s.mapped = false;
    s.framesReady.store(false);  // nothing of the frame buffer is presented
    return openWindow(g, depth);
}

void glxExit() {
    GlxState& g = state();
    closeWindow(g);
    unloadGlx(g.glx);
    g.window.screen = nullptr;
}

// No window thread shares the frame buffer.
void glxLock() {}
void glxUnlock() {}

void glxWaitVsync() {
    const Screen* screen = state().window.screen;
    const std::int32_t rate = screen != nullptr ? screen->refreshRate : 0;
    std::this_thread::sleep_for(rate > 0 ? std::chrono::milliseconds(1000 / rate)
                                         : std::chrono::milliseconds(16));
}

int glxGetMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                std::int32_t* clipped) {
    return takeMouse(state().window.mouse, x, y, wheel, buttons, clipped);
}

void glxSetTitle(const char* title) {
    x11::X11State& s = state().window;
    if (s.display == nullptr || title == nullptr) return;
    x11::applyTitle(s, title);
    XFlush(s.display);
}

void glxFlip() {
    const x11::X11State& s = state().window;
    const auto swapBuffers = state().glx.swapBuffers;
    if (s.display != nullptr && swapBuffers != nullptr) swapBuffers(s.display, s.window);
}

void glxPollEvents() {
    x11::X11State& s = state().window;
    if (s.display == nullptr) return;
    if (s.mouse.active) x11::refreshKeyState(s);
    while (XPending(s.display) > 0) {
        XEvent event;
        XNextEvent(s.display, &event);
        x11::handleEvent(s, event);
    }
}

}  // namespace

GlxState& state() {
    static GlxState instance;
    return instance;
}

}  // namespace gfx::glx

namespace gfx {

const DisplayDriver& glxDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d;
        d.name = "OpenGL";
        d.init = glx::glxInit;
        d.exit = glx::glxExit;
        d.lock = glx::glxLock;
        d.unlock = glx::glxUnlock;
        d.waitVsync = glx::glxWaitVsync;
        d.getMouse = glx::glxGetMouse;
        d.setTitle = glx::glxSetTitle;
        d.flip = glx::glxFlip;
        d.pollEvents = glx::glxPollEvents;
        return d;
    }();
    return driver;
}

}  // namespace gfx
