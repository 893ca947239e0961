#pragma once
// The X tests' fixture on the harness: a private Xvfb named by DISPLAY, the
// test's own connection to it, and screens the test opens there.

#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "tests/x11/puzzle_player.hpp"

namespace lettermoor::testing {

class XServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
        XInitThreads();
        // Mesa's software driver, unloaded when the display closes, would look leaked.
        for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                                 "/usr/lib64/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
            if (dlopen(path, RTLD_NOW | RTLD_NODELETE) != nullptr) break;
        }
        server_ = std::make_unique<XvfbServer>(screenSize_);
        ASSERT_TRUE(server_->running()) << "Xvfb did not start";
        setenv("DISPLAY", server_->name().c_str(), 1);
        probe_.reset(XOpenDisplay(server_->name().c_str()));
        ASSERT_NE(probe(), nullptr);
    }

    void TearDown() override {
        gfx::closeScreen();
        gfx::setDriverCandidates({});
        unsetenv("LETTERMOOR_DRIVER");
        probe_.reset();
        server_.reset();
    }

    Display* probe() const { return probe_.get(); }

    // Opens a screen titled "Lettermoor" and waits for its window.
    void openWindow(std::int32_t width, std::int32_t height, std::int32_t flags = 0) {
        gfx::setWindowTitle("Lettermoor");
        ASSERT_EQ(gfx::openScreen(width, height, 32, 0, flags, 0), 0);
        window_ = waitForWindow(probe(), "Lettermoor");
        ASSERT_NE(window_, None);
    }

    // Waits for predicate, polling a back end that has no thread of its own.
    template <typename Predicate>
    bool pollUntil(Predicate predicate) {
        return waitFor([&] {
            const gfx::Screen* screen = gfx::activeScreen();
            if (screen != nullptr && screen->driver->pollEvents != nullptr)
                screen->driver->pollEvents();
            return predicate();
        });
    }
    // Types a space and reads keys up to it: the window handles its events in
    // order, so everything sent before has been handled then. The keys read
    // before the space go to typed.
    bool eventsHandled(std::vector<std::string>* typed = nullptr) {
        tapKey(probe(), XK_space);
        return pollUntil([&] {
            for (std::string key = gfx::readKey(); !key.empty(); key = gfx::readKey()) {
                if (key == " ") return true;
                if (typed != nullptr) typed->push_back(key);
            }
            return false;
        });
    }

    std::string screenSize_ = "1280x1024x24";  // the Xvfb's, set before SetUp
    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<Display, int (*)(Display*)> probe_{nullptr, XCloseDisplay};
    Window window_ = None;
};

}  // namespace lettermoor::testing
