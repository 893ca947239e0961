#pragma once
// Row converters from the frame buffer's 32-bit 0xAARRGGBB pixels to the
// pixel layouts of X TrueColor visuals. Output is always least significant
// byte first; the presenter tells the server so.

#include <cstdint>

namespace gfx::x11 {

struct VisualLayout {
    std::int32_t bitsPerPixel = 0;
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
};

using RowConverter = void (*)(const std::uint8_t* source, std::uint8_t* target,
                              std::int32_t pixels);

// nullptr when the layout is none of 32 or 24 bits per pixel in either
// channel order, 16-bit 5-6-5 or 15-bit 5-5-5.
RowConverter chooseRowConverter(const VisualLayout& layout);

// True for the converter that copies rows unchanged: the window's image then
// holds the frame's own bytes.
bool copiesUnchanged(RowConverter converter);

// Bytes one pixel takes in the layout's rows (0 when unsupported).
std::int32_t bytesPerPixel(const VisualLayout& layout);

}  // namespace gfx::x11
