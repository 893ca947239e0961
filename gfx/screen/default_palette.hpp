#pragma once
// The palette a screen opened by size starts with: the 256 colours of the VGA
// default palette as 0x00BBGGRR.

#include <array>
#include <cstdint>

namespace gfx {

const std::array<std::uint32_t, 256>& defaultPalette256();

}  // namespace gfx
