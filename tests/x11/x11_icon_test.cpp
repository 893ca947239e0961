// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <stdlib.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/window_icon.hpp"
#include "game/window_icon_pixels.hpp"
#include "gfx/drivers/x11_driver.hpp"
#include "gfx/screen.hpp"
#include "gfx/window_icon.hpp"
#include "tests/x11/xvfb_server.hpp"

namespace {

using lettermoor::testing::findWindowByClass;
using lettermoor::testing::TestDisplay;
using lettermoor::testing::waitFor;
using lettermoor::testing::XvfbServer;

class X11Icon : public ::testing::Test {
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
    }

    void TearDown() override {
        gfx::closeScreen();
        gfx::setDriverCandidates({});
        static_cast<void>(gfx::setWindowIcon({}));
        probe_.reset();
        server_.reset();
    }

    Window openWindow() {
        Window window = None;
        if (gfx::openScreen(1000, 600, 32, 0, 0, 0) != 0) return None;
        waitFor([&] { return (window = findWindowByClass(probe_->get(), "lettermoor")) != None; });
        return window;
    }

    // _NET_WM_ICON as 32-bit values; empty when the window has none.
    std::vector<std::uint32_t> iconProperty(Window window) {
        Display* display = probe_->get();
        const Atom netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<std::uint32_t> values;
        if (XGetWindowProperty(display, window, netWmIcon, 0, 1 << 20, False, XA_CARDINAL, &type,
                               &format, &count, &after, &data) != Success) {
            return values;
        }
        if (type == XA_CARDINAL && format == 32) {
            const auto* longs = reinterpret_cast<const long*>(data);
            for (unsigned long i = 0; i < count; ++i)
                values.push_back(static_cast<std::uint32_t>(longs[i]));
        }
        if (data != nullptr) XFree(data);
        return values;
    }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<TestDisplay> probe_;
};

TEST_F(X11Icon, GameIconArrivesAsCardinalsOfEverySize) {
    game::offerWindowIcon();
    const Window window = openWindow();
    ASSERT_NE(window, None);
    const std::vector<std::uint32_t> values = iconProperty(window);
    ASSERT_EQ(values.size(), (2 + 16 * 16) + (2 + 32 * 32) + (2 + 48 * 48));

    std::size_t at = 0;
    auto expectSize = [&](std::uint32_t side, const std::uint32_t* pixels) {
        ASSERT_EQ(values[at], side);
        ASSERT_EQ(values[at + 1], side);
        at += 2;
        for (std::uint32_t i = 0; i < side * side; ++i, ++at) {
            ASSERT_EQ(values[at], pixels[i]) << "size " << side << " pixel " << i;
        }
    };
    expectSize(16, game::WindowIcon16.data());
    expectSize(32, game::WindowIcon32.data());
    expectSize(48, game::WindowIcon48.data());
}

TEST_F(X11Icon, WindowWithoutIconHasNoProperty) {
    const Window window = openWindow();
    ASSERT_NE(window, None);
    EXPECT_TRUE(iconProperty(window).empty());
}

}  // namespace
