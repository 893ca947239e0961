// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "tests/x11/window_probe.hpp"
#include "tests/x11/xvfb_server.hpp"

#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_driver.hpp"

namespace {

using lettermoor::testing::findWindowByClass;
using lettermoor::testing::nearColour;
using lettermoor::testing::TestDisplay;
using lettermoor::testing::waitFor;
using lettermoor::testing::windowPixel;
using lettermoor::testing::XvfbServer;

// Mesa unloads its software driver when the display closes; what the
// driver's globals pointed to would then look leaked. Keeping the driver
// loaded leaves the leak check to our own allocations.
void keepSoftwareDriverLoaded() {
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                             "/usr/lib64/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
        if (dlopen(path, RTLD_NOW | RTLD_NODELETE) != nullptr) return;
    }
}

// Screens opened with the platform's own back ends on a private X server.
class GlxWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
        XInitThreads();
        keepSoftwareDriverLoaded();
        server_ = std::make_unique<XvfbServer>();
        ASSERT_TRUE(server_->running()) << "Xvfb did not start";
        setenv("DISPLAY", server_->name().c_str(), 1);
        unsetenv("LETTERMOOR_DRIVER");
        gfx::setDriverCandidates({});
        probe_ = std::make_unique<TestDisplay>(server_->name());
        ASSERT_NE(probe_->get(), nullptr);
    }

    void TearDown() override {
        gfx::closeScreen();
        unsetenv("LETTERMOOR_DRIVER");
        probe_.reset();
        server_.reset();
    }

    void openGlScreen(std::int32_t width, std::int32_t height) {
        setenv("LETTERMOOR_DRIVER", "OpenGL", 1);
        ASSERT_EQ(gfx::openScreen(width, height, 32, 0, gfx::OpenGLScreen, 0), 0);
        ASSERT_STREQ(gfx::currentScreen()->driver->name, "OpenGL");
        window_ = findWindowByClass(probe(), "lettermoor");
        ASSERT_NE(window_, None);
    }

    // Polls the back end until predicate holds (bounded).
    template <typename Predicate>
    bool pollUntil(Predicate predicate) {
        return waitFor([&] {
            gfx::currentScreen()->driver->pollEvents();
            return predicate();
        });
    }

    std::vector<std::string> readKeys(std::size_t count) {
        std::vector<std::string> keys;
        pollUntil([&] {
            for (std::string key = gfx::readKey(); !key.empty(); key = gfx::readKey()) {
                keys.push_back(key);
            }
            return keys.size() >= count;
        });
        return keys;
    }

    Display* probe() const { return probe_->get(); }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<TestDisplay> probe_;
    Window window_ = None;
};

TEST_F(GlxWindow, OpenGLScreenGetsAFixedTitledWindowWithItsContextCurrent) {
    gfx::setWindowTitle("GL window");
    openGlScreen(320, 200);

    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(probe(), window_, &attributes));
    EXPECT_EQ(attributes.width, 320);
    EXPECT_EQ(attributes.height, 200);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(attributes.x, (1280 - 320) / 2);
    EXPECT_EQ(attributes.y, (1024 - 200) / 2);

    XSizeHints size{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(probe(), window_, &size, &supplied));
    EXPECT_EQ(size.min_width, 320);
    EXPECT_EQ(size.max_width, 320);
    EXPECT_EQ(size.min_height, 200);
    EXPECT_EQ(size.max_height, 200);

    char* name = nullptr;
    ASSERT_TRUE(XFetchName(probe(), window_, &name));
    EXPECT_STREQ(name, "GL window");
    XFree(name);
    gfx::setWindowTitle("Neues R\x84tsel");
    ASSERT_TRUE(XFetchName(probe(), window_, &name));
    EXPECT_STREQ(name, "Neues R\xe4tsel");
    XFree(name);

    Atom* protocols = nullptr;
    int count = 0;
    ASSERT_TRUE(XGetWMProtocols(probe(), window_, &protocols, &count));
    const Atom deleteWindow = XInternAtom(probe(), "WM_DELETE_WINDOW", False);
    EXPECT_NE(std::find(protocols, protocols + count, deleteWindow), protocols + count);
    XFree(protocols);

    EXPECT_NE(glXGetCurrentContext(), nullptr);
    EXPECT_EQ(glXGetCurrentDrawable(), window_);
    // Lock and unlock have nothing to guard, yet the frame cycle still works.
    gfx::lockScreen();
    gfx::unlockScreen(-1, -1);
}

