#include "gfx/text.hpp"

#include <algorithm>

#include "gfx/draw_geometry.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"

namespace gfx {
namespace {

LoadResult finish(LoadResult result) {
    runtime::setLastError(result);
    return result;
}

// One glyph row at x0; the caller has checked that columns from..to of the
// cell lie inside the target, so no pixel needs its own test.
void drawGlyphRow(DrawTarget& context, std::uint8_t bits, std::int64_t x0, std::int32_t y,
                  std::int32_t from, std::int32_t to, Color color) {
    for (std::int32_t b = from; b <= to; ++b) {
        if ((bits & (1u << b)) != 0) {
            context.putPixel(context, static_cast<std::int32_t>(x0 + b), y, color);
        }
    }
}

}  // namespace

LoadResult drawText(ImageBuffer* target, float x, float y, std::uint32_t flags,
                    std::string_view text, Color color, ImageBuffer* fontImage, std::int32_t,
                    PutRoutine, std::int32_t, void*) {
    if (text.data() == nullptr) return finish(LoadResult::BadCall);
    // Text drawn from a font image is not offered by this runtime.
    if (fontImage != nullptr) return finish(LoadResult::BadCall);
    const Screen* screen = currentScreen();
    if (screen == nullptr || text.empty()) return finish(LoadResult::Ok);

    DrawTarget& context = drawTarget();
    if (!selectTarget(context, target)) return finish(LoadResult::BadCall);
    if ((flags & UseForeColor) != 0) color = context.foreColor;
    applyCoordinateKind(context.penPosition, flags, x, y);
    const std::int64_t ix = std::int64_t{roundCoordinate(x)} + context.clipRect.x;
    const std::int64_t iy = std::int64_t{roundCoordinate(y)} + context.clipRect.y;

    const std::int32_t glyphWidth = screen->font.glyphWidth;
    const std::int32_t glyphHeight = screen->font.glyphHeight;
    const std::uint8_t* glyphs = screen->font.glyphs;
    const PixelBounds b = pixelBounds(context);
    const auto count = static_cast<std::int64_t>(text.size());

    lockScreen();
    const std::int64_t boxRight = ix + count * glyphWidth - 1;
    const std::int64_t boxBottom = iy + glyphHeight - 1;
    if (boxRight >= b.left && ix <= b.right && boxBottom >= b.top && iy <= b.bottom &&
        b.right >= b.left && b.bottom >= b.top) {
        const auto firstGlyphRow = static_cast<std::int32_t>(std::max<std::int64_t>(b.top - iy, 0));
        const auto lastGlyphRow =
            static_cast<std::int32_t>(std::min<std::int64_t>(b.bottom - iy, glyphHeight - 1));
        // Only the characters whose cells reach into the clip columns.
        const std::int64_t firstChar = std::max<std::int64_t>((b.left - ix) / glyphWidth, 0);
        const std::int64_t lastChar =
            std::min<std::int64_t>((b.right - ix) / glyphWidth, count - 1);
        for (std::int64_t index = firstChar; index <= lastChar; ++index) {
            const std::int64_t x0 = ix + index * glyphWidth;
            const auto from = static_cast<std::int32_t>(std::max<std::int64_t>(b.left - x0, 0));
            const auto to =
                static_cast<std::int32_t>(std::min<std::int64_t>(b.right - x0, glyphWidth - 1));
            const std::uint8_t* glyph =
                glyphs + static_cast<std::size_t>(static_cast<unsigned char>(text[index])) *
                             static_cast<std::size_t>(glyphHeight);
            for (std::int32_t row = firstGlyphRow; row <= lastGlyphRow; ++row) {
                drawGlyphRow(context, glyph[row], x0, static_cast<std::int32_t>(iy + row), from, to,
                             color);
            }
        }
        markRows(context, static_cast<std::int32_t>(iy + firstGlyphRow),
                 static_cast<std::int32_t>(iy + lastGlyphRow));
    }
    unlockScreen(1, 0);
    return finish(LoadResult::Ok);
}

}  // namespace gfx
