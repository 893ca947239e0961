#pragma once
// Helpers the drawing operations share: coordinate kinds and the inclusive
// pixel bounds a target may be drawn in.

#include <algorithm>
#include <cstdint>

#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"

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

// Width and height in pixels of the current target (0 without one).
struct Extent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Always inline, as every drawing call asks for them.
[[gnu::always_inline]] inline Extent targetExtent(const DrawTarget& context) {
    if (context.isImage && context.target != nullptr) {
        return {context.target->width, context.target->height};
    }
    if (const Screen* screen = activeScreen(); screen != nullptr) {
        return {screen->width, screen->height};
    }
    return {};
}

[[gnu::always_inline]] inline PixelBounds pixelBounds(const DrawTarget& context) {
    const auto [width, height] = targetExtent(context);
    const ClipRect& clip = context.clipRect;
    PixelBounds bounds;
    bounds.left = std::max(clip.x, 0);
    bounds.top = std::max(clip.y, 0);
    bounds.right = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{clip.x} + clip.width - 1, width - 1));
    bounds.bottom = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{clip.y} + clip.height - 1, height - 1));
    return bounds;
}

}  // namespace gfx
