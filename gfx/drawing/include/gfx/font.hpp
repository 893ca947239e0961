#pragma once
// The built-in 8 by 8 code page 437 font: 8 bytes per glyph, one byte per row
// from the top, bit 0 the leftmost pixel.

#include <array>
#include <cstdint>

namespace gfx {

extern const std::array<std::uint8_t, 2048> BuiltinFont;

}  // namespace gfx
