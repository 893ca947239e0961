#include "gfx/blit.hpp"

#include <algorithm>
#include <utility>

#include "gfx/draw_target.hpp"
#include "gfx/image.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"

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
    if (currentScreen() == nullptr || source == nullptr || routine == nullptr) return fail();
    DrawTarget& context = drawTarget();
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
    const std::int64_t clipRight = std::int64_t{clip.x} + clip.width;
    const std::int64_t clipBottom = std::int64_t{clip.y} + clip.height;
    if (px + w <= clip.x || px >= clipRight || py + h <= clip.y || py >= clipBottom) {
        runtime::setLastError(LoadResult::Ok);
        return;
    }
    if (py < clip.y) {
        sy += clip.y - py;
        h -= clip.y - py;
        py = clip.y;
    }
    if (py + h > clipBottom) h = clipBottom - py;
    if (px < clip.x) {
        sx += clip.x - px;
        w -= clip.x - px;
        px = clip.x;
    }
    if (px + w > clipRight) w = clipRight - px;

    lockScreen();
    const std::uint8_t* from = imageRow(source, static_cast<std::int32_t>(sy)) + sx * b;
    std::uint8_t* to = context.rowTable[static_cast<std::size_t>(py)] + px * b;
    routine(from, to, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), source->pitch,
            context.pitch, alpha, blender, param);
    markRows(context, static_cast<std::int32_t>(py), static_cast<std::int32_t>(py + h - 1));
    unlockScreen(1, 0);
    runtime::setLastError(LoadResult::Ok);
}

}  // namespace gfx
