// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/x11/game_session.hpp"

#if defined(LETTERMOOR_GL_EXAMPLE)

namespace {

using namespace lettermoor::testing;

constexpr int ExitWait = 20000;  // Mesa's software renderer starts slowly under the sanitizers

// Points of the example's scene and the colour each must have; the red
// square's edges show rows run top down.
struct ScenePoint {
    int x, y;
    std::uint32_t rgb;
};
constexpr ScenePoint Scene[] = {
    {10, 10, 0x000066},    // navy background
    {100, 100, 0xFF0000},  // red square
    {239, 199, 0xFF0000},  // its last pixel
    {241, 100, 0x000066},  // just right of it
    {500, 80, 0x00FF00},   // green triangle
    {100, 350, 0xFFFF00},  // yellow square
};

class GlExample : public XServerTest {
  protected:
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                        const std::string& driver = "") {
        // Mesa unloads its driver when the display closes, and what the
        // driver's globals pointed to then looks leaked. The in-process tests
        // check the back end's own teardown for leaks.
        auto child = std::make_unique<ChildProcess>(
            LETTERMOOR_GL_EXAMPLE, arguments,
            std::vector<std::string>{"ASAN_OPTIONS=detect_leaks=0", "LETTERMOOR_DRIVER=" + driver},
            folder_.path());
        EXPECT_TRUE(child->started());
        return child;
    }

    RunFolder folder_;
};

TEST_F(GlExample, ProbedPixelsOfTheLastFrameHaveTheSceneColours) {
    std::vector<std::string> arguments = {"--frames", "5"};
    for (const ScenePoint& p : Scene) {
        arguments.push_back("--probe");
        arguments.push_back(std::to_string(p.x) + "," + std::to_string(p.y));
    }
    auto child = start(arguments);
    ASSERT_TRUE(exitedWith(child->waitForExit(ExitWait), 0)) << child->output();

    std::istringstream lines(child->output());
    for (const ScenePoint& p : Scene) {
        std::string word, point, hex;
        ASSERT_TRUE(lines >> word >> point >> hex) << child->output();
        EXPECT_EQ(point, std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_TRUE(nearColour(static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16)), p.rgb))
            << point << " is " << hex;
    }
}

TEST_F(GlExample, WindowShowsTheSceneUntilTheCloseBoxOrEscEndsIt) {
    for (bool closeBox : {true, false}) {
        SCOPED_TRACE(closeBox ? "close box" : "Esc");
        auto child = start({});
        Window window = None;
        ASSERT_TRUE(waitFor(
            [&] {
                window = findWindowByClass(probe(), "lettermoor");
                return window != None && windowPixel(probe(), window, 0, 0) <= 0xFFFFFF;
            },
            ExitWait))
            << "no window shown";
        // What the server holds for the window after the swaps.
        for (const ScenePoint& p : Scene) {
            std::uint32_t seen = 0;
            EXPECT_TRUE(waitFor(
                [&] { return nearColour(seen = windowPixel(probe(), window, p.x, p.y), p.rgb); },
                ExitWait))
                << p.x << "," << p.y << " is " << std::hex << seen;
        }
        EXPECT_FALSE(child->waitForExit(0));
        if (closeBox) {
            requestWindowClose(probe(), window);
        } else {
            ASSERT_TRUE(waitForFocus(probe(), window));
            tapKey(probe(), XK_Escape);
        }
        EXPECT_TRUE(exitedWith(child->waitForExit(ExitWait), 0));
        EXPECT_TRUE(waitFor([&] { return findWindowByClass(probe(), "lettermoor") == None; }));
    }
}

TEST_F(GlExample, WithoutTheOpenGLBackEndItFailsCleanly) {
    auto child = start({"--frames", "1"}, "null");
    EXPECT_TRUE(exitedWith(child->waitForExit(ExitWait), 1));
    EXPECT_EQ(findWindowByClass(probe(), "lettermoor"), None);
}

}  // namespace

#endif
