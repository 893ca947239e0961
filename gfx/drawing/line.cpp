#include "gfx/line.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "gfx/drawing/draw_geometry.hpp"
#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/drawing/pixel_writers.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/screen_lock.hpp"

namespace gfx {
namespace {

constexpr std::uint16_t SolidStyle = 0xFFFF;

std::uint16_t reverseBits(std::uint16_t value) {
    std::uint16_t reversed = 0;
    for (int bit = 0; bit < 16; ++bit) {
        if ((value & (1u << bit)) != 0) reversed |= static_cast<std::uint16_t>(0x8000u >> bit);
    }
    return reversed;
}

// The on/off pattern: one bit per pixel position, from bit 15 downwards.
struct Pattern {
    std::uint16_t style;
    std::uint16_t mask = 0x8000;

    bool next() {
        const bool on = (style & mask) != 0;
        mask = static_cast<std::uint16_t>(mask == 1 ? 0x8000 : mask >> 1);
        return on;
    }
};

// Position p of a pattern that runs on over several edges.
bool patternBit(std::uint16_t style, std::int64_t position) {
    return (style & (0x8000u >> (position & 15))) != 0;
}

struct Segment {
    std::int64_t x1, y1, x2, y2;
};

int outcode(const PixelBounds& b, std::int64_t x, std::int64_t y) {
    int code = 0;
    if (x < b.left) {
        code |= 1;
    } else if (x > b.right) {
        code |= 2;
    }
    if (y < b.top) {
        code |= 8;
    } else if (y > b.bottom) {
        code |= 4;
    }
    return code;
}

std::int64_t truncated(double v) {
    return static_cast<std::int64_t>(std::trunc(v));
}

// Cohen-Sutherland, always moving point 1. False when nothing is left to draw.
bool clipSegment(Segment& s, const PixelBounds& b) {
    // Each pass puts point 1 on an edge; a handful of passes always settle,
    // the cap only guards against a rounding cycle.
    for (int pass = 0; pass < 32; ++pass) {
        int code1 = outcode(b, s.x1, s.y1);
        const int code2 = outcode(b, s.x2, s.y2);
        if ((code1 | code2) == 0) return true;
        if ((code1 & code2) != 0) return false;
        if (code1 == 0) {
            std::swap(s.x1, s.x2);
            std::swap(s.y1, s.y2);
            code1 = code2;
        }
        const double m = s.x1 == s.x2
                             ? 1.0
                             : static_cast<double>(s.y2 - s.y1) / static_cast<double>(s.x2 - s.x1);
        if ((code1 & 1) != 0) {
            s.y1 = truncated(m * static_cast<double>(b.left - s.x1) + static_cast<double>(s.y1));
            s.x1 = b.left;
        } else if ((code1 & 2) != 0) {
            s.y1 = truncated(m * static_cast<double>(b.right - s.x1) + static_cast<double>(s.y1));
            s.x1 = b.right;
        } else if ((code1 & 8) != 0) {
            if (s.x1 != s.x2) {
                s.x1 = truncated(static_cast<double>(b.top - s.y1) / m + static_cast<double>(s.x1));
            }
            s.y1 = b.top;
        } else {
            if (s.x1 != s.x2) {
                s.x1 =
                    truncated(static_cast<double>(b.bottom - s.y1) / m + static_cast<double>(s.x1));
            }
            s.y1 = b.bottom;
        }
    }
    return false;
}

// Runs from a to b inclusive along one axis; when a > b the run is walked from
// b upwards with the pattern reversed, so it stays anchored at a.
Pattern straightRun(std::int32_t& a, std::int32_t& b, std::uint16_t style) {
    Pattern pattern{style};
    if (a > b) {
        std::swap(a, b);
        pattern.style = reverseBits(style);
        pattern.mask = static_cast<std::uint16_t>(1u << ((b - a) % 16));
    }
    return pattern;
}

template <typename Pixels>
void plotPattern(Pixels& pixels, Pattern pattern, std::int32_t from, std::int32_t to, bool vertical,
                 std::int32_t at) {
    for (std::int32_t i = from; i <= to; ++i) {
        if (pattern.next()) vertical ? pixels(at, i) : pixels(i, at);
    }
}

template <typename Pixels>
void bresenham(Pixels& pixels, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
               std::uint16_t style) {
    Pattern pattern{style};
    const std::int32_t dx = std::abs(x2 - x1);
    const std::int32_t dy = std::abs(y2 - y1);
    const std::int32_t sx = x2 > x1 ? 1 : -1;
    const std::int32_t sy = y2 > y1 ? 1 : -1;
    std::int32_t x = x1;
    std::int32_t y = y1;
    if (dx >= dy) {
        std::int32_t e = 2 * dy - dx;
        for (std::int32_t i = 0; i <= dx; ++i) {
            if (pattern.next()) pixels(x, y);
            if (e >= 0) {
                y += sy;
                e -= 2 * dx;
            }
            e += 2 * dy;
            x += sx;
        }
    } else {
        std::int32_t e = 2 * dx - dy;
        for (std::int32_t i = 0; i <= dy; ++i) {
            if (pattern.next()) pixels(x, y);
            if (e >= 0) {
                x += sx;
                e -= 2 * dy;
            }
            e += 2 * dx;
            y += sy;
        }
    }
}

void plotLine(DrawTarget& context, std::int32_t x1, std::int32_t y1, std::int32_t x2,
              std::int32_t y2, Color color, std::uint16_t style) {
    const DrawPrimitives& draw = *context.primitives;
    if (x1 == x2) {
        const Pattern pattern = straightRun(y1, y2, style);
        if (pattern.style == SolidStyle && storesPlainly(context)) {
            return draw.fill(context, x1, y1, 1, y2 - y1 + 1, color);
        }
        draw.ownPixels(context);
        withPixels(context, color,
                   [&](auto pixels) { plotPattern(pixels, pattern, y1, y2, true, x1); });
    } else if (y1 == y2) {
        const Pattern pattern = straightRun(x1, x2, style);
        if (pattern.style == SolidStyle) return draw.fill(context, x1, y1, x2 - x1 + 1, 1, color);
        draw.ownPixels(context);
        withPixels(context, color,
                   [&](auto pixels) { plotPattern(pixels, pattern, x1, x2, false, y1); });
    } else {
        draw.ownPixels(context);
        withPixels(context, color, [&](auto pixels) { bresenham(pixels, x1, y1, x2, y2, style); });
    }
    markRows(context, std::min(y1, y2), std::max(y1, y2));
}

void drawSegment(DrawTarget& context, const Segment& line, Color color, std::uint16_t style) {
    Segment s = line;
    if (!clipSegment(s, pixelBounds(context))) return;
    detail::lockForDrawing();
    plotLine(context, static_cast<std::int32_t>(s.x1), static_cast<std::int32_t>(s.y1),
             static_cast<std::int32_t>(s.x2), static_cast<std::int32_t>(s.y2), color, style);
    detail::unlockAfterDrawing();
}

// A box outline: the corners as given (x1 <= x2, y1 <= y2) and the part of
// it inside the clip bounds.
struct Outline {
    Segment box{};
    std::int32_t cx1 = 0;
    std::int32_t cy1 = 0;
    std::int32_t cx2 = 0;
    std::int32_t cy2 = 0;
    PixelBounds bounds;
};

// Edges in their drawing order: bottom, top, right, left. The pattern counts
// every position of each whole edge, clipped ones and edges outside included,
// so the bottom edge's column x1 takes bit 15.
template <typename Pixels>
void patternedOutline(Pixels& pixels, const Outline& o, std::uint16_t style) {
    const Segment& s = o.box;
    const std::int64_t across = s.x2 - s.x1 + 1;
    const std::int64_t down = s.y2 - s.y1 + 1;
    std::int64_t position = 0;
    auto horizontal = [&](std::int64_t row, bool visible) {
        if (visible) {
            for (std::int32_t x = o.cx1; x <= o.cx2; ++x) {
                if (patternBit(style, position + (x - s.x1))) {
                    pixels(x, static_cast<std::int32_t>(row));
                }
            }
        }
        position += across;
    };
    auto vertical = [&](std::int64_t column, bool visible) {
        if (visible) {
            for (std::int32_t y = o.cy1; y <= o.cy2; ++y) {
                if (patternBit(style, position + (y - s.y1))) {
                    pixels(static_cast<std::int32_t>(column), y);
                }
            }
        }
        position += down;
    };
    horizontal(s.y2, s.y2 <= o.bounds.bottom);
    horizontal(s.y1, s.y1 >= o.bounds.top);
    vertical(s.x2, s.x2 <= o.bounds.right);
    vertical(s.x1, s.x1 >= o.bounds.left);
}

// The corners in order and their part inside the clip bounds; false when
// no part of the box is inside. The corners come by reference: a 32-byte
// argument copied through the stack is read back wider than it was written,
// which stalls every call.
[[gnu::always_inline]] inline bool clipBox(const DrawTarget& context, const Segment& corners,
                                           Outline& o) {
    const Segment s{std::min(corners.x1, corners.x2), std::min(corners.y1, corners.y2),
                    std::max(corners.x1, corners.x2), std::max(corners.y1, corners.y2)};
    const PixelBounds b = pixelBounds(context);
    if (s.x2 < b.left || s.y2 < b.top || s.x1 > b.right || s.y1 > b.bottom) return false;
    o = Outline{s,
                static_cast<std::int32_t>(std::max<std::int64_t>(s.x1, b.left)),
                static_cast<std::int32_t>(std::max<std::int64_t>(s.y1, b.top)),
                static_cast<std::int32_t>(std::min<std::int64_t>(s.x2, b.right)),
                static_cast<std::int32_t>(std::min<std::int64_t>(s.y2, b.bottom)),
                b};
    return true;
}

// Which edges of a solid outline lie inside the clip bounds: one colour
// throughout, so their order does not matter.
std::uint8_t visibleEdges(const Outline& o) {
    const Segment& s = o.box;
    return static_cast<std::uint8_t>(
        (s.y2 <= o.bounds.bottom ? BottomEdge : 0) | (s.y1 >= o.bounds.top ? TopEdge : 0) |
        (s.x2 <= o.bounds.right ? RightEdge : 0) | (s.x1 >= o.bounds.left ? LeftEdge : 0));
}

// Inline: it is the call of every box.
[[gnu::always_inline]] inline void drawBox(DrawTarget& context, const Segment& corners, Color color,
                                           bool filled, std::uint16_t style) {
    Outline o;
    if (!clipBox(context, corners, o)) return;
    const std::int32_t width = o.cx2 - o.cx1 + 1;
    const std::int32_t height = o.cy2 - o.cy1 + 1;
    const DrawPrimitives& draw = *context.primitives;
    detail::lockForDrawing();
    if (filled) {
        draw.fill(context, o.cx1, o.cy1, width, height, color);
    } else if (style == SolidStyle) {
        draw.outline(context, o.cx1, o.cy1, width, height, visibleEdges(o), color);
    } else {
        draw.ownPixels(context);
        withPixels(context, color, [&](auto pixels) { patternedOutline(pixels, o, style); });
        markRows(context, o.cy1, o.cy2);
    }
    detail::unlockAfterDrawing();
}

}  // namespace

void drawLine(ImageBuffer* target, float x1, float y1, float x2, float y2, Color color,
              std::int32_t mode, std::uint32_t style, std::uint32_t flags) {
    if (activeScreen() == nullptr) return;
    DrawTarget& context = detail::threadTarget();
    if (selectTarget(context, target) != runtime::ResultCode::Ok) return;
    if ((flags & UseForeColor) != 0) color = context.foreColor;
    applyCoordinateKind(context.penPosition, flags, x1, y1, x2, y2);
    const std::int64_t originX = context.clipRect.x;
    const std::int64_t originY = context.clipRect.y;
    const Segment segment{roundCoordinate(x1) + originX, roundCoordinate(y1) + originY,
                          roundCoordinate(x2) + originX, roundCoordinate(y2) + originY};
    const auto pattern = static_cast<std::uint16_t>(style & 0xFFFFu);
    if (mode == Line) {
        drawSegment(context, segment, color, pattern);
    } else {
        drawBox(context, segment, color, mode == FilledBox, pattern);
    }
}

}  // namespace gfx
