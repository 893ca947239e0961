#pragma once
// Lines, box outlines and filled boxes.

#include <cstdint>

#include "gfx/color.hpp"

namespace gfx {

struct ImageBuffer;

enum LineMode : std::int32_t { Line = 0, Box = 1, FilledBox = 2 };

// DrawFlags: bit 31 draws in foreColor; bits 0-2 are the coordinate kind.
enum DrawFlags : std::uint32_t {
    DrawAbsolute = 0,
    SecondIsOffset = 1,
    FirstFromPen = 2,
    BothRelative = 3,
    AbsoluteExplicit = 4,
    CoordKindMask = 7,
    UseForeColor = 0x80000000u,
};

// Rounds half away from zero, as every drawing operation converts coordinates.
std::int32_t roundCoordinate(float v);

// Draws onto `target` (nullptr: the screen); style's low 16 bits are the
// on/off pattern, anchored at the first point.
void drawLine(ImageBuffer* target, float x1, float y1, float x2, float y2, Color color,
              std::int32_t mode, std::uint32_t style, std::uint32_t flags);

}  // namespace gfx
