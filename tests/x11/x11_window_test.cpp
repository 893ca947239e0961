// The window back ends in a real window on a private Xvfb: the window's
// properties and icon, its input, and the OpenGL back end's context.
// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <sstream>
#include <utility>
#include <vector>

#include "game/window_icon.hpp"
#include "game/window_icon_pixels.hpp"
#include "gfx/input.hpp"
#include "gfx/line.hpp"
#include "gfx/window_icon.hpp"
#include "tests/x11/x_server_test.hpp"

namespace {

using namespace lettermoor::testing;

// "1000x600 at 140,212, fixed, class C, closable, titled T" (", hidden" when
// unmapped), or "gone".
std::string windowFacts(Display* display, Window window) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a)) return "gone";
    std::ostringstream facts;
    facts << a.width << "x" << a.height << " at " << a.x << "," << a.y;
    if (a.map_state != IsViewable) facts << ", hidden";
    XSizeHints size{};
    long supplied = 0;
    if (XGetWMNormalHints(display, window, &size, &supplied) && size.min_width == a.width &&
        size.max_width == a.width && size.min_height == a.height && size.max_height == a.height) {
        facts << ", fixed";
    }
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) facts << ", class " << hint.res_class;
    XFree(hint.res_name);
    XFree(hint.res_class);
    Atom* protocols = nullptr;
    int count = 0;
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (XGetWMProtocols(display, window, &protocols, &count) &&
        std::count(protocols, protocols + count, deleteWindow) == 1) {
        facts << ", closable";
    }
    XFree(protocols);
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) facts << ", titled " << name;
    XFree(name);
    return facts.str();
}

// The window's _NET_WM_ICON as 32-bit values; empty when it has none.
std::vector<std::uint32_t> iconOf(Display* display, Window window) {
    std::vector<std::uint32_t> values;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20,
                       False, XA_CARDINAL, &type, &format, &count, &after, &data);
    for (unsigned long i = 0; type == XA_CARDINAL && format == 32 && i < count; ++i) {
        values.push_back(static_cast<std::uint32_t>(reinterpret_cast<const long*>(data)[i]));
    }
    XFree(data);
    return values;
}

// readMouse's result, x, y, wheel, buttons and clipped.
using Mouse = std::array<std::int32_t, 6>;

Mouse readMouseNow() {
    Mouse m = {1, -1, -1, -1, -1, -1};
    m[0] = gfx::readMouse(&m[1], &m[2], &m[3], &m[4], &m[5]);
    return m;
}