TEST_F(GlxWindow, DrawingShowsOnlyAfterFlip) {
    openGlScreen(200, 100);
    const gfx::DisplayDriver& driver = *gfx::currentScreen()->driver;
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    driver.flip();
    EXPECT_TRUE(
        waitFor([&] { return nearColour(windowPixel(probe(), window_, 199, 99), 0xFF0000); }));

    // The next frame is drawn into the back buffer and stays unseen...
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    EXPECT_TRUE(nearColour(windowPixel(probe(), window_, 0, 0), 0xFF0000));
    // ...until it is flipped.
    driver.flip();
    EXPECT_TRUE(waitFor([&] { return nearColour(windowPixel(probe(), window_, 0, 0), 0x0000FF); }));
}

TEST_F(GlxWindow, CloseTakesDownContextAndWindowAndCanOpenAgain) {
    openGlScreen(64, 64);
    gfx::closeScreen();
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
    EXPECT_TRUE(waitFor([&] { return findWindowByClass(probe(), "lettermoor") == None; }));

    openGlScreen(64, 64);
    EXPECT_NE(glXGetCurrentContext(), nullptr);
}

TEST_F(GlxWindow, KeysAndTheCloseBoxArriveThroughPollEvents) {
    openGlScreen(320, 200);
    ASSERT_TRUE(lettermoor::testing::waitForFocus(probe(), window_));
    lettermoor::testing::tapKey(probe(), XK_Escape);
    lettermoor::testing::tapKey(probe(), XK_Up);
    lettermoor::testing::tapKey(probe(), XK_a);
    EXPECT_EQ(readKeys(3), (std::vector<std::string>{"\x1b", "\xffH", "a"}));

    // keyState follows the keys held down, by scan code.
    const auto& keyState = gfx::currentScreen()->keyState;
    const KeyCode up = XKeysymToKeycode(probe(), XK_Up);
    XTestFakeKeyEvent(probe(), up, True, CurrentTime);
    XSync(probe(), False);
    EXPECT_TRUE(pollUntil([&] { return keyState[0x48] == 1; }));
    XTestFakeKeyEvent(probe(), up, False, CurrentTime);
    XSync(probe(), False);
    EXPECT_TRUE(pollUntil([&] { return keyState[0x48] == 0; }));
    readKeys(1);  // the repeat of Up

    lettermoor::testing::requestWindowClose(probe(), window_);
    EXPECT_EQ(readKeys(1), (std::vector<std::string>{"\xffk"}));
}

TEST_F(GlxWindow, ClickBetweenTwoPollsIsStillSeen) {
    openGlScreen(320, 200);
    ASSERT_TRUE(lettermoor::testing::waitForFocus(probe(), window_));
    int rootX = 0;
    int rootY = 0;
    Window child = None;
    XTranslateCoordinates(probe(), window_, DefaultRootWindow(probe()), 30, 40, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(probe(), DefaultScreen(probe()), rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(probe(), 1, True, CurrentTime);
    XTestFakeButtonEvent(probe(), 1, False, CurrentTime);
    XSync(probe(), False);

    std::int32_t x = -1;
    std::int32_t y = -1;
    std::int32_t buttons = -1;
    EXPECT_TRUE(pollUntil(
        [&] { return gfx::readMouse(&x, &y, nullptr, &buttons, nullptr) == 0 && buttons == 1; }));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    ASSERT_EQ(gfx::readMouse(&x, &y, nullptr, &buttons, nullptr), 0);
    EXPECT_EQ(buttons, 0);
}

TEST_F(GlxWindow, GameScreenIsRefusedAndTakenByTheWindowBackEnd) {
    const gfx::DisplayDriver& gl = gfx::glxDriver();
    EXPECT_NE(gl.init("Lettermoor", 1000, 600, 32, 0, 0), 0);
    gl.exit();
    EXPECT_EQ(findWindowByClass(probe(), "lettermoor"), None);

    // Asked for by name, it still refuses, and the window back end serves.
    setenv("LETTERMOOR_DRIVER", "opengl", 1);
    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
    EXPECT_STREQ(gfx::currentScreen()->driver->name, "X11");
    unsetenv("LETTERMOOR_DRIVER");
    ASSERT_EQ(gfx::openScreen(1000, 600, 32, 0, 0, 0), 0);
    EXPECT_STREQ(gfx::currentScreen()->driver->name, "X11");
}

TEST_F(GlxWindow, OpenGLScreenWithoutANameIsLeftToTheOpenGLBackEnd) {
    // The window back end comes first and refuses it; a 16-bit request works too.
    ASSERT_EQ(gfx::openScreen(160, 120, 16, 0, gfx::OpenGLScreen, 0), 0);
    EXPECT_STREQ(gfx::currentScreen()->driver->name, "OpenGL");
    EXPECT_EQ(gfx::currentScreen()->depth, 16);
    EXPECT_NE(glXGetCurrentContext(), nullptr);
}

}  // namespace

#endif
