// Lines, outlines, filled boxes and text in every style against a plain
// per-pixel drawer, over thousands of random shapes and clip rectangles that
// reach past the screen. Each shape is drawn once through the direct stores
// and once through a putPixel that is not the plain one, so both writers are
// held to the same pixels and the same marked rows. The wide span fills the
// boxes use are held to plain stores on their own.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/drawing/wide_fill.hpp"
#include "gfx/font.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/text.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;

constexpr std::int32_t Width = 83;
constexpr std::int32_t Height = 57;
constexpr Color Paper = 0xFF102030u;

// Pixels and marked rows as they must end up; coordinates count from the
// clip rectangle's corner.
struct Expected {
    std::int32_t left, top, right, bottom;
    std::vector<std::uint32_t> pixels =
        std::vector<std::uint32_t>(std::size_t{Width} * Height, Paper);
    std::vector<std::uint8_t> dirty = std::vector<std::uint8_t>(Height, 0);

    bool inside(std::int64_t x, std::int64_t y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
    void set(std::int64_t x, std::int64_t y, Color color) {
        ASSERT_TRUE(inside(x, y)) << x << "," << y;
        pixels[static_cast<std::size_t>(y * Width + x)] = color;
    }
    void mark(std::int64_t first, std::int64_t last) {
        for (std::int64_t row = first; row <= last; ++row) dirty[static_cast<std::size_t>(row)] = 1;
    }
};

bool styleBit(std::uint16_t style, std::int64_t position) {
    return ((style >> (15 - (position & 15))) & 1u) != 0;
}

// Clipped first, then walked from a to b, so the pattern stays anchored at a.
void referenceLine(Expected& e, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                   Color color, std::uint16_t style) {
    for (int pass = 0;; ++pass) {
        if (pass == 32) return;  // an empty clip rectangle never settles
        auto code = [&](std::int64_t x, std::int64_t y) {
            return (x < e.left ? 1 : x > e.right ? 2 : 0) | (y < e.top ? 8 : y > e.bottom ? 4 : 0);
        };
        int c1 = code(x1, y1);
        const int c2 = code(x2, y2);
        if ((c1 | c2) == 0) break;
        if ((c1 & c2) != 0) return;
        if (c1 == 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            c1 = c2;
        }
        const double m = x1 == x2 ? 1.0 : double(y2 - y1) / double(x2 - x1);
        if (c1 & 1) {
            y1 = static_cast<std::int64_t>(std::trunc(m * double(e.left - x1) + double(y1)));
            x1 = e.left;
        } else if (c1 & 2) {
            y1 = static_cast<std::int64_t>(std::trunc(m * double(e.right - x1) + double(y1)));
            x1 = e.right;
        } else {
            const std::int64_t edge = (c1 & 8) ? e.top : e.bottom;
            if (x1 != x2) {
                x1 = static_cast<std::int64_t>(std::trunc(double(edge - y1) / m + double(x1)));
            }
            y1 = edge;
        }
    }
    const std::int64_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const std::int64_t sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    const bool flat = dx >= dy;
    std::int64_t x = x1, y = y1, err = flat ? 2 * dy - dx : 2 * dx - dy;
    for (std::int64_t i = 0; i <= std::max(dx, dy); ++i) {
        if (styleBit(style, i)) e.set(x, y, color);
        if (err >= 0) {
            flat ? y += sy : x += sx;
            err -= 2 * std::max(dx, dy);
        }
        err += 2 * std::min(dx, dy);
        flat ? x += sx : y += sy;
    }
    e.mark(std::min(y1, y2), std::max(y1, y2));
}

void referenceBox(Expected& e, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                  Color color, bool filled, std::uint16_t style) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (x2 < e.left || y2 < e.top || x1 > e.right || y1 > e.bottom) return;
    std::int64_t position = 0;
    // Every position of each whole edge counts, whether it is drawn or not.
    auto edge = [&](std::int64_t fx, std::int64_t fy, std::int64_t steps, bool across, bool shown) {
        for (std::int64_t i = 0; i < steps; ++i, ++position) {
            const std::int64_t x = across ? fx + i : fx, y = across ? fy : fy + i;
            if (shown && e.inside(x, y) && (filled || styleBit(style, position))) {
                e.set(x, y, color);
            }
        }
    };
    if (filled) {
        for (std::int64_t y = y1; y <= y2; ++y) edge(x1, y, x2 - x1 + 1, true, true);
    } else {
        edge(x1, y2, x2 - x1 + 1, true, y2 <= e.bottom);
        edge(x1, y1, x2 - x1 + 1, true, y1 >= e.top);
        edge(x2, y1, y2 - y1 + 1, false, x2 <= e.right);
        edge(x1, y1, y2 - y1 + 1, false, x1 >= e.left);
    }
    e.mark(std::max<std::int64_t>(y1, e.top), std::min<std::int64_t>(y2, e.bottom));
}

void referenceText(Expected& e, std::int64_t x, std::int64_t y, const std::string& text,
                   Color color) {
    const auto n = static_cast<std::int64_t>(text.size());
    if (x + 8 * n - 1 < e.left || x > e.right || y + 7 < e.top || y > e.bottom) return;
    if (e.right < e.left || e.bottom < e.top) return;
    for (std::int64_t i = 0; i < n; ++i) {
        const std::uint8_t* glyph =
            BuiltinFont.data() + std::ptrdiff_t{8} * static_cast<std::uint8_t>(text[i]);
        for (std::int64_t row = 0; row < 8; ++row) {
            for (std::int64_t bit = 0; bit < 8; ++bit) {
                const std::int64_t px = x + 8 * i + bit;
                if ((glyph[row] >> bit & 1) != 0 && e.inside(px, y + row)) {
                    e.set(px, y + row, color);
                }
            }
        }
    }
    e.mark(std::max<std::int64_t>(y, e.top), std::min<std::int64_t>(y + 7, e.bottom));
}

