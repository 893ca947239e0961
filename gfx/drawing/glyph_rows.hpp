#pragma once
// Whole 8-pixel glyph rows written at once, for cells that lie wholly inside
// a target whose pixels may be stored directly.

#include <cstdint>

#include "gfx/color.hpp"

namespace gfx {

inline constexpr std::int32_t GlyphCellWidth = 8;

// For each of `count` rows r: the pixels of the cell starting at column x0 of
// rows[r] whose bit (bit 0 the leftmost) is set in glyph[r] & mask take
// `color`; every other pixel keeps its value.
using GlyphRowWriter = void (*)(std::uint8_t* const* rows, std::int32_t x0,
                                const std::uint8_t* glyph, std::int32_t count, std::uint8_t mask,
                                Color color);

// nullptr for depths without a row writer; those draw pixel by pixel.
GlyphRowWriter glyphRowWriter(std::int32_t bytesPerPixel);

}  // namespace gfx
