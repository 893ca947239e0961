#pragma once
// Lines, box outlines and filled boxes.

#include <cstdint>

#include "gfx/color.hpp"
#include "gfx/coordinates.hpp"

namespace gfx {

struct ImageBuffer;

enum LineMode : std::int32_t { Line = 0, Box = 1, FilledBox = 2 };

// Draws onto `target` (nullptr: the screen); style's low 16 bits are the
// on/off pattern, anchored at the first point.
void drawLine(ImageBuffer* target, float x1, float y1, float x2, float y2, Color color,
              std::int32_t mode, std::uint32_t style, std::uint32_t flags);

}  // namespace gfx
