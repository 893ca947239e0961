#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "gfx/drivers/x11_driver.hpp"
#include "gfx/drivers/x11_state.hpp"
#include "runtime/cp437.hpp"

#if defined(LETTERMOOR_HAVE_XINERAMA)
#include <X11/extensions/Xinerama.h>
#endif
#if defined(LETTERMOOR_HAVE_XRANDR)
#include <X11/extensions/Xrandr.h>
#endif

namespace gfx::x11 {
namespace {

constexpr auto PassInterval = std::chrono::milliseconds(10);
// Bound on waiting for the window thread to take over a title.
constexpr auto TitleWait = std::chrono::seconds(2);

struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
};

// The monitor under the pointer, or the whole screen without monitor
// information.
Area monitorUnderPointer(Display* display) {
    const int screen = DefaultScreen(display);
    Area whole{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    Window root = RootWindow(display, screen);
    Window child = None;
    int px = 0;
    int py = 0;
    int wx = 0;
    int wy = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display, root, &root, &child, &px, &py, &wx, &wy, &mask)) return whole;

#if defined(LETTERMOOR_HAVE_XINERAMA)
    int eventBase = 0;
    int errorBase = 0;
    if (XineramaQueryExtension(display, &eventBase, &errorBase) && XineramaIsActive(display)) {
        int count = 0;
        XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
        Area found;
        for (int i = 0; i < count; ++i) {
            const Area area{screens[i].x_org, screens[i].y_org, screens[i].width,
                            screens[i].height};
            if (area.contains(px, py)) found = area;
        }
        if (screens != nullptr) XFree(screens);
        if (found.width > 0) return found;
    }
#endif
#if defined(LETTERMOOR_HAVE_XRANDR)
    int randrEvents = 0;
    int randrErrors = 0;
    if (XRRQueryExtension(display, &randrEvents, &randrErrors)) {
        Area found;
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root)) {
            for (int i = 0; i < resources->ncrtc && found.width == 0; ++i) {
                XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
                if (crtc == nullptr) continue;
                const Area area{crtc->x, crtc->y, static_cast<int>(crtc->width),
                                static_cast<int>(crtc->height)};
                if (crtc->mode != None && area.contains(px, py)) found = area;
                XRRFreeCrtcInfo(crtc);
            }
            XRRFreeScreenResources(resources);
        }
        if (found.width > 0) return found;
    }
#endif
    return whole;
}

void readRefreshRate(X11State& s) {
#if defined(LETTERMOOR_HAVE_XRANDR)
    int events = 0;
    int errors = 0;
    if (!XRRQueryExtension(s.display, &events, &errors)) return;
    if (XRRScreenConfiguration* config =
            XRRGetScreenInfo(s.display, RootWindow(s.display, DefaultScreen(s.display)))) {
        s.screen->refreshRate = XRRConfigCurrentRate(config);
        XRRFreeScreenConfigInfo(config);
    }
#else
    (void)s;
#endif
}

