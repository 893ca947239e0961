#include "gfx/draw_geometry.hpp"

#include <algorithm>

#include "gfx/image.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"

namespace gfx {

void applyCoordinateKind(PenPosition& pen, std::uint32_t flags, float& x1, float& y1, float& x2,
                         float& y2) {
    switch (flags & CoordKindMask) {
        case 1:
            x2 += x1;
            y2 += y1;
            break;
        case 2:
        case 5:
            x1 += pen.x;
            y1 += pen.y;
            break;
        case 3:
            x1 += pen.x;
            y1 += pen.y;
            x2 += x1;
            y2 += y1;
            break;
        default:
            break;
    }
    pen = PenPosition{x2, y2};
}

void applyCoordinateKind(PenPosition& pen, std::uint32_t flags, float& x, float& y) {
    // Kinds 1 and 3 speak of a second point, which a one-point operation does
    // not have; kind 3's first point is still taken from the pen.
    const std::uint32_t kind = flags & CoordKindMask;
    if (kind == 2 || kind == 3 || kind == 5) {
        x += pen.x;
        y += pen.y;
    }
    pen = PenPosition{x, y};
}

namespace {

struct Extent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

Extent targetExtent(const DrawTarget& context) {
    if (context.isImage && context.target != nullptr) {
        return {context.target->width, context.target->height};
    }
    if (const Screen* screen = activeScreen(); screen != nullptr) {
        return {screen->width, screen->height};
    }
    return {};
}

}  // namespace

std::int32_t targetWidth(const DrawTarget& context) {
    return targetExtent(context).width;
}

PixelBounds pixelBounds(const DrawTarget& context) {
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
