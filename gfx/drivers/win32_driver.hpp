#pragma once
// The Win32 window back ends, in the order openScreen tries them.

#include <cstdint>
#include <vector>

#include "gfx/driver.hpp"

namespace gfx {

const DisplayDriver& directXDriver();
const DisplayDriver& gdiDriver();

namespace win32 {

// The display's modes as (width << 16) | height. Without exactDepth, depths
// 15 and 16 count as one, and so do 24 and 32.
std::vector<std::uint32_t> displayModes(std::int32_t depth, bool exactDepth);

}  // namespace win32

}  // namespace gfx
