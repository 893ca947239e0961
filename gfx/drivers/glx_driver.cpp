#include "gfx/drivers/glx_driver.hpp"

#include <GL/glx.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "gfx/drivers/glx_config.hpp"
#include "gfx/drivers/x11_state.hpp"

namespace gfx::glx {
namespace {

// A window manager may take a moment to map the window.
constexpr auto MapWait = std::chrono::seconds(2);

struct LibraryCloser {
    void operator()(void* library) const { dlclose(library); }
};

// libGL, loaded by name when an OpenGL screen opens, so that programs that
// never ask for one neither link nor need it.
struct GlxFunctions {
    std::unique_ptr<void, LibraryCloser> library;
    Bool (*queryExtension)(Display*, int*, int*) = nullptr;
    Bool (*queryVersion)(Display*, int*, int*) = nullptr;
    GLXFBConfig* (*chooseFBConfig)(Display*, int, const int*, int*) = nullptr;
    int (*getFBConfigAttrib)(Display*, GLXFBConfig, int, int*) = nullptr;
    XVisualInfo* (*getVisualFromFBConfig)(Display*, GLXFBConfig) = nullptr;
    GLXContext (*createNewContext)(Display*, GLXFBConfig, int, GLXContext, Bool) = nullptr;
    void (*destroyContext)(Display*, GLXContext) = nullptr;
    Bool (*makeContextCurrent)(Display*, GLXDrawable, GLXDrawable, GLXContext) = nullptr;
    void (*swapBuffers)(Display*, GLXDrawable) = nullptr;
};

// Everything runs on the program's thread: there is no window thread, so no
// lock is needed.
struct GlxState {
    // Display, window, atoms, key table and mouse, in the form the X11 back
    // end's event handling works on.
    x11::X11State window;
    GlxFunctions glx;  // loaded while the window is open
    GLXContext context = nullptr;
    Colormap colormap = None;
};

GlxState& state() {
    static GlxState instance;
    return instance;
}

template <typename Function>
void entryPoint(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
}

// Loads "libGL.so.1", or the library LETTERMOOR_LIBGL names, and its entry
// points; false (and nothing loaded) when the library or any entry point is
// missing.
bool loadGlx(GlxFunctions& glx) {
    glx = GlxFunctions{};
    const char* name = std::getenv("LETTERMOOR_LIBGL");
    // Kept in memory after the close: GL drivers leave handlers behind that
    // must not outlive their code.
    glx.library.reset(dlopen(name != nullptr && name[0] != '\0' ? name : "libGL.so.1",
                             RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!glx.library) return false;
    void* library = glx.library.get();
    entryPoint(library, "glXQueryExtension", glx.queryExtension);
    entryPoint(library, "glXQueryVersion", glx.queryVersion);
    entryPoint(library, "glXChooseFBConfig", glx.chooseFBConfig);
    entryPoint(library, "glXGetFBConfigAttrib", glx.getFBConfigAttrib);
    entryPoint(library, "glXGetVisualFromFBConfig", glx.getVisualFromFBConfig);
    entryPoint(library, "glXCreateNewContext", glx.createNewContext);
    entryPoint(library, "glXDestroyContext", glx.destroyContext);
    entryPoint(library, "glXMakeContextCurrent", glx.makeContextCurrent);
    entryPoint(library, "glXSwapBuffers", glx.swapBuffers);
    if (glx.queryExtension && glx.queryVersion && glx.chooseFBConfig && glx.getFBConfigAttrib &&
        glx.getVisualFromFBConfig && glx.createNewContext && glx.destroyContext &&
        glx.makeContextCurrent && glx.swapBuffers) {
        return true;
    }
    glx = GlxFunctions{};
    return false;
}

int configAttribute(const GlxFunctions& glx, Display* display, GLXFBConfig config, int attribute) {
    int value = 0;
    glx.getFBConfigAttrib(display, config, attribute, &value);
    return value;
}

bool chooseConfig(const GlxFunctions& glx, Display* display, std::int32_t depth,
                  GLXFBConfig& chosen) {
    const int screenNumber = DefaultScreen(display);
    const ChannelBits bits = channelBitsFor(depth);
    const int attributes[] = {
        GLX_X_RENDERABLE, True,         GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,  // for a window,
        GLX_RENDER_TYPE,  GLX_RGBA_BIT, GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR,  // true colour,
        GLX_DOUBLEBUFFER, True,         GLX_RED_SIZE,      bits.red,        // double-buffered
        GLX_GREEN_SIZE,   bits.green,   GLX_BLUE_SIZE,     bits.blue,      None};
    int count = 0;
    GLXFBConfig* configs = glx.chooseFBConfig(display, screenNumber, attributes, &count);
    if (configs == nullptr) return false;
    std::vector<ConfigTraits> traits;
    for (int i = 0; i < count; ++i) {
        int visualDepth = 0;
        if (XVisualInfo* visual = glx.getVisualFromFBConfig(display, configs[i])) {
            visualDepth = visual->depth;
            XFree(visual);
        }
        traits.push_back(ConfigTraits{configAttribute(glx, display, configs[i], GLX_RED_SIZE),
                                      configAttribute(glx, display, configs[i], GLX_GREEN_SIZE),
                                      configAttribute(glx, display, configs[i], GLX_BLUE_SIZE),
                                      visualDepth});
    }
    const int index = pickConfig(traits, depth, DefaultDepth(display, screenNumber));
    if (index >= 0) chosen = configs[index];
    XFree(configs);
    return index >= 0;
}

// Direct rendering first; an indirect context where the server offers only that.
GLXContext createContext(const GlxFunctions& glx, Display* display, GLXFBConfig config) {
    for (Bool direct : {True, False}) {
        x11::beginErrorTrap();
        GLXContext context = glx.createNewContext(display, config, GLX_RGBA_TYPE, nullptr, direct);
        const bool failed = x11::endErrorTrap(display) > 0;
        if (context != nullptr && !failed) return context;
        if (context != nullptr) glx.destroyContext(display, context);
    }
    return nullptr;
}

bool createWindow(GlxState& g, GLXFBConfig config) {
    x11::X11State& s = g.window;
    XVisualInfo* visual = g.glx.getVisualFromFBConfig(s.display, config);
    if (visual == nullptr) return false;
    const Window root = RootWindow(s.display, DefaultScreen(s.display));
    g.colormap = XCreateColormap(s.display, root, visual->visual, AllocNone);

    const x11::WindowCorner corner = x11::centredCorner(s.display, s.width, s.height);
    XSetWindowAttributes attributes{};
    attributes.colormap = g.colormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;  // OpenGL paints every pixel
    attributes.event_mask = x11::WindowEventMask;
    s.window = XCreateWindow(s.display, root, corner.x, corner.y, static_cast<unsigned>(s.width),
                             static_cast<unsigned>(s.height), 0, visual->depth, InputOutput,
                             visual->visual,
                             CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
    XFree(visual);
    if (s.window == None) return false;
    x11::describeWindow(s, corner);
    return true;
}

// Handles events until the window is mapped, so the first frame is seen.
void waitUntilMapped(x11::X11State& s) {
    const auto deadline = std::chrono::steady_clock::now() + MapWait;
    while (!s.mapped && std::chrono::steady_clock::now() < deadline) {
        x11::handlePendingEvents(s);
        if (!s.mapped) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// 0 with the window shown and its context current on the calling thread, -1
// on failure (closeWindow undoes what was done).
int openWindow(GlxState& g, std::int32_t depth) {
    x11::X11State& s = g.window;
    XInitThreads();
    if (!x11::openConnection(s)) return -1;
    int errorBase = 0;
    int eventBase = 0;
    int major = 0;
    int minor = 0;
    if (!g.glx.queryExtension(s.display, &errorBase, &eventBase) ||
        !g.glx.queryVersion(s.display, &major, &minor) || (major == 1 && minor < 3)) {
        return -1;
    }
    GLXFBConfig config = nullptr;
    if (!chooseConfig(g.glx, s.display, depth, config) || !createWindow(g, config)) return -1;
    g.context = createContext(g.glx, s.display, config);
    if (g.context == nullptr ||
        !g.glx.makeContextCurrent(s.display, s.window, s.window, g.context)) {
        return -1;
    }
    x11::startInput(s);
    XMapRaised(s.display, s.window);
    XSync(s.display, False);
    waitUntilMapped(s);
    return 0;
}

void closeWindow(GlxState& g) {
    x11::X11State& s = g.window;
    if (s.display == nullptr) return;
    if (g.context != nullptr) {
        g.glx.makeContextCurrent(s.display, None, None, nullptr);
        g.glx.destroyContext(s.display, g.context);
    }
    if (g.colormap != None) XFreeColormap(s.display, g.colormap);
    x11::closeConnection(s);
    g.context = nullptr;
    g.colormap = None;
}

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
    g.glx = GlxFunctions{};
    g.window.screen = nullptr;
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
    x11::handlePendingEvents(s);
}

}  // namespace
}  // namespace gfx::glx

namespace gfx {

// No window thread shares the frame buffer: lock and unlock stay empty.
const DisplayDriver& glxDriver() {
    static const DisplayDriver driver{.name = "OpenGL",
                                      .init = glx::glxInit,
                                      .exit = glx::glxExit,
                                      .waitVsync = sleepOneRefresh,
                                      .getMouse = glx::glxGetMouse,
                                      .setTitle = glx::glxSetTitle,
                                      .flip = glx::glxFlip,
                                      .pollEvents = glx::glxPollEvents};
    return driver;
}

}  // namespace gfx
