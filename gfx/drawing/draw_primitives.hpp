#pragma once
// What the drawing operations hand to a target once they have rounded and
// clipped: a filled rectangle, a box outline, a run of glyph cells, an image
// copy. Each shape is already inside the target and its clip rectangle. The
// target writes it and marks its rows in dirtyRows, now or before the
// program's outer unlock; which, is the target's own business.

#include <cstdint>
#include <string_view>

#include "gfx/blit.hpp"
#include "gfx/color.hpp"

namespace gfx {

struct DrawTarget;

inline constexpr std::int32_t GlyphCellWidth = 8;

// Edges of a box outline that lie inside the clip bounds.
enum OutlineEdge : std::uint8_t { BottomEdge = 1, TopEdge = 2, RightEdge = 4, LeftEdge = 8 };

// Cells side by side from column x0, `rows` rows from row `top`: the cell of
// each byte of `text` takes its rows from glyphs + byte * stride, and paints
// `color` where a glyph bit is set in `mask` (bit 0 the leftmost column).
// A mask other than 0xFF comes with one cell, cut by the clip columns.
struct GlyphCells {
    std::int32_t x0 = 0;
    std::int32_t top = 0;
    std::int32_t rows = 0;
    std::int32_t cellWidth = GlyphCellWidth;
    std::uint8_t mask = 0xFF;
    Color color = 0;
    const std::uint8_t* glyphs = nullptr;
    std::int32_t stride = 0;
    std::string_view text;
};

// `height` rows of `width` pixels from `source`, rows `sourcePitch` bytes
// apart, through `routine` to column x and row y.
struct ImageCopy {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::uint8_t* source = nullptr;
    std::int32_t sourcePitch = 0;
    PutRoutine routine = nullptr;
    std::int32_t alpha = 0;
    Blender blender = nullptr;
    void* param = nullptr;
};

struct DrawPrimitives {
    void (*fill)(DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
                 std::int32_t height, Color color);
    // The OutlineEdge bits name the edges of the rectangle to draw; an outline
    // without any still marks its rows.
    void (*outline)(DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, std::uint8_t edges, Color color);
    void (*glyphs)(DrawTarget& context, const GlyphCells& cells);
    void (*copy)(DrawTarget& context, const ImageCopy& copy);
    // Before the caller stores pixels itself (patterned and sloped lines,
    // pixel routines the program set), which it then marks.
    void (*ownPixels)(DrawTarget& context);
};

// Writes every shape at once.
extern const DrawPrimitives DirectPrimitives;

}  // namespace gfx
