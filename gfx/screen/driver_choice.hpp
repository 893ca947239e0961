#pragma once
// Finding the display back end that accepts a new screen.

#include <cstdint>

#include "gfx/driver.hpp"

namespace gfx {

struct DriverRequest {
    const char* title = "";
    std::int32_t width = 0;
    std::int32_t height = 0;  // already multiplied by the scanline factor
    std::int32_t depth = 0;
    std::int32_t refresh = 0;
    std::int32_t flags = 0;
};

// The accepting driver, or nullptr when every attempt was refused.
const DisplayDriver* chooseDriver(const DriverRequest& request);

}  // namespace gfx
