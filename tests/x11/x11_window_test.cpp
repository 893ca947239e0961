// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <thread>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gfx/color.hpp"
#include "gfx/drivers/x11_driver.hpp"
#include "gfx/input.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace {

using lettermoor::testing::findWindowByClass;
using lettermoor::testing::TestDisplay;
using lettermoor::testing::waitFor;
using lettermoor::testing::XvfbServer;

struct MouseReading {
    std::int32_t result = 1;
    std::int32_t x = -1;
    std::int32_t y = -1;
    std::int32_t wheel = -1;
    std::int32_t buttons = -1;
    std::int32_t clipped = -1;
};

MouseReading readMouseNow() {
    MouseReading m;
    m.result = gfx::readMouse(&m.x, &m.y, &m.wheel, &m.buttons, &m.clipped);
    return m;
}

// Opens the game's screen on a private X server with only the X11 back end.
class X11Window : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
        XInitThreads();
        server_ = std::make_unique<XvfbServer>();
        ASSERT_TRUE(server_->running()) << "Xvfb did not start";
        setenv("DISPLAY", server_->name().c_str(), 1);
        probe_ = std::make_unique<TestDisplay>(server_->name());
        ASSERT_NE(probe_->get(), nullptr);
        gfx::setDriverCandidates({&gfx::x11Driver()});
        ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
        gfx::setWindowTitle("Lettermoor");
        ASSERT_TRUE(waitFor([&] { return (window_ = find()) != None; }));
    }

    void TearDown() override {
        gfx::closeScreen();
        gfx::setDriverCandidates({});
        probe_.reset();
        server_.reset();
    }

    Display* probe() const { return probe_->get(); }
    Window find() const { return findWindowByClass(probe(), "lettermoor"); }

    // Keys reach the window once it has the focus the back end gives it.
    bool waitForFocus() {
        return waitFor([&] {
            Window focus = None;
            int revert = 0;
            XGetInputFocus(probe(), &focus, &revert);
            return focus == window_;
        });
    }

    void pressKey(KeyCode keycode) {
        XTestFakeKeyEvent(probe(), keycode, True, CurrentTime);
        XTestFakeKeyEvent(probe(), keycode, False, CurrentTime);
        XFlush(probe());
    }

    // Collects key texts until `count` arrived or the wait ends.
    std::vector<std::string> readKeys(std::size_t count) {
        std::vector<std::string> keys;
        waitFor([&] {
            for (std::string key = gfx::readKey(); !key.empty(); key = gfx::readKey()) {
                keys.push_back(key);
            }
            return keys.size() >= count;
        });
        return keys;
    }

    void movePointerTo(int x, int y) {
        int rootX = 0;
        int rootY = 0;
        Window child = None;
        XTranslateCoordinates(probe(), window_, DefaultRootWindow(probe()), x, y, &rootX, &rootY,
                              &child);
        XTestFakeMotionEvent(probe(), DefaultScreen(probe()), rootX, rootY, CurrentTime);
        XFlush(probe());
    }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<TestDisplay> probe_;
    Window window_ = None;
};

TEST_F(X11Window, WindowHasTheTitleClassAndExactClientSize) {
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(probe(), window_, &name));
    EXPECT_STREQ(name, "Lettermoor");
    XFree(name);

    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(probe(), window_, &attributes));
    EXPECT_EQ(attributes.width, 1000);
    EXPECT_EQ(attributes.height, 600);
    // Centred on the 1280x1024 screen.
    EXPECT_EQ(attributes.x, 140);
    EXPECT_EQ(attributes.y, 212);

    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(probe(), window_, &hint));
    EXPECT_STREQ(hint.res_class, "Lettermoor");
    XFree(hint.res_name);
    XFree(hint.res_class);

    XSizeHints size{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(probe(), window_, &size, &supplied));
    EXPECT_EQ(size.min_width, 1000);
    EXPECT_EQ(size.max_width, 1000);
    EXPECT_EQ(size.min_height, 600);
    EXPECT_EQ(size.max_height, 600);

    gfx::setWindowTitle("Neues R\x84tsel");
    ASSERT_TRUE(XFetchName(probe(), window_, &name));
    EXPECT_STREQ(name, "Neues R\xe4tsel");  // WM_NAME is Latin-1
    XFree(name);
}