// A window back end by name: the X11 one with its own window thread, or the
// OpenGL one that reads events only when polled. They share the window and
// its input handling.
class WindowBackEnd : public XServerTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void open() { openWindow(1000, 600, GetParam() == "OpenGL" ? gfx::OpenGLScreen : 0); }

    void SetUp() override {
#if !defined(LETTERMOOR_HAVE_GLX)
        if (GetParam() == "OpenGL") GTEST_SKIP() << "built without GLX";
#endif
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        setenv("LETTERMOOR_DRIVER", GetParam().c_str(), 1);
        open();
        ASSERT_EQ(gfx::activeScreen()->driver->name, GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Each, WindowBackEnd, ::testing::Values("X11", "OpenGL"),
                         [](const auto& info) { return info.param; });

// The close box only posts the close key; the game's tests end it that way.
TEST_P(WindowBackEnd, WindowIsFixedCentredTitledInLatin1AndGoneOnceClosedUnderTheLockThenIconed) {
    // Centred on the 1280x1024 screen.
    const std::string facts = "1000x600 at 140,212, fixed, class Lettermoor, closable, titled ";
    std::string seen;
    // The window thread applies a title in its own time.
    const auto factsBecome = [&](const std::string& wanted) {
        return waitFor([&] { return (seen = windowFacts(probe(), window_)) == wanted; });
    };
    EXPECT_TRUE(factsBecome(facts + "Lettermoor")) << seen;
    gfx::setWindowTitle("Neues R\x84tsel");
    EXPECT_TRUE(factsBecome(facts + "Neues R\xe4tsel")) << seen;
    EXPECT_TRUE(iconOf(probe(), window_).empty());

    gfx::lockScreen();  // closing under the program's lock once hung
    gfx::closeScreen();
    tolerateXErrors();  // asking after a window that is gone is an X error
    EXPECT_TRUE(factsBecome("gone"));

    // A window opened once the game offers its icon has every size: the
    // side twice, then the pixels as cardinals.
    game::offerWindowIcon();
    open();
    std::vector<std::uint32_t> expected;
    for (const auto& [side, pixels] :
         {std::pair(16u, game::WindowIcon16.data()), std::pair(32u, game::WindowIcon32.data()),
          std::pair(48u, game::WindowIcon48.data())}) {
        expected.insert(expected.end(), {side, side});
        expected.insert(expected.end(), pixels, pixels + std::size_t{side} * side);
    }
    const std::vector<std::uint32_t> icon = iconOf(probe(), window_);
    EXPECT_TRUE(icon == expected) << icon.size() << " values, " << expected.size() << " expected";
    static_cast<void>(gfx::setWindowIcon({}));  // the other tests' windows have none
}

// Keys post their texts, the key state follows keys held down, and the
// pointer's buttons and wheel reach readMouse only inside the window.
TEST_P(WindowBackEnd, KeysAndPointerReachTheGame) {
    ASSERT_TRUE(waitForFocus(probe(), window_));
    for (unsigned long keysym : {XK_Escape, XK_Up, XK_a}) tapKey(probe(), keysym);
    std::vector<std::string> keys;
    EXPECT_TRUE(eventsHandled(&keys));
    EXPECT_EQ(keys, (std::vector<std::string>{"\x1b", "\xffH", "a"}));

    auto keyDown = [](std::size_t scan) {
        gfx::lockScreen();
        const bool down = gfx::activeScreen()->keyState[scan] != 0;
        gfx::unlockScreen(1, 0);
        return down;
    };
    const KeyCode up = XKeysymToKeycode(probe(), XK_Up);
    const KeyCode keypadUp = XKeysymToKeycode(probe(), XK_KP_Up);
    ASSERT_NE(keypadUp, 0);
    ASSERT_NE(keypadUp, up);
    setKey(probe(), up, true);
    EXPECT_TRUE(pollUntil([&] { return keyDown(0x48); }));
    // Up and keypad 8 give the same scan code: it stays down while either is.
    setKey(probe(), keypadUp, true);
    setKey(probe(), up, false);
    EXPECT_TRUE(eventsHandled());
    EXPECT_TRUE(pollUntil([&] { return keyDown(0x48); })) << "keypad 8 is still down";
    setKey(probe(), keypadUp, false);
    EXPECT_TRUE(pollUntil([&] { return !keyDown(0x48); }));

    const GameWindow window(probe(), window_);
    Mouse m{};
    const auto mouseBecomes = [&](const Mouse& wanted) {
        return pollUntil([&] { return (m = readMouseNow()) == wanted; });
    };
    window.movePointer(100, 50);
    EXPECT_TRUE(mouseBecomes({0, 100, 50, 0, 0, 0})) << ::testing::PrintToString(m);
    // Press and release back to back land in one pass of the window thread or
    // between two polls; the press is still seen once.
    window.click(100, 50);
    EXPECT_TRUE(eventsHandled());
    EXPECT_EQ(readMouseNow(), (Mouse{0, 100, 50, 0, 1, 0}));
    EXPECT_EQ(readMouseNow(), (Mouse{0, 100, 50, 0, 0, 0}));

    // The button, whether pressed, and the wheel count and buttons held after it.
    const int steps[][4] = {{1, 1, 0, 1}, {3, 1, 0, 3}, {1, 0, 0, 2}, {3, 0, 0, 0}, {4, 1, 1, 0},
                            {4, 0, 1, 0}, {4, 1, 2, 0}, {4, 0, 2, 0}, {5, 1, 1, 0}, {5, 0, 1, 0}};
    for (const auto& [button, down, wheel, buttons] : steps) {
        window.setButton(static_cast<unsigned>(button), down == 1);
        EXPECT_TRUE(mouseBecomes({0, 100, 50, wheel, buttons, 0}))
            << "button " << button << (down ? " down: " : " up: ") << ::testing::PrintToString(m);
    }

    // Outside the window, above and left of it, the mouse is not available.
    window.movePointer(-100, -100);
    EXPECT_TRUE(mouseBecomes({1, -1, -1, -1, -1, -1})) << ::testing::PrintToString(m);
}

// A monitor with room for it doubles the window: each frame pixel shows as
// a 2 by 2 block, and a click on a block reads as its frame pixel.
class DoubledWindow : public XServerTest {
  protected:
    DoubledWindow() { screenSize_ = "2560x1600x24"; }
};

TEST_F(DoubledWindow, BlocksShowAndClickAsTheirFramePixel) {
    unsetenv("LETTERMOOR_SCALE");
    openWindow(1000, 600);
    EXPECT_EQ(windowFacts(probe(), window_),
              "2000x1200 at 280,200, fixed, class Lettermoor, closable, titled Lettermoor");
    gfx::drawLine(nullptr, 30, 40, 31, 41, 0xFFFF0000u, gfx::FilledBox, 0xFFFF, 0);
    const GameWindow window(probe(), window_, 2);
    Frame frame;
    EXPECT_TRUE(waitFor([&] {
        return window.capture(frame) && frame.at(31, 41) == 0xFF0000 && frame.at(32, 41) == 0;
    }));
    ASSERT_TRUE(waitForFocus(probe(), window_));
    window.click(30, 40);
    Mouse m{};
    EXPECT_TRUE(pollUntil([&] { return (m = readMouseNow())[4] == 1; }));
    EXPECT_EQ(m, (Mouse{0, 30, 40, 0, 1, 0}));
}

#if defined(LETTERMOOR_HAVE_GLX)

using GlxWindow = XServerTest;

// The OpenGL back end refuses a game screen even when asked for by name, and
// an OpenGL screen when libGL cannot be loaded; the window back end comes
// first and refuses an OpenGL screen. The context is current from open to
// close; a frame shows only once flipped.
TEST_F(GlxWindow, EachScreenKindGoesToTheBackEndThatServesItAndFramesShowOnceFlipped) {
    setenv("LETTERMOOR_LIBGL", "liblettermoor-no-such-gl.so.1", 1);
    EXPECT_EQ(gfx::openScreen(640, 480, 32, 0, gfx::OpenGLScreen, 0), 1);
    unsetenv("LETTERMOOR_LIBGL");
    setenv("LETTERMOOR_DRIVER", "opengl", 1);
    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
    EXPECT_STREQ(gfx::activeScreen()->driver->name, "X11");
    unsetenv("LETTERMOOR_DRIVER");
    ASSERT_EQ(gfx::openScreen(1000, 600, 16, 0, gfx::OpenGLScreen, 0), 0);
    EXPECT_STREQ(gfx::activeScreen()->driver->name, "OpenGL");
    EXPECT_EQ(gfx::activeScreen()->depth, 16);

    openWindow(1000, 600, gfx::OpenGLScreen);
    EXPECT_NE(glXGetCurrentContext(), nullptr);
    EXPECT_EQ(glXGetCurrentDrawable(), window_);
    gfx::lockScreen();  // nothing to guard, yet the frame cycle still works
    gfx::unlockScreen(-1, -1);
    const auto shows = [&](std::uint32_t color) {
        Frame frame;
        return GameWindow(probe(), window_).capture(frame) && frame.at(0, 0) == color &&
               frame.at(999, 599) == color;
    };
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gfx::activeScreen()->driver->flip();
    EXPECT_TRUE(waitFor([&] { return shows(0xFF0000); }));
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    EXPECT_TRUE(shows(0xFF0000));
    gfx::activeScreen()->driver->flip();
    EXPECT_TRUE(waitFor([&] { return shows(0x0000FF); }));
    gfx::closeScreen();
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
}

#endif

}  // namespace
