#include "game/window_icon.hpp"

#include <array>

#include "game/window_icon_pixels.hpp"
#include "gfx/window_icon.hpp"

namespace game {

void offerWindowIcon() {
    const std::array<gfx::IconImage, 3> sizes = {{
        {WindowIcon16.data(), 16, 16},
        {WindowIcon32.data(), 32, 32},
        {WindowIcon48.data(), 48, 48},
    }};
    static_cast<void>(gfx::setWindowIcon(sizes));
}

}  // namespace game
