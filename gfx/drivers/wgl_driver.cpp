#include "gfx/drivers/wgl_driver.hpp"

#include "gfx/drivers/wgl_library.hpp"
#include "gfx/drivers/win32_driver.hpp"
#include "gfx/drivers/win32_keyboard.hpp"
#include "gfx/drivers/win32_window.hpp"

namespace gfx::win32 {
namespace {

struct WglState {
    WglFunctions wgl;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

WglState& wglState() {
    static WglState instance;
    return instance;
}

// No window thread: the window procedure finds no hooks to call.
const WindowBackEnd wglBackEnd{};

int wglInit(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
            std::int32_t refresh, std::int32_t flags) {
    WglState& g = wglState();
    // Only windowed OpenGL screens; the context belongs to this one window,
    // so it is never re-created for a switch to full screen.
    if (flags < 0 || (flags & OpenGLScreen) == 0 || (flags & FullScreen) != 0) return -1;
    if (g.context != nullptr) return -1;
    if (prepareLayer(wglBackEnd, title, width, height, depth, refresh, flags | NoSwitch,
                     CS_DBLCLKS) != 0) {
        return -1;
    }
    WindowLayer& w = layer();
    if (!loadWgl(g.wgl)) return -1;
    querySetupExtensions(g.wgl, w.instance);

    if (createLayerWindow(w, nullptr) == nullptr) return -1;
    g.dc = GetDC(w.window);
    if (g.dc == nullptr) return -1;
    PIXELFORMATDESCRIPTOR format{};
    const int index = choosePixelFormat(g.wgl, g.dc, w.depth, format);
    if (index == 0 || !SetPixelFormat(g.dc, index, &format)) return -1;
    g.context = g.wgl.createContext(g.dc);
    if (g.context == nullptr || !g.wgl.makeCurrent(g.dc, g.context)) return -1;
    w.screen->refreshRate = GetDeviceCaps(g.dc, VREFRESH);
    return 0;
}

void wglExit() {
    WglState& g = wglState();
    WindowLayer& w = layer();
    if (g.context != nullptr) {
        g.wgl.makeCurrent(nullptr, nullptr);
        g.wgl.deleteContext(g.context);
    }
    if (g.dc != nullptr) ReleaseDC(w.window, g.dc);
    if (w.window != nullptr) DestroyWindow(w.window);
    g.context = nullptr;
    g.dc = nullptr;
    unloadWgl(g.wgl);
    stopLayer();
}

// Nothing shares the frame buffer with another thread.
void wglLock() {}
void wglUnlock() {}

void wglWaitVsync() {
    const Screen* screen = layer().screen;
    const std::int32_t rate = screen != nullptr ? screen->refreshRate : 0;
    Sleep(rate > 0 ? static_cast<DWORD>(1000 / rate) : 16);
}

void wglSetTitle(const char* title) {
    WindowLayer& w = layer();
    if (title == nullptr) return;
    w.title = title;
    if (w.window != nullptr) SetWindowTextA(w.window, title);
}

void wglFlip() {
    const WglState& g = wglState();
    if (g.dc != nullptr) SwapBuffers(g.dc);
}

void wglPollEvents() {
    WindowLayer& w = layer();
    if (w.window == nullptr) return;
    if (w.mouse.active && w.screen != nullptr) {
        KeyboardState keyboard{};
        if (GetKeyboardState(keyboard.data())) keyStateFromKeyboard(keyboard, w.screen->keyState);
    }
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace
}  // namespace gfx::win32

namespace gfx {

const DisplayDriver& wglDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d = win32::sharedSlots("OpenGL");
        d.init = win32::wglInit;
        d.exit = win32::wglExit;
        d.lock = win32::wglLock;
        d.unlock = win32::wglUnlock;
        d.setPalette = nullptr;
        d.waitVsync = win32::wglWaitVsync;
        d.setTitle = win32::wglSetTitle;
        d.fetchModes = [](std::int32_t depth) { return win32::displayModes(depth, true); };
        d.flip = win32::wglFlip;
        d.pollEvents = win32::wglPollEvents;
        return d;
    }();
    return driver;
}

}  // namespace gfx
