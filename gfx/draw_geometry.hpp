#pragma once
// Helpers the drawing operations share: coordinate kinds and the inclusive
// pixel bounds a target may be drawn in.

#include <cstdint>

#include "gfx/draw_target.hpp"

namespace gfx {

// Applies DrawFlags bits 0-2 to the two points and moves the pen to the second.
void applyCoordinateKind(PenPosition& pen, std::uint32_t flags, float& x1, float& y1, float& x2,
                         float& y2);
// The same for an operation with one point, which the pen then moves to.
void applyCoordinateKind(PenPosition& pen, std::uint32_t flags, float& x, float& y);

// First and last column and row that may be written: the clip rectangle,
// narrowed to the target itself so a stray clip rectangle cannot reach
// memory outside it. Empty when right < left or bottom < top.
struct PixelBounds {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = -1;
    std::int32_t bottom = -1;
};
PixelBounds pixelBounds(const DrawTarget& context);

// Width in pixels of the current target (0 without one).
std::int32_t targetWidth(const DrawTarget& context);

}  // namespace gfx
