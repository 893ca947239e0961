// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "tests/x11/game_session.hpp"

#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_driver.hpp"

namespace {

using namespace lettermoor::testing;

// Screens opened with the platform's own back ends on a private X server.
class GlxWindow : public XServerTest {
  protected:
    void openGlScreen(std::int32_t width, std::int32_t height) {
        setenv("LETTERMOOR_DRIVER", "OpenGL", 1);
        openWindow(width, height, gfx::OpenGLScreen);
        ASSERT_STREQ(gfx::currentScreen()->driver->name, "OpenGL");
    }
};

TEST_F(GlxWindow, OpenGLScreenHasItsContextCurrentUntilClosed) {
    openGlScreen(320, 200);
    EXPECT_NE(glXGetCurrentContext(), nullptr);
    EXPECT_EQ(glXGetCurrentDrawable(), window_);
    // Lock and unlock have nothing to guard, yet the frame cycle still works.
    gfx::lockScreen();
    gfx::unlockScreen(-1, -1);
    gfx::closeScreen();
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
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

// The OpenGL back end refuses a game screen even when asked for by name; the
// window back end comes first and refuses an OpenGL screen.
TEST_F(GlxWindow, EachScreenKindGoesToTheBackEndThatServesIt) {
    const gfx::DisplayDriver& gl = gfx::glxDriver();
    EXPECT_NE(gl.init("Lettermoor", 1000, 600, 32, 0, 0), 0);
    gl.exit();
    EXPECT_EQ(findWindowByClass(probe(), "lettermoor"), None);

    const struct {
        const char* driver;
        std::int32_t depth;
        std::int32_t flags;
        const char* served;
    } cases[] = {{"opengl", 32, 0, "X11"},
                 {nullptr, 32, 0, "X11"},
                 {nullptr, 16, gfx::OpenGLScreen, "OpenGL"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.driver ? c.driver : "no driver named") + ", depth " +
                     std::to_string(c.depth));
        if (c.driver != nullptr)
            setenv("LETTERMOOR_DRIVER", c.driver, 1);
        else
            unsetenv("LETTERMOOR_DRIVER");
        ASSERT_EQ(gfx::openScreen(1000, 600, c.depth, 0, c.flags, 0), 0);
        EXPECT_STREQ(gfx::currentScreen()->driver->name, c.served);
        EXPECT_EQ(gfx::currentScreen()->depth, c.depth);
    }
    EXPECT_NE(glXGetCurrentContext(), nullptr);
}

}  // namespace

#endif
