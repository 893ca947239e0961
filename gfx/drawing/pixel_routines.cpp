#include <cstring>

#include "gfx/drawing/wide_fill.hpp"
#include "gfx/screen/draw_target.hpp"

namespace gfx {
namespace {

// Pixels are reached through memcpy so that 16-bit and 32-bit stores need no
// alignment beyond what rows already have; the compiler emits plain moves.
template <typename Pixel>
void putPixelT(DrawTarget& context, std::int32_t x, std::int32_t y, Color color) {
    const auto value = static_cast<Pixel>(color);
    std::memcpy(context.rowTable[static_cast<std::size_t>(y)] +
                    static_cast<std::ptrdiff_t>(x) * static_cast<std::ptrdiff_t>(sizeof(Pixel)),
                &value, sizeof(Pixel));
}

template <typename Pixel>
Color getPixelT(const DrawTarget& context, std::int32_t x, std::int32_t y) {
    Pixel value{};
    std::memcpy(&value,
                context.rowTable[static_cast<std::size_t>(y)] +
                    static_cast<std::ptrdiff_t>(x) * static_cast<std::ptrdiff_t>(sizeof(Pixel)),
                sizeof(Pixel));
    return value;
}

void fillSpan8(std::uint8_t* first, Color color, std::int32_t count) {
    if (count > 0) {
        std::memset(first, static_cast<int>(color & 0xFFu), static_cast<std::size_t>(count));
    }
}

void fillSpan16(std::uint8_t* first, Color color, std::int32_t count) {
    const auto value = static_cast<std::uint16_t>(color);
    for (std::int32_t i = 0; i < count; ++i) std::memcpy(first + std::ptrdiff_t{2} * i, &value, 2);
}

// The frame clear and the white background run this over whole pages, so
// it must keep up with memset.
void fillSpan32(std::uint8_t* first, Color color, std::int32_t count) {
    if (count > 0) wideFill()(first, color, static_cast<std::size_t>(count));
}

}  // namespace

PutPixelFn putPixelFor(std::int32_t bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1:
            return putPixelT<std::uint8_t>;
        case 2:
            return putPixelT<std::uint16_t>;
        case 4:
            return putPixelT<std::uint32_t>;
        default:
            return nullptr;
    }
}

GetPixelFn getPixelFor(std::int32_t bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1:
            return getPixelT<std::uint8_t>;
        case 2:
            return getPixelT<std::uint16_t>;
        case 4:
            return getPixelT<std::uint32_t>;
        default:
            return nullptr;
    }
}

FillSpanFn fillSpanFor(std::int32_t bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1:
            return fillSpan8;
        case 2:
            return fillSpan16;
        case 4:
            return fillSpan32;
        default:
            return nullptr;
    }
}

bool storesPlainly32(const DrawTarget& context) {
    return context.putPixel == putPixelT<std::uint32_t> && context.fillSpan == fillSpan32;
}

bool storesPlainly(const DrawTarget& context) {
    return context.putPixel != nullptr && context.putPixel == putPixelFor(context.bytesPerPixel) &&
           context.fillSpan == fillSpanFor(context.bytesPerPixel);
}

}  // namespace gfx
