#include <X11/Xatom.h>

#include <vector>

#include "gfx/drivers/x11_state.hpp"
#include "gfx/window_icon.hpp"

namespace gfx::x11 {

// _NET_WM_ICON: per size the width, the height, then the pixels as ARGB
// cardinals. Format-32 properties travel as longs in Xlib, whatever their width.
void applyWindowIcon(X11State& s) {
    const std::vector<StoredIcon>& icon = windowIcon();
    if (icon.empty()) return;
    std::vector<long> cardinals;
    for (const StoredIcon& size : icon) {
        cardinals.push_back(size.width);
        cardinals.push_back(size.height);
        for (std::uint32_t pixel : size.argb) cardinals.push_back(static_cast<long>(pixel));
    }
    const Atom netWmIcon = XInternAtom(s.display, "_NET_WM_ICON", False);
    XChangeProperty(s.display, s.window, netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(cardinals.data()),
                    static_cast<int>(cardinals.size()));
}

}  // namespace gfx::x11
