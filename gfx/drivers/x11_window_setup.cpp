#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <unistd.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "gfx/drivers/window_scale.hpp"
#include "gfx/drivers/x11_state.hpp"
#include "gfx/window_icon.hpp"
#include "runtime/cp437.hpp"

#if defined(LETTERMOOR_HAVE_XINERAMA)
#include <X11/extensions/Xinerama.h>
#endif
#if defined(LETTERMOOR_HAVE_XRANDR)
#include <X11/extensions/Xrandr.h>
#endif
#if defined(LETTERMOOR_HAVE_XSS)
#include <X11/extensions/scrnsaver.h>
#endif

namespace gfx::x11 {
namespace {

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

// The desktop's Xft.dpi resource, as desktops set it for large screens; 0
// when the server's resource database does not have it.
double desktopDpi(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) return 0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) return 0;
    char* type = nullptr;
    XrmValue value{};
    double dpi = 0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        dpi = std::strtod(value.addr, nullptr);
    }
    XrmDestroyDatabase(database);
    return dpi;
}

// _NET_WM_ICON: per size the width, the height, then the pixels as ARGB
// cardinals. Format-32 properties travel as longs in Xlib, whatever their width.
void applyWindowIcon(X11State& s) {
    const std::vector<StoredIcon>& icon = windowIcon();
    if (icon.empty()) return;
    std::vector<long> cardinals;
    for (const StoredIcon& size : icon) {
        cardinals.push_back(size.width);
        cardinals.push_back(size.height);
        for (std::uint32_t pixel : size.argb) cardinals.push_back(static_cast<long>(pixel));
    }
    const Atom netWmIcon = XInternAtom(s.display, "_NET_WM_ICON", False);
    XChangeProperty(s.display, s.window, netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(cardinals.data()),
                    static_cast<int>(cardinals.size()));
}

// Held off while the window exists.
void suspendScreenSaver(Display* display, ScreenSaverState& saver) {
#if defined(LETTERMOOR_HAVE_XSS)
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    // Suspension exists from version 1.1 on and ends by itself if we vanish.
    if (XScreenSaverQueryExtension(display, &eventBase, &errorBase) &&
        XScreenSaverQueryVersion(display, &major, &minor) && (major > 1 || minor >= 1)) {
        XScreenSaverSuspend(display, True);
        saver.suspended = true;
        return;
    }
#endif
    XGetScreenSaver(display, &saver.timeout, &saver.interval, &saver.preferBlanking,
                    &saver.allowExposures);
    XSetScreenSaver(display, 0, saver.interval, saver.preferBlanking, saver.allowExposures);
    saver.timeoutChanged = true;
}

void restoreScreenSaver(Display* display, ScreenSaverState& saver) {
#if defined(LETTERMOOR_HAVE_XSS)
    if (saver.suspended) XScreenSaverSuspend(display, False);
#endif
    if (saver.timeoutChanged) {
        XSetScreenSaver(display, saver.timeout, saver.interval, saver.preferBlanking,
                        saver.allowExposures);
    }
    saver = ScreenSaverState{};
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

}  // namespace

std::int32_t chooseScale(Display* display, std::int32_t width, std::int32_t height) {
    const Area monitor = monitorUnderPointer(display);
    return chooseWindowScale(ScaleInputs{std::getenv("LETTERMOOR_SCALE"), desktopDpi(display),
                                         monitor.width, monitor.height, width, height});
}

WindowCorner centredCorner(Display* display, int width, int height) {
    const Area monitor = monitorUnderPointer(display);
    return WindowCorner{monitor.x + (monitor.width - width) / 2,
                        monitor.y + (monitor.height - height) / 2};
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

void describeWindow(X11State& s, WindowCorner corner) {
    XSizeHints size{};
    size.flags = PPosition | USPosition | PSize | PMinSize | PMaxSize;
    size.x = corner.x;
    size.y = corner.y;
    size.width = size.min_width = size.max_width = s.width * s.scale;
    size.height = size.min_height = size.max_height = s.height * s.scale;
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
    applyWindowIcon(s);
    setInitialWindowState(s);
}

void startInput(X11State& s) {
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(s.display, True, &detectable);
    loadKeyboardMapping(s);
    openInputMethod(s);
    suspendScreenSaver(s.display, s.screenSaver);
    readRefreshRate(s);
}

bool openConnection(X11State& s) {
    s.display = XOpenDisplay(nullptr);
    if (s.display == nullptr) return false;
    installErrorHandler(s.display);
    internAtoms(s);
    return true;
}

void closeConnection(X11State& s) {
    restoreScreenSaver(s.display, s.screenSaver);
    if (s.inputContext != nullptr) XDestroyIC(s.inputContext);
    if (s.inputMethod != nullptr) XCloseIM(s.inputMethod);
    if (s.window != None) XDestroyWindow(s.display, s.window);
    XSync(s.display, False);
    removeErrorHandler();
    XCloseDisplay(s.display);
    s.inputContext = nullptr;
    s.inputMethod = nullptr;
    s.window = None;
    s.display = nullptr;
}

}  // namespace gfx::x11
