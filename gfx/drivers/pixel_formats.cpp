#include "gfx/drivers/pixel_formats.hpp"

#include <cstddef>
#include <cstring>

namespace gfx::pixel_formats {
namespace {

// Source bytes of one pixel: blue, green, red, alpha.
struct Rgb {
    std::uint32_t r, g, b;
};

Rgb sourcePixel(const std::uint8_t* source, std::int32_t index) {
    const std::uint8_t* p = source + static_cast<std::ptrdiff_t>(index) * 4;
    return {p[2], p[1], p[0]};
}

void copy32(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    std::memcpy(target, source, static_cast<std::size_t>(pixels) * 4);
}

void swap32(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i) {
        const Rgb c = sourcePixel(source, i);
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(i) * 4;
        out[0] = static_cast<std::uint8_t>(c.r);
        out[1] = static_cast<std::uint8_t>(c.g);
        out[2] = static_cast<std::uint8_t>(c.b);
        out[3] = 0;
    }
}

void packed24(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i) {
        const Rgb c = sourcePixel(source, i);
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(i) * 3;
        out[0] = static_cast<std::uint8_t>(c.b);
        out[1] = static_cast<std::uint8_t>(c.g);
        out[2] = static_cast<std::uint8_t>(c.r);
    }
}

void packed24Swapped(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i) {
        const Rgb c = sourcePixel(source, i);
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(i) * 3;
        out[0] = static_cast<std::uint8_t>(c.r);
        out[1] = static_cast<std::uint8_t>(c.g);
        out[2] = static_cast<std::uint8_t>(c.b);
    }
}

void store16(std::uint8_t* target, std::int32_t index, std::uint32_t value) {
    std::uint8_t* out = target + static_cast<std::ptrdiff_t>(index) * 2;
    out[0] = static_cast<std::uint8_t>(value & 0xFF);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void rgb565(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i) {
        const Rgb c = sourcePixel(source, i);
        store16(target, i, ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
    }
}

void rgb555(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i) {
        const Rgb c = sourcePixel(source, i);
        store16(target, i, ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
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
            if (bgr) return swap32;
            return nullptr;
        case 24:
            if (rgb) return packed24;
            if (bgr) return packed24Swapped;
            return nullptr;
        case 16:
            if (masksAre(layout, 0xF800, 0x07E0, 0x001F)) return rgb565;
            if (masksAre(layout, 0x7C00, 0x03E0, 0x001F)) return rgb555;
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
