#include <algorithm>

#include "gfx/drawing/draw_geometry.hpp"
#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/drawing/eight_pixels.hpp"
#include "gfx/drawing/pixel_writers.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"

namespace gfx {
namespace {

void noteWrite(const DrawTarget& context) {
    if (!context.isImage) notePagesWritten();
}

// Rows that follow each other in memory without a gap go out as one run. The
// rows are marked even when the clip leaves no column to fill.
void fill(DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
          std::int32_t height, Color color) {
    if (height <= 0) return;
    markRows(context, y, y + height - 1);
    if (width <= 0) return;
    noteWrite(context);
    const auto first = static_cast<std::size_t>(y);
    const auto last = first + static_cast<std::size_t>(height) - 1;
    const std::int64_t rowBytes = std::int64_t{width} * context.bytesPerPixel;
    const bool wholeRows = x == 0 && rowBytes == context.pitch;
    const bool contiguous =
        context.rowTable[last] ==
        context.rowTable[first] + static_cast<std::ptrdiff_t>(last - first) * context.pitch;
    if (wholeRows && contiguous && std::int64_t{width} * height <= INT32_MAX) {
        context.fillSpan(context.rowTable[first], color, width * height);
        return;
    }
    const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(x) * context.bytesPerPixel;
    for (std::size_t row = first; row <= last; ++row) {
        context.fillSpan(context.rowTable[row] + offset, color, width);
    }
}

// The horizontal edges go through fillSpan, the vertical ones pixel by pixel;
// corners are written twice, bottom, top, right, left.
void outline(DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
             std::int32_t height, std::uint8_t edges, Color color) {
    const std::int32_t lastRow = y + height - 1;
    markRows(context, y, lastRow);
    if (width <= 0 || height <= 0) return;
    noteWrite(context);
    if ((edges & BottomEdge) != 0) {
        context.fillSpan(pixelAddress(context, x, lastRow), color, width);
    }
    if ((edges & TopEdge) != 0) context.fillSpan(pixelAddress(context, x, y), color, width);
    if ((edges & (LeftEdge | RightEdge)) != 0) {
        withPixels(context, color, [&](auto pixels) {
            if ((edges & RightEdge) != 0) {
                for (std::int32_t row = y; row <= lastRow; ++row) pixels(x + width - 1, row);
            }
            if ((edges & LeftEdge) != 0) {
                for (std::int32_t row = y; row <= lastRow; ++row) pixels(x, row);
            }
        });
    }
}

// Cells wholly inside a 32-bit target of plain routines take whole glyph
// rows at once; the rest go through putPixel.
void glyphs(DrawTarget& context, const GlyphCells& cells) {
    noteWrite(context);
    const bool wholeRows = storesPlainly32(context) && cells.cellWidth == GlyphCellWidth;
    const EightPixels ink = EightPixels{} + cells.color;
    const std::int64_t width = targetExtent(context).width;
    std::int64_t x0 = cells.x0;
    for (const char c : cells.text) {
        const std::uint8_t* glyph =
            cells.glyphs + static_cast<std::size_t>(static_cast<unsigned char>(c)) *
                               static_cast<std::size_t>(cells.stride);
        const bool whole = wholeRows && x0 >= 0 && x0 + GlyphCellWidth <= width;
        const auto x = static_cast<std::int32_t>(x0);
        for (std::int32_t row = 0; row < cells.rows; ++row) {
            auto bits = static_cast<std::uint8_t>(glyph[row] & cells.mask);
            if (whole) {
                if (bits != 0) blendRow(pixelAddress(context, x, cells.top + row), bits, ink);
                continue;
            }
            for (std::int32_t b = 0; bits != 0; ++b, bits >>= 1) {
                if ((bits & 1u) != 0) {
                    context.putPixel(context, x + b, cells.top + row, cells.color);
                }
            }
        }
        x0 += cells.cellWidth;
    }
    markRows(context, cells.top, cells.top + cells.rows - 1);
}

void copy(DrawTarget& context, const ImageCopy& c) {
    noteWrite(context);
    std::uint8_t* to = pixelAddress(context, c.x, c.y);
    c.routine(c.source, to, c.width, c.height, c.sourcePitch, context.pitch, c.alpha, c.blender,
              c.param);
    markRows(context, c.y, c.y + c.height - 1);
}

void ownPixels(DrawTarget& context) {
    noteWrite(context);
}

}  // namespace

const DrawPrimitives DirectPrimitives{fill, outline, glyphs, copy, ownPixels};

}  // namespace gfx