TEST_F(X11Window, DrawnRowsArriveInTheWindow) {
    gfx::lockScreen();
    // Pixels written by hand: the runtime is told first.
    gfx::flushDrawing();
    gfx::Screen* screen = gfx::activeScreen();
    for (std::int32_t y = 0; y < screen->height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(screen->visiblePixels + y * screen->pitch);
        for (std::int32_t x = 0; x < screen->width; ++x) {
            row[x] = 0xFF000000u | (static_cast<std::uint32_t>(x & 0xFF) << 16) |
                     (static_cast<std::uint32_t>(y & 0xFF) << 8) | 0x5Au;
        }
    }
    gfx::unlockScreen(-1, -1);

    auto pixelAt = [&](int x, int y) {
        XImage* image = XGetImage(probe(), window_, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return 0ul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    };
    EXPECT_TRUE(
        waitFor([&] { return pixelAt(999, 599) == ((999ul & 0xFF) << 16 | 87ul << 8 | 0x5A); }));
    EXPECT_EQ(pixelAt(0, 0), 0x00005Aul);
    EXPECT_EQ(pixelAt(300, 200), (300ul & 0xFF) << 16 | 200ul << 8 | 0x5A);
}

// Rows marked again on a page nothing has written to since every row was
// compared are not compared or sent again. A pixel written by hand without
// telling the runtime shows that no comparison ran; told, it is sent.
TEST_F(X11Window, MarkedRowsOfAnUnwrittenPageAreNotComparedAgain) {
    // One frame under the lock: perhaps a pixel written by hand, every row marked.
    const auto frame = [](bool poke, bool tell) {
        const std::uint64_t before = gfx::x11PresentationStats().passes;
        gfx::lockScreen();
        if (tell) gfx::flushDrawing();
        if (poke) {
            gfx::Screen& screen = *gfx::activeScreen();
            const std::uint32_t blue = 0xFF0000FFu;
            std::memcpy(screen.visiblePixels + 10 * screen.pitch + 4 * 10, &blue, 4);
        }
        gfx::unlockScreen(-1, -1);
        return waitFor([&] { return gfx::x11PresentationStats().passes > before; });
    };
    gfx::drawLine(nullptr, 0, 0, 1000, 600, gfx::White, gfx::FilledBox, 0xFFFF, 0);
    ASSERT_TRUE(frame(false, false));
    const std::uint64_t sent = gfx::x11PresentationStats().rowsSent;

    ASSERT_TRUE(frame(true, false));
    EXPECT_EQ(gfx::x11PresentationStats().rowsSent, sent) << "an unwritten page was compared";

    ASSERT_TRUE(frame(true, true));
    EXPECT_EQ(gfx::x11PresentationStats().rowsSent, sent + 1);
}

TEST_F(X11Window, KeyPressesReachReadKey) {
    ASSERT_TRUE(waitForFocus());
    pressKey(XKeysymToKeycode(probe(), XK_Escape));
    pressKey(XKeysymToKeycode(probe(), XK_Up));
    pressKey(XKeysymToKeycode(probe(), XK_a));
    pressKey(XKeysymToKeycode(probe(), XK_F1));
    pressKey(XKeysymToKeycode(probe(), XK_Delete));
    const std::vector<std::string> keys = readKeys(5);
    EXPECT_EQ(keys, (std::vector<std::string>{"\x1b", "\xffH", "a", "\xff;", "\xffS"}));
    EXPECT_EQ(gfx::readKey(), "");
}

// keyState follows presses and releases, including two keys that give the
// same scan code (Up and keypad 8 both give 0x48).
TEST_F(X11Window, KeyStateFollowsKeysHeldDown) {
    ASSERT_TRUE(waitForFocus());
    auto keyDown = [](std::size_t scan) {
        gfx::lockScreen();
        const bool down = gfx::currentScreen()->keyState[scan] != 0;
        gfx::unlockScreen(1, 0);
        return down;
    };
    const KeyCode up = XKeysymToKeycode(probe(), XK_Up);
    const KeyCode keypadUp = XKeysymToKeycode(probe(), XK_KP_Up);
    const KeyCode a = XKeysymToKeycode(probe(), XK_a);
    XTestFakeKeyEvent(probe(), a, True, CurrentTime);
    XTestFakeKeyEvent(probe(), up, True, CurrentTime);
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return keyDown(0x1E) && keyDown(0x48); }));
    XTestFakeKeyEvent(probe(), a, False, CurrentTime);
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return !keyDown(0x1E); }));
    EXPECT_TRUE(keyDown(0x48));
    if (keypadUp != 0 && keypadUp != up) {
        XTestFakeKeyEvent(probe(), keypadUp, True, CurrentTime);
        XTestFakeKeyEvent(probe(), up, False, CurrentTime);
        XFlush(probe());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_TRUE(keyDown(0x48)) << "keypad 8 is still down";
        XTestFakeKeyEvent(probe(), keypadUp, False, CurrentTime);
        XFlush(probe());
    } else {
        XTestFakeKeyEvent(probe(), up, False, CurrentTime);
        XFlush(probe());
    }
    EXPECT_TRUE(waitFor([&] { return !keyDown(0x48); }));
}

