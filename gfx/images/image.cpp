#include "gfx/image.hpp"

#include <cstring>
#include <limits>

#include "gfx/aligned_block.hpp"
#include "gfx/color.hpp"
#include "gfx/images/bmp_rows.hpp"
#include "gfx/images/checked_size.hpp"
#include "gfx/images/image_layout.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"

namespace gfx {
namespace {

ImageBuffer* fail(LoadResult code) {
    runtime::setLastError(code);
    return nullptr;
}

std::int32_t bytesPerPixelForDepth(std::int32_t depth, const Screen& screen) {
    if (depth <= 0) return screen.bytesPerPixel;
    const std::int32_t bytes = depth / 8 + (depth % 8 != 0 ? 1 : 0);
    return (bytes == 1 || bytes == 2 || bytes == 4) ? bytes : 0;
}

std::uint32_t fillValue(std::int32_t bytesPerPixel, std::uint32_t color, std::uint32_t flags) {
    if ((flags & NoColorGiven) != 0) {
        if (bytesPerPixel == 4) return MaskColor;
        return bytesPerPixel == 2 ? MaskColor16 : MaskColor8;
    }
    return bytesPerPixel == 2 ? packColor565(color) : color;
}

}  // namespace

bool imageHeaderFits(const ImageBuffer& header, std::uint64_t capacity) {
    const std::int32_t b = header.bytesPerPixel;
    if (header.type != ImageType || (b != 1 && b != 2 && b != 4)) return false;
    if (header.width <= 0 || header.height <= 0 || header.pitch <= 0) return false;
    if (header.pitch % 16 != 0) return false;
    std::uint64_t bytes = 0;
    return madFits(header.width, b, 0, static_cast<std::uint64_t>(header.pitch), bytes) &&
           madFits(header.pitch, header.height, 0, capacity, bytes);
}

ImageBuffer* createImage(std::int32_t width, std::int32_t height, std::uint32_t color,
                         std::int32_t depth, std::uint32_t flags) {
    const Screen* screen = activeScreen();
    if (screen == nullptr || width <= 0 || height <= 0) return fail(LoadResult::BadCall);
    const std::int32_t bytesPerPixel = bytesPerPixelForDepth(depth, *screen);
    if (bytesPerPixel == 0) return fail(LoadResult::BadCall);

    // The header keeps the pitch and the block's capacity in 32 bits.
    std::uint64_t rowBytes = 0;
    std::uint64_t pixelBytes = 0;
    if (!madFits(width, bytesPerPixel, 15, std::numeric_limits<std::int32_t>::max(), rowBytes)) {
        return fail(LoadResult::NoMemory);
    }
    const auto pitch = static_cast<std::int64_t>(rowBytes & ~std::uint64_t{15});
    if (!madFits(pitch, height, 0, std::numeric_limits<std::uint32_t>::max() - ImageHeaderSize,
                 pixelBytes)) {
        return fail(LoadResult::NoMemory);
    }
    std::uint8_t* block = allocateAligned(ImageHeaderSize + pixelBytes);
    if (block == nullptr) return fail(LoadResult::NoMemory);

    auto* image = reinterpret_cast<ImageBuffer*>(block);
    std::memset(image, 0, sizeof(ImageBuffer));
    image->type = ImageType;
    image->bytesPerPixel = bytesPerPixel;
    image->width = width;
    image->height = height;
    image->pitch = static_cast<std::int32_t>(pitch);
    setImageCapacity(*image, static_cast<std::uint32_t>(pixelBytes));

    const FillSpanFn fill = fillSpanFor(bytesPerPixel);
    const std::uint32_t value = fillValue(bytesPerPixel, color, flags);
    const auto slotsPerRow = static_cast<std::int32_t>(pitch / bytesPerPixel);
    for (std::int32_t y = 0; y < height; ++y) fill(imageRow(image, y), value, slotsPerRow);

    selectTarget(detail::threadTarget(), image);
    runtime::setLastError(LoadResult::Ok);
    return image;
}

void destroyImage(ImageBuffer* image) {
    if (image == nullptr) return;
    // A freed image must not stay the thread's target: a later image at the
    // same address would be taken for it with stale rows.
    DrawTarget& context = detail::threadTarget();
    if (context.target == image) {
        if (activeScreen() == nullptr || selectTarget(context, nullptr) != LoadResult::Ok) {
            context.target = nullptr;
            context.isImage = false;
            context.rowTable.clear();
            context.rowCapacity = 0;
            context.screenId = 0;  // set up afresh at its next use
        }
    }
    freeAligned(reinterpret_cast<std::uint8_t*>(image));
}

const char* loadResultName(LoadResult result) {
    switch (result) {
        case LoadResult::Ok:
            return "Ok";
        case LoadResult::BadCall:
            return "BadCall";
        case LoadResult::CannotOpen:
            return "CannotOpen";
        case LoadResult::BadFile:
            return "BadFile";
        case LoadResult::NoMemory:
            return "NoMemory";
    }
    return "Unknown";
}

}  // namespace gfx
