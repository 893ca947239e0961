#pragma once
// How frame-buffer rows become the rows of a device-independent bitmap:
// its bits per pixel, its row stride (rounded up to 4 bytes) and the row
// converter, nullptr when the frame buffer's rows can be sent as they are.

#include <cstdint>

namespace gfx::win32 {

using DibRowConverter = void (*)(const std::uint8_t* source, std::uint8_t* target,
                                 std::int32_t pixels);

struct DibRows {
    std::int32_t bitsPerPixel = 0;  // 0: the depth cannot be shown
    std::int32_t stride = 0;
    DibRowConverter convert = nullptr;
};

// For a screen of the given normalised depth (1, 2, 4, 8, 16, 32) and width.
// 16-bit frame buffers hold 5-6-5 pixels; bitmaps take 5-5-5 at 16 bits.
DibRows chooseDibRows(std::int32_t depth, std::int32_t width);

}  // namespace gfx::win32