TEST_F(X11Window, CharacterOutsideAsciiPostsItsCodePage437Byte) {
    ASSERT_TRUE(waitForFocus());
    // Give an unused keycode the keysyms ä and Ä, as a German layout has.
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(probe(), &minKeycode, &maxKeycode);
    KeyCode spare = 0;
    for (int keycode = maxKeycode; keycode >= minKeycode && spare == 0; --keycode) {
        int perKeycode = 0;
        KeySym* syms = XGetKeyboardMapping(probe(), static_cast<KeyCode>(keycode), 1, &perKeycode);
        bool unused = true;
        for (int i = 0; i < perKeycode; ++i) unused &= syms[i] == NoSymbol;
        XFree(syms);
        if (unused) spare = static_cast<KeyCode>(keycode);
    }
    ASSERT_NE(spare, 0);
    KeySym umlaut[2] = {XK_adiaeresis, XK_Adiaeresis};
    XChangeKeyboardMapping(probe(), spare, 2, umlaut, 1);
    XSync(probe(), False);
    // The window thread learns of the new mapping from the server.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    pressKey(spare);
    EXPECT_EQ(readKeys(1), (std::vector<std::string>{"\x84"}));
    // The Euro sign has no place in code page 437 and posts nothing.
    KeySym euro[2] = {XK_EuroSign, XK_EuroSign};
    XChangeKeyboardMapping(probe(), spare, 2, euro, 1);
    XSync(probe(), False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pressKey(spare);
    pressKey(XKeysymToKeycode(probe(), XK_b));
    EXPECT_EQ(readKeys(1), (std::vector<std::string>{"b"}));
}

TEST_F(X11Window, PointerAndButtonsReachReadMouse) {
    ASSERT_TRUE(waitForFocus());
    movePointerTo(100, 50);
    MouseReading m;
    EXPECT_TRUE(waitFor([&] {
        m = readMouseNow();
        return m.result == 0 && m.x == 100 && m.y == 50;
    })) << "result "
        << m.result << " at " << m.x << "," << m.y;
    EXPECT_EQ(m.buttons, 0);
    EXPECT_EQ(m.wheel, 0);
    EXPECT_EQ(m.clipped, 0);

    XTestFakeButtonEvent(probe(), 1, True, CurrentTime);
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return readMouseNow().buttons == 1; }));
    XTestFakeButtonEvent(probe(), 3, True, CurrentTime);
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return readMouseNow().buttons == 3; }));
    XTestFakeButtonEvent(probe(), 1, False, CurrentTime);
    XTestFakeButtonEvent(probe(), 3, False, CurrentTime);
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return readMouseNow().buttons == 0; }));

    for (int notch = 0; notch < 3; ++notch) {
        XTestFakeButtonEvent(probe(), 4, True, CurrentTime);
        XTestFakeButtonEvent(probe(), 4, False, CurrentTime);
    }
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return readMouseNow().wheel == 3; }));
    XTestFakeButtonEvent(probe(), 5, True, CurrentTime);
    XTestFakeButtonEvent(probe(), 5, False, CurrentTime);
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return readMouseNow().wheel == 2; }));

    // Outside the window the mouse is not available.
    XTestFakeMotionEvent(probe(), DefaultScreen(probe()), 5, 5, CurrentTime);
    XFlush(probe());
    EXPECT_TRUE(waitFor([&] { return readMouseNow().result == 1; }));
    const MouseReading outside = readMouseNow();
    EXPECT_EQ(outside.x, -1);
    EXPECT_EQ(outside.buttons, -1);
}

TEST_F(X11Window, ClickShorterThanAFrameIsStillSeen) {
    ASSERT_TRUE(waitForFocus());
    movePointerTo(400, 300);
    ASSERT_TRUE(waitFor([&] {
        const MouseReading m = readMouseNow();
        return m.result == 0 && m.x == 400;
    }));
    // Press and release back to back: both land in one pass of the window
    // thread, long before the next read.
    XTestFakeButtonEvent(probe(), 1, True, CurrentTime);
    XTestFakeButtonEvent(probe(), 1, False, CurrentTime);
    XSync(probe(), False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(readMouseNow().buttons, 1);
    EXPECT_EQ(readMouseNow().buttons, 0);
}

TEST_F(X11Window, CloseBoxPostsTheCloseKeyAndTheWindowStays) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(probe(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(probe(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(probe(), window_, False, NoEventMask, &event);
    XFlush(probe());
    EXPECT_EQ(readKeys(1), (std::vector<std::string>{"\xffk"}));

    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(probe(), window_, &attributes));
    EXPECT_EQ(attributes.map_state, IsViewable);
}

TEST_F(X11Window, CloseScreenDestroysTheWindowAndCanOpenAgain) {
    gfx::lockScreen();  // closing while the program holds the lock must not hang
    gfx::closeScreen();
    EXPECT_EQ(gfx::currentScreen(), nullptr);
    EXPECT_TRUE(waitFor([&] { return find() == None; }));

    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
    EXPECT_TRUE(waitFor([&] { return find() != None; }));
}

TEST(X11WithoutDisplay, OpenFailsCleanlyAndNamesTheDriverVariable) {
    setenv("DISPLAY", ":4999", 1);
    unsetenv("LETTERMOOR_DRIVER");
    gfx::setDriverCandidates({&gfx::x11Driver()});
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 1);
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(gfx::currentScreen(), nullptr);
    EXPECT_NE(message.find("LETTERMOOR_DRIVER"), std::string::npos) << message;
    gfx::setDriverCandidates({});
}

}  // namespace
