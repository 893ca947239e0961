#include "gfx/text.hpp"

#include <algorithm>

#include "gfx/coordinates.hpp"
#include "gfx/drawing/draw_geometry.hpp"
#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/screen_lock.hpp"

namespace gfx {
namespace {

LoadResult finish(LoadResult result) {
    runtime::setLastError(result);
    return result;
}

// Glyph bits of the columns from..to of a cell.
std::uint8_t columnMask(std::int32_t from, std::int32_t to) {
    return static_cast<std::uint8_t>((0xFFu << from) & (0xFFu >> (7 - to)));
}

}  // namespace

LoadResult drawText(ImageBuffer* target, float x, float y, std::uint32_t flags,
                    std::string_view text, Color color, ImageBuffer* fontImage, std::int32_t,
                    PutRoutine, std::int32_t, void*) {
    if (text.data() == nullptr) return finish(LoadResult::BadCall);
    // Text drawn from a font image is not offered by this runtime.
    if (fontImage != nullptr) return finish(LoadResult::BadCall);
    const Screen* screen = activeScreen();
    if (screen == nullptr || text.empty()) return finish(LoadResult::Ok);

    DrawTarget& context = detail::threadTarget();
    if (const LoadResult r = selectTarget(context, target); r != LoadResult::Ok) return finish(r);
    if ((flags & UseForeColor) != 0) color = context.foreColor;
    applyCoordinateKind(context.penPosition, flags, x, y);
    const std::int64_t ix = std::int64_t{roundCoordinate(x)} + context.clipRect.x;
    const std::int64_t iy = std::int64_t{roundCoordinate(y)} + context.clipRect.y;

    const std::int32_t glyphWidth = screen->font.glyphWidth;
    const std::int32_t glyphHeight = screen->font.glyphHeight;
    const std::uint8_t* glyphs = screen->font.glyphs;
    if (glyphWidth <= 0 || glyphHeight <= 0 || glyphs == nullptr) return finish(LoadResult::Ok);
    const PixelBounds b = pixelBounds(context);
    const auto count = static_cast<std::int64_t>(text.size());
    const std::int64_t boxRight = ix + count * glyphWidth - 1;
    const std::int64_t boxBottom = iy + glyphHeight - 1;

    detail::lockForDrawing();
    const DrawPrimitives& draw = *context.primitives;
    if (ix >= b.left && boxRight <= b.right && iy >= b.top && boxBottom <= b.bottom &&
        glyphWidth == GlyphCellWidth) {
        // Wholly inside the clip, as a frame's labels are: one run of whole cells.
        GlyphCells cells;
        cells.x0 = static_cast<std::int32_t>(ix);
        cells.top = static_cast<std::int32_t>(iy);
        cells.rows = glyphHeight;
        cells.color = color;
        cells.glyphs = glyphs;
        cells.stride = glyphHeight;
        cells.text = text;
        draw.glyphs(context, cells);
    } else if (boxRight >= b.left && ix <= b.right && boxBottom >= b.top && iy <= b.bottom &&
               b.right >= b.left && b.bottom >= b.top) {
        const auto firstGlyphRow = static_cast<std::int32_t>(std::max<std::int64_t>(b.top - iy, 0));
        const auto lastGlyphRow =
            static_cast<std::int32_t>(std::min<std::int64_t>(b.bottom - iy, glyphHeight - 1));
        // Only the characters whose cells reach into the clip columns; text
        // that lies wholly inside needs no division to find them.
        const std::int64_t firstChar = ix >= b.left ? 0 : (b.left - ix) / glyphWidth;
        const std::int64_t lastChar =
            boxRight <= b.right ? count - 1
                                : std::min<std::int64_t>((b.right - ix) / glyphWidth, count - 1);
        GlyphCells cells;
        cells.top = static_cast<std::int32_t>(iy + firstGlyphRow);
        cells.rows = lastGlyphRow - firstGlyphRow + 1;
        cells.cellWidth = glyphWidth;
        cells.color = color;
        cells.glyphs = glyphs + firstGlyphRow;
        cells.stride = glyphHeight;
        const auto cellsFrom = [&](std::int64_t first, std::int64_t end, std::uint8_t mask) {
            cells.x0 = static_cast<std::int32_t>(ix + first * glyphWidth);
            cells.mask = mask;
            cells.text =
                text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(end - first));
            draw.glyphs(context, cells);
        };
        // Whole cells side by side go out as one run, from runFirst on; a
        // cell the clip columns cut goes alone.
        std::int64_t runFirst = -1;
        for (std::int64_t index = firstChar; index <= lastChar; ++index) {
            const std::int64_t x0 = ix + index * glyphWidth;
            const auto from = static_cast<std::int32_t>(std::max<std::int64_t>(b.left - x0, 0));
            const auto to =
                static_cast<std::int32_t>(std::min<std::int64_t>(b.right - x0, glyphWidth - 1));
            const std::uint8_t mask = columnMask(from, to);
            if (mask == 0xFF) {
                if (runFirst < 0) runFirst = index;
                continue;
            }
            if (runFirst >= 0) cellsFrom(runFirst, index, 0xFF);
            runFirst = -1;
            cellsFrom(index, index + 1, mask);
        }
        if (runFirst >= 0) cellsFrom(runFirst, lastChar + 1, 0xFF);
    }
    detail::unlockAfterDrawing();
    return finish(LoadResult::Ok);
}

}  // namespace gfx
