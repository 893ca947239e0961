#pragma once
// Shared helpers of the image, loader and blit tests, and a bitmap-file
// writer that owes nothing to the loader (the game tests use it too).

#include <array>
#include <cstdint>
#include <vector>

#include "gfx/image.hpp"

namespace imagetest {

std::uint32_t pixelAt(const gfx::ImageBuffer* image, std::int32_t x, std::int32_t y);

// How a picture is laid out in a bitmap file.
struct BitmapForm {
    std::uint32_t headerSize = 40;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    bool topDown = false;
    std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha for compression 3
    bool zeroPixelOffset = false;          // leave the offset 0 so the loader computes it
};

// One stored value per pixel (a palette index or the raw 16/24/32-bit word),
// row 0 on top, and the colour table as 0x00RRGGBB.
struct StoredPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> values;
    std::vector<std::uint32_t> palette;
    std::uint32_t at(std::int32_t x, std::int32_t y) const {
        return values[static_cast<std::size_t>(std::int64_t{y} * width + x)];
    }
};

std::vector<std::uint8_t> encodeBitmap(const BitmapForm& form, const StoredPicture& picture);

}  // namespace imagetest
