#include <chrono>
#include <thread>
#include <vector>

#include "gfx/drivers/glx_config.hpp"
#include "gfx/drivers/glx_state.hpp"

namespace gfx::glx {
namespace {

// A window manager may take a moment to map the window.
constexpr auto MapWait = std::chrono::seconds(2);

int configAttribute(const GlxFunctions& glx, Display* display, GLXFBConfig config, int attribute) {
    int value = 0;
    glx.getFBConfigAttrib(display, config, attribute, &value);
    return value;
}

bool chooseConfig(const GlxFunctions& glx, Display* display, std::int32_t depth,
                  GLXFBConfig& chosen) {
    const int screenNumber = DefaultScreen(display);
    const ChannelBits bits = channelBitsFor(depth);
    const int attributes[] = {GLX_X_RENDERABLE,
                              True,
                              GLX_DRAWABLE_TYPE,
                              GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_X_VISUAL_TYPE,
                              GLX_TRUE_COLOR,
                              GLX_DOUBLEBUFFER,
                              True,
                              GLX_RED_SIZE,
                              bits.red,
                              GLX_GREEN_SIZE,
                              bits.green,
                              GLX_BLUE_SIZE,
                              bits.blue,
                              None};
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
        while (!s.mapped && XPending(s.display) > 0) {
            XEvent event;
            XNextEvent(s.display, &event);
            x11::handleEvent(s, event);
        }
        if (!s.mapped) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

int openWindow(GlxState& g, std::int32_t depth) {
    x11::X11State& s = g.window;
    XInitThreads();
    s.display = XOpenDisplay(nullptr);
    if (s.display == nullptr) return -1;
    x11::installErrorHandler(s.display);
    x11::internAtoms(s);

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
    x11::stopInput(s);
    if (s.window != None) XDestroyWindow(s.display, s.window);
    if (g.colormap != None) XFreeColormap(s.display, g.colormap);
    XSync(s.display, False);
    x11::removeErrorHandler();
    XCloseDisplay(s.display);
    g.context = nullptr;
    g.colormap = None;
    s.window = None;
    s.display = nullptr;
}

}  // namespace gfx::glx
