// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/Xatom.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "game/window_icon.hpp"
#include "game/window_icon_pixels.hpp"
#include "gfx/drivers/x11_driver.hpp"
#include "gfx/window_icon.hpp"
#include "tests/x11/game_session.hpp"

namespace {

using namespace lettermoor::testing;

using X11Icon = XServerTest;

TEST_F(X11Icon, WindowHasNoIconUntilOneIsOfferedThenEverySizeAsCardinals) {
    gfx::setDriverCandidates({&gfx::x11Driver()});
    // The _NET_WM_ICON of a new window as 32-bit values; empty when it has none.
    const auto iconOfNewWindow = [&] {
        std::vector<std::uint32_t> values;
        openWindow(1000, 600);
        if (HasFatalFailure()) return values;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(probe(), window_, XInternAtom(probe(), "_NET_WM_ICON", False), 0,
                           1 << 20, False, XA_CARDINAL, &type, &format, &count, &after, &data);
        for (unsigned long i = 0; type == XA_CARDINAL && format == 32 && i < count; ++i) {
            values.push_back(static_cast<std::uint32_t>(reinterpret_cast<const long*>(data)[i]));
        }
        XFree(data);
        gfx::closeScreen();
        return values;
    };
    EXPECT_TRUE(iconOfNewWindow().empty());

    game::offerWindowIcon();
    std::vector<std::uint32_t> expected;
    for (const auto& [side, pixels] :
         {std::pair(16u, game::WindowIcon16.data()), std::pair(32u, game::WindowIcon32.data()),
          std::pair(48u, game::WindowIcon48.data())}) {
        expected.insert(expected.end(), {side, side});
        expected.insert(expected.end(), pixels, pixels + std::size_t{side} * side);
    }
    const std::vector<std::uint32_t> icon = iconOfNewWindow();
    EXPECT_TRUE(icon == expected) << icon.size() << " values, " << expected.size() << " expected";
    static_cast<void>(gfx::setWindowIcon({}));  // the other tests' windows have none
}

}  // namespace