void routedPutPixel(DrawTarget& context, std::int32_t x, std::int32_t y, Color color) {
    std::memcpy(context.rowTable[static_cast<std::size_t>(y)] + std::ptrdiff_t{4} * x, &color, 4);
}

::testing::AssertionResult matches(const Expected& e, bool routed) {
    const Screen& screen = *activeScreen();
    const ClipRect& c = drawTarget().clipRect;
    auto failure = ::testing::AssertionFailure();
    failure << " in clip (" << c.x << "," << c.y << "," << c.width << "," << c.height << ")"
            << (routed ? " through putPixel" : " stored directly");
    for (std::int32_t y = 0; y < Height; ++y) {
        if (screen.dirtyRows[y] != e.dirty[y]) return failure << ": row " << y << " marks";
        for (std::int32_t x = 0; x < Width; ++x) {
            if (gfxtest::screenPixel(x, y) != e.pixels[y * Width + x]) {
                return failure << ": pixel " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

using DrawingReference = gfxtest::NullScreenTest<Width, Height>;

TEST_F(DrawingReference, ShapesAndTextMatchThePerPixelRules) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::int32_t> coordinate(-60, Width + 60), place(-30, Width + 10);
    for (int shape = 0; shape < 12000; ++shape) {
        // Paper everywhere, no marks, a random clip rectangle and writer.
        gfxtest::fillScreen(Paper);
        gfxtest::clearDirtyRows();
        const bool routed = shape % 2 == 1;
        drawTarget().putPixel = routed ? routedPutPixel : putPixelFor(4);
        ClipRect c{0, 0, Width, Height};
        if (random() % 3 != 0) {
            std::uniform_int_distribution<std::int32_t> corner(-10, Width + 10);
            const std::int32_t cx = corner(random), cy = corner(random) % (Height + 10);
            c = ClipRect{cx, cy, corner(random), corner(random) % (Height + 10)};
        }
        drawTarget().clipRect = c;
        Expected e{std::max(c.x, 0), std::max(c.y, 0), std::min(c.x + c.width, Width) - 1,
                   std::min(c.y + c.height, Height) - 1};
        const std::int64_t ox = c.x, oy = c.y;
        const Color color = 0xFF000000u | (random() & 0xFFFFFFu);
        if (shape % 5 == 4) {
            std::string text(1 + random() % 12, ' ');
            for (char& c : text) c = static_cast<char>(random());
            const std::int32_t x = place(random), y = place(random) % (Height + 10);
            drawText(nullptr, float(x), float(y), 4, text, color);
            referenceText(e, x + ox, y + oy, text, color);
            ASSERT_TRUE(matches(e, routed)) << "text " << shape << " at (" << x << "," << y << ")";
            continue;
        }
        std::int32_t x1 = coordinate(random), y1 = coordinate(random) - 20;
        std::int32_t x2 = coordinate(random), y2 = coordinate(random) - 20;
        // Straight lines and small shapes get their share.
        if (shape % 5 == 0) x2 = x1;
        if (shape % 5 == 1) y2 = y1;
        if (shape % 7 == 0) {
            x2 = x1 + static_cast<std::int32_t>(random() % 5);
            y2 = y1 + static_cast<std::int32_t>(random() % 5);
        }
        const auto mode = static_cast<std::int32_t>(random() % 4);  // 3 is unknown: an outline
        const std::uint16_t style =
            random() % 2 == 0 ? 0xFFFF : static_cast<std::uint16_t>(random());
        drawLine(nullptr, float(x1), float(y1), float(x2), float(y2), color, mode, style, 0);
        if (mode == Line) {
            referenceLine(e, x1 + ox, y1 + oy, x2 + ox, y2 + oy, color, style);
        } else {
            referenceBox(e, x1 + ox, y1 + oy, x2 + ox, y2 + oy, color, mode == FilledBox, style);
        }
        ASSERT_TRUE(matches(e, routed))
            << "shape " << shape << " mode " << mode << " (" << x1 << "," << y1 << ")-(" << x2
            << "," << y2 << ") style " << style;
    }
}

// Both store widths write exactly the run, whatever its start's alignment and
// length, and nothing on either side of it.
TEST(WideFill, BothWidthsWriteExactlyTheRun) {
    std::vector<gfx::WideFillFn> fills{gfx::wideFill16};
    if (__builtin_cpu_supports("avx2")) fills.push_back(gfx::wideFill32);
    std::mt19937 random(3);
    for (gfx::WideFillFn fill : fills) {
        for (int trial = 0; trial < 3000; ++trial) {
            const std::size_t start = random() % 64 * 4 + random() % 2 * 64;
            const std::size_t count = trial < 200 ? std::size_t(trial) : random() % 5000;
            std::vector<std::uint8_t> bytes(start + 4 * count + 96, 0xEE);
            const std::uint32_t value = static_cast<std::uint32_t>(random());
            fill(bytes.data() + start, value, count);
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                const bool inside = i >= start && i < start + 4 * count;
                const auto expected =
                    inside ? static_cast<std::uint8_t>(value >> (8 * ((i - start) % 4))) : 0xEE;
                ASSERT_EQ(bytes[i], expected) << "start " << start << " count " << count;
            }
        }
    }
}

}  // namespace
