#pragma once
// Row converters from the frame buffer's 32-bit 0xAARRGGBB pixels to the
// pixel layouts a window system shows: X TrueColor visuals and DirectDraw
// surfaces. Output is always least significant byte first.

#include <cstdint>

namespace gfx::pixel_formats {

struct PixelLayout {
    std::int32_t bitsPerPixel = 0;
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
};

using RowConverter = void (*)(const std::uint8_t* source, std::uint8_t* target,
                              std::int32_t pixels);

// nullptr when the layout is none of 32 or 24 bits per pixel in either
// channel order, 16-bit 5-6-5 or 15-bit 5-5-5.
RowConverter chooseRowConverter(const PixelLayout& layout);

// True for the converter that copies rows unchanged: the window's image then
// holds the frame's own bytes.
bool copiesUnchanged(RowConverter converter);

// Bytes one pixel takes in the layout's rows (0 when unsupported).
std::int32_t bytesPerPixel(const PixelLayout& layout);

}  // namespace gfx::pixel_formats