void internAtoms(X11State& s) {
    Atoms& a = s.atoms;
    a.wmProtocols = XInternAtom(s.display, "WM_PROTOCOLS", False);
    a.wmDeleteWindow = XInternAtom(s.display, "WM_DELETE_WINDOW", False);
    a.netWmPing = XInternAtom(s.display, "_NET_WM_PING", False);
    a.netWmPid = XInternAtom(s.display, "_NET_WM_PID", False);
    a.netWmName = XInternAtom(s.display, "_NET_WM_NAME", False);
    a.utf8String = XInternAtom(s.display, "UTF8_STRING", False);
    a.netWmState = XInternAtom(s.display, "_NET_WM_STATE", False);
    a.netWmStateFullscreen = XInternAtom(s.display, "_NET_WM_STATE_FULLSCREEN", False);
    a.netWmStateMaximizedVert = XInternAtom(s.display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    a.netWmStateMaximizedHorz = XInternAtom(s.display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    a.netWmStateAbove = XInternAtom(s.display, "_NET_WM_STATE_ABOVE", False);
    a.motifWmHints = XInternAtom(s.display, "_MOTIF_WM_HINTS", False);
}

// WM_NAME takes Latin-1, _NET_WM_NAME UTF-8; the title is code page 437.
void applyTitle(X11State& s, const std::string& title) {
    std::u32string characters;
    for (unsigned char byte : title) characters.push_back(runtime::cp437ToUnicode(byte));
    std::string latin1;
    std::string utf8;
    for (char32_t ch : characters) {
        latin1.push_back(static_cast<char>(ch <= 0xFF ? ch : U'?'));
        runtime::appendUtf8(ch, utf8);
    }
    XStoreName(s.display, s.window, latin1.c_str());
    XChangeProperty(s.display, s.window, s.atoms.netWmName, s.atoms.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
}

void applyPendingTitle(X11State& s) {
    std::string title;
    std::uint64_t request = 0;
    {
        std::lock_guard<std::mutex> guard(s.titleMutex);
        if (s.titleDone == s.titleRequested) return;
        title = s.pendingTitle;
        request = s.titleRequested;
    }
    applyTitle(s, title);
    XFlush(s.display);
    {
        std::lock_guard<std::mutex> guard(s.titleMutex);
        s.titleDone = request;
    }
    s.titleApplied.notify_all();
}

void setInitialWindowState(X11State& s) {
    std::vector<Atom> states;
    if (s.flags & FullScreen) states.push_back(s.atoms.netWmStateFullscreen);
    if (s.flags & AlwaysOnTop) states.push_back(s.atoms.netWmStateAbove);
    s.fullScreen = (s.flags & FullScreen) != 0;
    if (!states.empty()) {
        XChangeProperty(s.display, s.window, s.atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()),
                        static_cast<int>(states.size()));
    }
    if (s.flags & NoFrame) {
        // Motif hints: flags = decorations given, decorations = none.
        const long hints[5] = {2, 0, 0, 0, 0};
        XChangeProperty(s.display, s.window, s.atoms.motifWmHints, s.atoms.motifWmHints, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(hints), 5);
    }
}

void openInputMethod(X11State& s) {
    XSetLocaleModifiers("");
    s.inputMethod = XOpenIM(s.display, nullptr, nullptr, nullptr);
    if (s.inputMethod == nullptr) return;
    s.inputContext = XCreateIC(s.inputMethod, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                               XNClientWindow, s.window, XNFocusWindow, s.window, nullptr);
}

int createWindow(X11State& s) {
    s.display = XOpenDisplay(nullptr);
    if (s.display == nullptr) return -1;
    installErrorHandler(s.display);
    internAtoms(s);

    const int screenNumber = DefaultScreen(s.display);
    Visual* visual = DefaultVisual(s.display, screenNumber);
    const int depth = DefaultDepth(s.display, screenNumber);
    if (visual->c_class != TrueColor) return -1;

    const Area monitor = monitorUnderPointer(s.display);
    const int x = monitor.x + (monitor.width - s.width) / 2;
    const int y = monitor.y + (monitor.height - s.height) / 2;

    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(s.display, screenNumber);
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | FocusChangeMask | StructureNotifyMask |
                            PropertyChangeMask;
    s.window =
        XCreateWindow(s.display, RootWindow(s.display, screenNumber), x, y,
                      static_cast<unsigned>(s.width), static_cast<unsigned>(s.height), 0, depth,
                      InputOutput, visual, CWBackPixel | CWBitGravity | CWEventMask, &attributes);
    if (s.window == None) return -1;

    XSizeHints size{};
    size.flags = PPosition | USPosition | PSize | PMinSize | PMaxSize;
    size.x = x;
    size.y = y;
    size.width = size.min_width = size.max_width = s.width;
    size.height = size.min_height = size.max_height = s.height;
    XSetWMNormalHints(s.display, s.window, &size);

    std::string resName = "lettermoor";
    std::string resClass = "Lettermoor";
    XClassHint classHint{resName.data(), resClass.data()};
    XSetClassHint(s.display, s.window, &classHint);

    Atom protocols[2] = {s.atoms.wmDeleteWindow, s.atoms.netWmPing};
    XSetWMProtocols(s.display, s.window, protocols, 2);
    const long pid = static_cast<long>(getpid());
    XChangeProperty(s.display, s.window, s.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    applyTitle(s, s.initialTitle);
    setInitialWindowState(s);

    s.gc = XCreateGC(s.display, s.window, 0, nullptr);
    if (s.gc == nullptr || !createPresenter(s, visual, depth)) return -1;

    Bool detectable = False;
    XkbSetDetectableAutoRepeat(s.display, True, &detectable);
    loadKeyboardMapping(s);
    openInputMethod(s);
    suspendScreenSaver(s.display, s.screenSaver);
    readRefreshRate(s);

    XMapRaised(s.display, s.window);
    XSync(s.display, False);
    return 0;
}

void destroyWindow(X11State& s) {
    if (s.display == nullptr) return;
    restoreScreenSaver(s.display, s.screenSaver);
    if (s.inputContext != nullptr) XDestroyIC(s.inputContext);
    if (s.inputMethod != nullptr) XCloseIM(s.inputMethod);
    destroyPresenter(s);
    if (s.gc != nullptr) XFreeGC(s.display, s.gc);
    if (s.window != None) XDestroyWindow(s.display, s.window);
    XSync(s.display, False);
    removeErrorHandler();
    XCloseDisplay(s.display);
    s.inputContext = nullptr;
    s.inputMethod = nullptr;
    s.gc = nullptr;
    s.window = None;
    s.display = nullptr;
}

void signalStart(X11State& s, std::int32_t result) {
    {
        std::lock_guard<std::mutex> guard(s.startMutex);
        s.startResult = result;
    }
    s.startChanged.notify_all();
}

void releaseWaitingTitle(X11State& s) {
    {
        std::lock_guard<std::mutex> guard(s.titleMutex);
        s.titleDone = s.titleRequested;
    }
    s.titleApplied.notify_all();
}

// One pass: show the changed rows, refresh the key state, handle every
// pending event, all under the frame lock.
void runPass(X11State& s) {
    std::unique_lock<std::mutex> guard(s.frameLock);
    s.windowHoldsLock = true;
    applyPendingTitle(s);
    const bool ready = s.framesReady.load();
    if (ready) presentDirtyRows(s);
    if (ready && s.mouse.active) refreshKeyState(s);
    while (XPending(s.display) > 0) {
        XEvent event;
        XNextEvent(s.display, &event);
        handleEvent(s, event);
    }
    s.windowHoldsLock = false;
}

void runWindow(X11State& s) {
    if (createWindow(s) != 0) {
        destroyWindow(s);
        signalStart(s, -1);
        return;
    }
    signalStart(s, 1);
    while (s.running.load()) {
        runPass(s);
        std::this_thread::sleep_for(PassInterval);
    }
    destroyWindow(s);
}

void windowThread(X11State& s) {
    runWindow(s);
    s.threadFinished.store(true);
}

// The window thread either finishes or parks after losing its connection;
// a parked one is left to end with the process.
void endWindowThread(X11State& s) {
    while (!s.threadFinished.load() && !s.threadParked.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (s.threadParked.load()) {
        s.thread.detach();
    } else {
        s.thread.join();
    }
}

int x11Init(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
            std::int32_t, std::int32_t flags) {
    X11State& s = state();
    if (s.thread.joinable()) return -1;
    // The frame buffer is shown as 32-bit pixels only; OpenGL screens are not ours.
    if (depth != 32 || (flags & OpenGLScreen) != 0 || width <= 0 || height <= 0) return -1;
    Screen* screen = activeScreen();
    if (screen == nullptr) return -1;

    static std::once_flag threadsInitialised;
    std::call_once(threadsInitialised, [] { XInitThreads(); });

    s.screen = screen;
    s.width = width;
    s.height = height;
    s.flags = flags;
    s.initialTitle = title != nullptr ? title : "";
    s.mouse = MouseState{};
    s.startResult = 0;
    s.framesReady.store(false);
    s.programHoldsLock.store(false);
    s.threadFinished.store(false);
    s.threadParked.store(false);
    s.running.store(true);
    s.thread = std::thread(windowThread, std::ref(s));

    std::unique_lock<std::mutex> wait(s.startMutex);
    s.startChanged.wait(wait, [&s] { return s.startResult != 0; });
    const bool started = s.startResult > 0;
    wait.unlock();
    if (started) return 0;

    s.running.store(false);
    endWindowThread(s);
    s.screen = nullptr;
    return -1;
}

void x11Exit() {
    X11State& s = state();
    if (!s.thread.joinable()) return;
    // The window thread needs the frame lock to finish its pass.
    if (s.screen != nullptr && s.screen->lockCount > 0) s.screen->lockCount = 0;
    if (s.programHoldsLock.exchange(false)) s.frameLock.unlock();
    s.running.store(false);
    releaseWaitingTitle(s);
    endWindowThread(s);
    s.screen = nullptr;
}

void x11Lock() {
    X11State& s = state();
    s.frameLock.lock();
    s.programHoldsLock.store(true);
    s.framesReady.store(true);
}

void x11Unlock() {
    X11State& s = state();
    if (s.programHoldsLock.exchange(false)) s.frameLock.unlock();
}

void x11SetTitle(const char* title) {
    X11State& s = state();
    if (!s.running.load() || title == nullptr) return;
    // The window thread sets the title during a pass, which needs the frame lock.
    const bool held = s.programHoldsLock.exchange(false);
    if (held) s.frameLock.unlock();
    {
        std::unique_lock<std::mutex> guard(s.titleMutex);
        s.pendingTitle = title;
        const std::uint64_t request = ++s.titleRequested;
        s.titleApplied.wait_for(guard, TitleWait, [&s, request] {
            return s.titleDone >= request || !s.running.load();
        });
    }
    if (held) {
        s.frameLock.lock();
        s.programHoldsLock.store(true);
    }
}

int x11GetMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                std::int32_t* clipped) {
    MouseState& m = state().mouse;
    const std::int32_t pressed = m.pressedSinceRead;
    m.pressedSinceRead = 0;
    if (!m.active || !m.inside) return -1;
    if (x != nullptr) *x = m.x;
    if (y != nullptr) *y = m.y;
    if (wheel != nullptr) *wheel = m.wheel;
    if (buttons != nullptr) *buttons = m.buttons | pressed;
    if (clipped != nullptr) *clipped = m.clipped;
    return 0;
}

void x11WaitVsync() {
    const std::int32_t rate = state().screen != nullptr ? state().screen->refreshRate : 0;
    std::this_thread::sleep_for(rate > 0 ? std::chrono::milliseconds(1000 / rate)
                                         : std::chrono::milliseconds(16));
}

}  // namespace

X11State& state() {
    static X11State instance;
    return instance;
}

void parkWindowThread() {
    X11State& s = state();
    if (s.windowHoldsLock) {
        s.windowHoldsLock = false;
        s.frameLock.unlock();
    }
    {
        std::lock_guard<std::mutex> guard(s.startMutex);
        if (s.startResult == 0) s.startResult = -1;
    }
    s.startChanged.notify_all();
    releaseWaitingTitle(s);
    s.threadParked.store(true);
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

void markAllRows(X11State& s) {
    if (!s.framesReady.load()) return;
    std::fill(s.screen->dirtyRows.begin(), s.screen->dirtyRows.end(), std::uint8_t{1});
}

}  // namespace gfx::x11

namespace gfx {

const DisplayDriver& x11Driver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d;
        d.name = "X11";
        d.init = x11::x11Init;
        d.exit = x11::x11Exit;
        d.lock = x11::x11Lock;
        d.unlock = x11::x11Unlock;
        d.waitVsync = x11::x11WaitVsync;
        d.getMouse = x11::x11GetMouse;
        d.setTitle = x11::x11SetTitle;
        return d;
    }();
    return driver;
}

}  // namespace gfx
