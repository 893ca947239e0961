#include <algorithm>

#include "gfx/drawing/draw_geometry.hpp"
#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/screen_lock.hpp"
#include "gfx/screen/screen_state.hpp"
#include "gfx/screen/text_grid.hpp"

namespace gfx {
namespace {

enum class ClearKind { Whole, Clip, TextRows };

bool clipIsWholeScreen(const DrawTarget& context, const Screen& screen) {
    const ClipRect& clip = context.clipRect;
    return clip.x == 0 && clip.y == 0 && clip.width == screen.width && clip.height == screen.height;
}

ClearKind kindOf(std::int32_t mode, const DrawTarget& context, const Screen& screen,
                 const detail::ScreenState& state) {
    switch (mode) {
        case ClearDefault:
            if (!clipIsWholeScreen(context, screen)) return ClearKind::Clip;
            if (state.textViewFirst == 0 && state.textViewLast == screen.textRows - 1) {
                return ClearKind::Whole;
            }
            return ClearKind::TextRows;
        case ClearWhole:
            return ClearKind::Whole;
        case ClearText:
            return ClearKind::TextRows;
        default:
            return ClearKind::Clip;
    }
}

void movePenToClipCentre(DrawTarget& context) {
    // A whole pixel: an even size takes the one just past the middle.
    const std::int32_t centreX = context.clipRect.x + context.clipRect.width / 2;
    const std::int32_t centreY = context.clipRect.y + context.clipRect.height / 2;
    context.penPosition.x = static_cast<float>(centreX);
    context.penPosition.y = static_cast<float>(centreY);
}

}  // namespace

void clearScreen(std::int32_t mode) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return;
    detail::ScreenState& state = detail::screenState();
    DrawTarget& context = detail::threadTarget();
    if (selectTarget(context, nullptr) != runtime::ResultCode::Ok) return;
    context.fillSpan = fillSpanFor(context.bytesPerPixel);

    detail::lockForDrawing();
    switch (kindOf(mode, context, *screen, state)) {
        case ClearKind::Whole:
            context.primitives->fill(context, 0, 0, screen->width, screen->height,
                                     context.backColor);
            movePenToClipCentre(context);
            resetTextRows(*screen, context, 0, screen->textRows - 1);
            state.cursorRow = state.textViewFirst + 1;
            state.cursorColumn = 1;
            break;
        case ClearKind::Clip: {
            // Only the part of the clip rectangle that lies on the screen; its
            // rows are marked even when none of its columns does.
            const ClipRect& clip = context.clipRect;
            const PixelBounds b = pixelBounds(context);
            context.primitives->fill(context, b.left, b.top, b.right - b.left + 1,
                                     b.bottom - b.top + 1, context.backColor);
            markRows(context, clip.y, clip.y + clip.height - 1);
            movePenToClipCentre(context);
            break;
        }
        case ClearKind::TextRows: {
            const std::int32_t glyphHeight = screen->font.glyphHeight;
            const std::int32_t top = state.textViewFirst * glyphHeight;
            const std::int32_t rows = (state.textViewLast - state.textViewFirst + 1) * glyphHeight;
            context.primitives->fill(context, 0, top, screen->width,
                                     std::min(rows, screen->height - top), context.backColor);
            resetTextRows(*screen, context, state.textViewFirst, state.textViewLast);
            state.cursorRow = state.textViewFirst + 1;
            state.cursorColumn = 1;
            break;
        }
    }
    detail::unlockAfterDrawing();
}

}  // namespace gfx
