#pragma once
// How the drawing operations read their coordinates: the flags that pick the
// coordinate kind and the colour, and the rounding to whole pixels.

#include <cstdint>

namespace gfx {

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

}  // namespace gfx
