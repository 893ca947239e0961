#include "gfx/driver.hpp"

namespace gfx {

// Accepts every screen; with no window there is nothing to lock or show.
const DisplayDriver& nullDriver() {
    static const DisplayDriver driver{
        .name = "Null",
        .init = [](const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   std::int32_t) { return 0; }};
    return driver;
}

}  // namespace gfx
