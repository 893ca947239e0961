#include "gfx/drivers/pixel_formats.hpp"

#include <cstddef>
#include <cstring>

namespace gfx::pixel_formats {
namespace {

void copy32(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    std::memcpy(target, source, static_cast<std::size_t>(pixels) * 4);
}

// Writes bytes First, Second and Third of each source pixel (blue, green,
// red, alpha) as a target pixel of Bytes bytes; a fourth byte is zero.
template <int First, int Second, int Third, int Bytes>
void reorder(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i, source += 4, target += Bytes) {
        target[0] = source[First];
        target[1] = source[Second];
        target[2] = source[Third];
        if constexpr (Bytes == 4) target[3] = 0;
    }
}

// Five bits of red at RedShift, GreenBits bits of green at 5, five of blue at 0.
template <int RedShift, int GreenBits>
void packed16(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i, source += 4, target += 2) {
        const std::uint32_t value = ((source[2] >> 3u) << RedShift) |
                                    ((source[1] >> (8 - GreenBits)) << 5) | (source[0] >> 3u);
        target[0] = static_cast<std::uint8_t>(value & 0xFF);
        target[1] = static_cast<std::uint8_t>(value >> 8);
    }
}

bool masksAre(const PixelLayout& layout, std::uint32_t red, std::uint32_t green,
              std::uint32_t blue) {
    return layout.redMask == red && layout.greenMask == green && layout.blueMask == blue;
}

}  // namespace

RowConverter chooseRowConverter(const PixelLayout& layout) {
    const bool rgb = masksAre(layout, 0xFF0000, 0x00FF00, 0x0000FF);
    const bool bgr = masksAre(layout, 0x0000FF, 0x00FF00, 0xFF0000);
    switch (layout.bitsPerPixel) {
        case 32:
            if (rgb) return copy32;
            if (bgr) return reorder<2, 1, 0, 4>;
            return nullptr;
        case 24:
            if (rgb) return reorder<0, 1, 2, 3>;
            if (bgr) return reorder<2, 1, 0, 3>;
            return nullptr;
        case 16:
            if (masksAre(layout, 0xF800, 0x07E0, 0x001F)) return packed16<11, 6>;
            if (masksAre(layout, 0x7C00, 0x03E0, 0x001F)) return packed16<10, 5>;
            return nullptr;
        default:
            return nullptr;
    }
}

bool copiesUnchanged(RowConverter converter) {
    return converter == copy32;
}

std::int32_t bytesPerPixel(const PixelLayout& layout) {
    if (chooseRowConverter(layout) == nullptr) return 0;
    return layout.bitsPerPixel / 8;
}

}  // namespace gfx::pixel_formats
