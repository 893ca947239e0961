// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <stdlib.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/x11/child_process.hpp"
#include "tests/x11/window_probe.hpp"
#include "tests/x11/xvfb_server.hpp"

#if defined(LETTERMOOR_GL_EXAMPLE)

namespace {

using lettermoor::testing::ChildProcess;
using lettermoor::testing::findWindowByClass;
using lettermoor::testing::nearColour;
using lettermoor::testing::TestDisplay;
using lettermoor::testing::waitFor;
using lettermoor::testing::windowPixel;
using lettermoor::testing::XvfbServer;

constexpr int ExitWait = 20000;  // Mesa's software renderer starts slowly under the sanitizers

// Points of the example's scene and the colour each must have.
struct ScenePoint {
    int x;
    int y;
    std::uint32_t rgb;
};
constexpr ScenePoint Scene[] = {
    {10, 10, 0x000066},    // navy background, top left
    {630, 470, 0x000066},  // and bottom right
    {100, 100, 0xFF0000},  // red square
    {239, 199, 0xFF0000},  // its last pixel
    {241, 100, 0x000066},  // just right of it
    {500, 80, 0x00FF00},   // green triangle
    {100, 350, 0xFFFF00},  // yellow square
};

// The example on a private X server.
class GlExample : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
        server_ = std::make_unique<XvfbServer>();
        ASSERT_TRUE(server_->running()) << "Xvfb did not start";
        probe_ = std::make_unique<TestDisplay>(server_->name());
        ASSERT_NE(probe_->get(), nullptr);
    }

    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                        const std::string& driver = "") {
        std::vector<std::string> environment = {
            "DISPLAY=" + server_->name(),
            // Mesa unloads its driver when the display closes, and what the
            // driver's globals pointed to then looks leaked. The in-process
            // tests check the back end's own teardown for leaks.
            "ASAN_OPTIONS=detect_leaks=0"};
        environment.push_back("LETTERMOOR_DRIVER=" + driver);
        auto child = std::make_unique<ChildProcess>(LETTERMOOR_GL_EXAMPLE, arguments, environment);
        EXPECT_TRUE(child->started());
        return child;
    }

    // The example's window once it is shown, or None.
    Window waitForWindow() {
        Window window = None;
        const bool shown = waitFor(
            [&] {
                window = findWindowByClass(probe(), "lettermoor");
                XWindowAttributes attributes{};
                return window != None && XGetWindowAttributes(probe(), window, &attributes) &&
                       attributes.map_state == IsViewable;
            },
            ExitWait);
        return shown ? window : None;
    }

    Display* probe() const { return probe_->get(); }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<TestDisplay> probe_;
};

TEST_F(GlExample, ProbedPixelsOfTheLastFrameHaveTheSceneColours) {
    std::vector<std::string> arguments = {"--frames", "5"};
    for (const ScenePoint& p : Scene) {
        arguments.push_back("--probe");
        arguments.push_back(std::to_string(p.x) + "," + std::to_string(p.y));
    }
    auto child = start(arguments);
    ASSERT_EQ(child->wait(ExitWait), 0) << child->output();

    std::istringstream lines(child->output());
    for (const ScenePoint& p : Scene) {
        std::string word;
        std::string point;
        std::string hex;
        ASSERT_TRUE(lines >> word >> point >> hex) << child->output();
        EXPECT_EQ(word, "probe");
        EXPECT_EQ(point, std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_TRUE(nearColour(static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16)), p.rgb))
            << point << " is " << hex;
    }
}

TEST_F(GlExample, WindowShowsTheSceneUntilTheCloseBoxIsUsed) {
    auto child = start({});
    const Window window = waitForWindow();
    ASSERT_NE(window, None);

    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(probe(), window, &attributes));
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(probe(), window, &name));
    EXPECT_STREQ(name, "Lettermoor OpenGL example");
    XFree(name);

    // What the server holds for the window after the swaps.
    for (const ScenePoint& p : Scene) {
        std::uint32_t seen = 0;
        EXPECT_TRUE(waitFor(
            [&] { return nearColour(seen = windowPixel(probe(), window, p.x, p.y), p.rgb); },
            ExitWait))
            << p.x << "," << p.y << " is " << std::hex << seen;
    }
    EXPECT_TRUE(child->running());

    lettermoor::testing::requestWindowClose(probe(), window);
    EXPECT_EQ(child->wait(ExitWait), 0);
}

TEST_F(GlExample, EscEndsIt) {
    auto child = start({});
    const Window window = waitForWindow();
    ASSERT_NE(window, None);
    ASSERT_TRUE(lettermoor::testing::waitForFocus(probe(), window));
    lettermoor::testing::tapKey(probe(), XK_Escape);
    EXPECT_EQ(child->wait(ExitWait), 0);
}

TEST_F(GlExample, WithoutTheOpenGLBackEndItFailsCleanly) {
    auto child = start({"--frames", "1"}, "null");
    EXPECT_EQ(child->wait(ExitWait), 1);
    EXPECT_EQ(findWindowByClass(probe(), "lettermoor"), None);
}

}  // namespace

#endif
