#include "gfx/drawing/draw_geometry.hpp"

#include <cmath>
#include <limits>

#include "gfx/coordinates.hpp"

namespace gfx {

std::int32_t roundCoordinate(float v) {
    // Exact: a float widened to double has room for the added half. In range,
    // the conversion itself truncates towards zero.
    const double shifted = static_cast<double>(v) + std::copysign(0.5, static_cast<double>(v));
    if (std::fabs(shifted) < 2147483648.0) [[likely]] {
        return static_cast<std::int32_t>(shifted);
    }
    // Far-off and non-finite coordinates saturate instead of overflowing.
    if (std::isnan(shifted)) return 0;
    return shifted > 0 ? std::numeric_limits<std::int32_t>::max()
                       : std::numeric_limits<std::int32_t>::min();
}

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

}  // namespace gfx
