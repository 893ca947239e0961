#pragma once
// How the drawing operations read their coordinates: the flags that pick the
// coordinate kind and the colour, and the rounding to whole pixels.

#include <cmath>
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

// Far-off and non-finite coordinates saturate instead of overflowing.
std::int32_t saturatedCoordinate(double shifted);

// Rounds half away from zero, as every drawing operation converts coordinates.
// Inline: a frame rounds a few thousand of them.
inline std::int32_t roundCoordinate(float v) {
    // Exact: a float widened to double has room for the added half. In range,
    // the conversion itself truncates towards zero.
    const double shifted = static_cast<double>(v) + std::copysign(0.5, static_cast<double>(v));
    if (std::fabs(shifted) < 2147483648.0) [[likely]] {
        return static_cast<std::int32_t>(shifted);
    }
    return saturatedCoordinate(shifted);
}

}  // namespace gfx
