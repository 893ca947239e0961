#include "gfx/text.hpp"

#include <algorithm>

#include "gfx/deferred_drawing.hpp"
#include "gfx/draw_geometry.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/glyph_rows.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_state.hpp"

namespace gfx {
namespace {

LoadResult finish(LoadResult result) {
    runtime::setLastError(result);
    return result;
}

// One glyph row at x0, pixel by pixel through putPixel; the caller has
// narrowed `bits` to the columns inside the clip rectangle.
void putGlyphRow(DrawTarget& context, std::uint8_t bits, std::int32_t x0, std::int32_t y,
                 Color color) {
    for (std::int32_t b = 0; bits != 0; ++b, bits >>= 1) {
        if ((bits & 1u) != 0) context.putPixel(context, x0 + b, y, color);
    }
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
    const Screen* screen = detail::openedScreen();
    if (screen == nullptr || text.empty()) return finish(LoadResult::Ok);

    DrawTarget& context = detail::threadTarget();
    if (!selectTarget(context, target)) return finish(LoadResult::BadCall);
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

    // Text wholly inside the clip under the program's lock, as a frame's
    // labels are: one run of whole cells, recorded without the nested lock,
    // which would change nothing at that lock count.
    if (ix >= b.left && boxRight <= b.right && iy >= b.top && boxBottom <= b.bottom &&
        glyphWidth == GlyphCellWidth && glyphHeight <= detail::MaxGlyphRows &&
        detail::recordingUnderLock(context)) {
        detail::recordGlyphRun(context, static_cast<std::int32_t>(ix),
                               static_cast<std::int32_t>(iy), glyphHeight, color, glyphs,
                               glyphHeight, text);
        return finish(LoadResult::Ok);
    }

    detail::lockForDrawing();
    if (boxRight >= b.left && ix <= b.right && boxBottom >= b.top && iy <= b.bottom &&
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
        const auto top = static_cast<std::int32_t>(iy + firstGlyphRow);
        const std::int32_t rows = lastGlyphRow - firstGlyphRow + 1;
        const std::int64_t width = targetExtent(context).width;
        const bool recording = glyphWidth == GlyphCellWidth && rows <= detail::MaxGlyphRows &&
                               detail::recordingFor(context);
        // Drawn at once, cells wholly inside the target take the 8-pixel row
        // writer; the rest go through putPixel.
        const GlyphRowWriter wholeCells =
            !recording && storesPlainly(context) && glyphWidth == GlyphCellWidth
                ? glyphRowWriter(context.bytesPerPixel)
                : nullptr;
        if (!recording) detail::settleBefore(context);
        // Whole cells side by side are recorded as one run, from runFirst on.
        std::int64_t runFirst = -1;
        const auto closeRun = [&](std::int64_t end) {
            if (runFirst < 0) return;
            detail::recordGlyphRun(context, static_cast<std::int32_t>(ix + runFirst * glyphWidth),
                                   top, rows, color, glyphs + firstGlyphRow, glyphHeight,
                                   text.substr(static_cast<std::size_t>(runFirst),
                                               static_cast<std::size_t>(end - runFirst)));
            runFirst = -1;
        };
        for (std::int64_t index = firstChar; index <= lastChar; ++index) {
            const std::int64_t x0 = ix + index * glyphWidth;
            const auto from = static_cast<std::int32_t>(std::max<std::int64_t>(b.left - x0, 0));
            const auto to =
                static_cast<std::int32_t>(std::min<std::int64_t>(b.right - x0, glyphWidth - 1));
            const std::uint8_t mask = columnMask(from, to);
            const std::uint8_t* glyph =
                glyphs +
                static_cast<std::size_t>(static_cast<unsigned char>(text[index])) *
                    static_cast<std::size_t>(glyphHeight) +
                firstGlyphRow;
            const bool whole = x0 >= 0 && x0 + GlyphCellWidth <= width;
            if (recording && whole && mask == 0xFF) {
                if (runFirst < 0) runFirst = index;
                continue;
            }
            if (recording) {
                closeRun(index);
                detail::recordGlyph(context, static_cast<std::int32_t>(x0), top, glyph, rows, mask,
                                    color);
                continue;
            }
            if (wholeCells != nullptr && whole) {
                wholeCells(context.rowTable.data() + top, static_cast<std::int32_t>(x0), glyph,
                           rows, mask, color);
                continue;
            }
            for (std::int32_t row = 0; row < rows; ++row) {
                putGlyphRow(context, static_cast<std::uint8_t>(glyph[row] & mask),
                            static_cast<std::int32_t>(x0), top + row, color);
            }
        }
        closeRun(lastChar + 1);
        // Recorded cells mark their rows when the record is carried out.
        if (!recording) {
            markRows(context, static_cast<std::int32_t>(iy + firstGlyphRow),
                     static_cast<std::int32_t>(iy + lastGlyphRow));
        }
    }
    detail::unlockAfterDrawing();
    return finish(LoadResult::Ok);
}

}  // namespace gfx
