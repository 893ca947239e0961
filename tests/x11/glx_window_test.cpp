// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <stdlib.h>

#include <cstdint>

#include "tests/x11/game_session.hpp"

#if defined(LETTERMOOR_HAVE_GLX)
#include "gfx/drivers/glx_driver.hpp"

namespace {

using namespace lettermoor::testing;

using GlxWindow = XServerTest;

// The context is current from open to close; a frame shows only once flipped.
TEST_F(GlxWindow, ContextIsCurrentUntilClosedAndDrawingShowsOnlyAfterFlip) {
    setenv("LETTERMOOR_DRIVER", "OpenGL", 1);
    openWindow(1000, 600, gfx::OpenGLScreen);
    ASSERT_STREQ(gfx::activeScreen()->driver->name, "OpenGL");
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

// The OpenGL back end refuses a game screen even when asked for by name, and
// an OpenGL screen when libGL cannot be loaded; the window back end comes
// first and refuses an OpenGL screen.
TEST_F(GlxWindow, EachScreenKindGoesToTheBackEndThatServesIt) {
    const gfx::DisplayDriver& gl = gfx::glxDriver();
    EXPECT_NE(gl.init("Lettermoor", 1000, 600, 32, 0, 0), 0);
    gl.exit();
    // No window is left behind, shown or not.
    EXPECT_TRUE(waitFor([&] { return topLevelWindows(probe()).empty(); }));
    setenv("LETTERMOOR_LIBGL", "liblettermoor-no-such-gl.so.1", 1);
    EXPECT_EQ(gfx::openScreen(640, 480, 32, 0, gfx::OpenGLScreen, 0), 1);
    EXPECT_EQ(gfx::activeScreen(), nullptr);
    unsetenv("LETTERMOOR_LIBGL");

    const struct {
        const char* driver;
        std::int32_t depth, flags;
        const char* served;
    } cases[] = {{"opengl", 32, 0, "X11"}, {nullptr, 16, gfx::OpenGLScreen, "OpenGL"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.served);
        if (c.driver != nullptr) setenv("LETTERMOOR_DRIVER", c.driver, 1);
        if (c.driver == nullptr) unsetenv("LETTERMOOR_DRIVER");
        ASSERT_EQ(gfx::openScreen(1000, 600, c.depth, 0, c.flags, 0), 0);
        EXPECT_STREQ(gfx::activeScreen()->driver->name, c.served);
        EXPECT_EQ(gfx::activeScreen()->depth, c.depth);
    }
    EXPECT_NE(glXGetCurrentContext(), nullptr);
}

}  // namespace

#endif
