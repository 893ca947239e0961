#include "gfx/blit.hpp"

#include <algorithm>
#include <utility>

#include "gfx/coordinates.hpp"
#include "gfx/drawing/draw_geometry.hpp"
#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/screen_lock.hpp"

namespace gfx {
namespace {

struct SourceRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

SourceRect sourceRect(const ImageBuffer& source, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                      std::int32_t y2) {
    if (x1 == WholeImage) return {0, 0, source.width, source.height};
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const std::int32_t maxX = source.width - 1;
    const std::int32_t maxY = source.height - 1;
    x1 = std::min(std::max(x1, 0), maxX);
    x2 = std::min(std::max(x2, 0), maxX);
    y1 = std::min(std::max(y1, 0), maxY);
    y2 = std::min(std::max(y2, 0), maxY);
    return {x1, y1, x2 - x1 + 1, y2 - y1 + 1};
}

void fail() {
    runtime::setLastError(LoadResult::BadCall);
}

}  // namespace

void putImage(ImageBuffer* target, float x, float y, const ImageBuffer* source, std::int32_t x1,
              std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t coordKind,
              std::int32_t /*mode*/, PutRoutine routine, std::int32_t alpha, Blender blender,
              void* param) {
    if (activeScreen() == nullptr || source == nullptr || routine == nullptr) return fail();
    DrawTarget& context = detail::threadTarget();
    if (!selectTarget(context, target)) return fail();

    if (coordKind == 2 || coordKind == 3) {
        x += context.penPosition.x;
        y += context.penPosition.y;
    }
    context.penPosition = {x, y};
    // Offsets add in 64 bits; a sum beyond 32 bits is clamped like any far corner.
    if ((coordKind == 1 || coordKind == 3) && x1 != WholeImage) {
        x2 = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{x2} + x1, INT32_MIN, INT32_MAX));
        y2 = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{y2} + y1, INT32_MIN, INT32_MAX));
    }
    const ClipRect clip = context.clipRect;
    std::int64_t px = std::int64_t{roundCoordinate(x)} + clip.x;
    std::int64_t py = std::int64_t{roundCoordinate(y)} + clip.y;

    const std::int32_t b = source->bytesPerPixel;
    if (b != context.bytesPerPixel) return fail();

    const SourceRect rect = sourceRect(*source, x1, y1, x2, y2);
    std::int64_t w = rect.width;
    std::int64_t h = rect.height;
    std::int64_t sx = rect.x;
    std::int64_t sy = rect.y;
    // The clip rectangle narrowed to the target, so a clip rectangle that
    // reaches past it cannot send the copy outside the target's memory.
    const PixelBounds bounds = pixelBounds(context);
    const std::int64_t clipLeft = bounds.left;
    const std::int64_t clipTop = bounds.top;
    const std::int64_t clipRight = std::int64_t{bounds.right} + 1;
    const std::int64_t clipBottom = std::int64_t{bounds.bottom} + 1;
    if (px + w <= clipLeft || px >= clipRight || py + h <= clipTop || py >= clipBottom ||
        clipRight <= clipLeft || clipBottom <= clipTop) {
        runtime::setLastError(LoadResult::Ok);
        return;
    }
    if (py < clipTop) {
        sy += clipTop - py;
        h -= clipTop - py;
        py = clipTop;
    }
    if (py + h > clipBottom) h = clipBottom - py;
    if (px < clipLeft) {
        sx += clipLeft - px;
        w -= clipLeft - px;
        px = clipLeft;
    }
    if (px + w > clipRight) w = clipRight - px;

    ImageCopy copy;
    copy.x = static_cast<std::int32_t>(px);
    copy.y = static_cast<std::int32_t>(py);
    copy.width = static_cast<std::int32_t>(w);
    copy.height = static_cast<std::int32_t>(h);
    copy.source = imageRow(source, static_cast<std::int32_t>(sy)) + sx * b;
    copy.sourcePitch = source->pitch;
    copy.routine = routine;
    copy.alpha = alpha;
    copy.blender = blender;
    copy.param = param;
    detail::lockForDrawing();
    context.primitives->copy(context, copy);
    detail::unlockAfterDrawing();
    runtime::setLastError(LoadResult::Ok);
}

}  // namespace gfx
