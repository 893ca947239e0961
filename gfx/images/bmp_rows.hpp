#pragma once
// Conversion of stored bitmap rows into target pixels of 1, 2 or 4 bytes.

#include <array>
#include <cstdint>

namespace gfx {

// One channel mask taken apart: value = (pixel >> shift) & normalised, then
// scaled from `length` bits to 8.
struct ChannelMask {
    std::uint32_t normalised = 0;
    std::int32_t shift = 0;
    std::int32_t length = 0;
};
ChannelMask makeChannelMask(std::uint32_t mask);
std::uint32_t scaleChannel(std::uint32_t value, std::int32_t length);

// Red, green, blue, alpha.
using ChannelMasks = std::array<ChannelMask, 4>;

enum class StoredPixels { Indexed, Direct16, Direct24, Direct32 };

struct RowConverter {
    StoredPixels stored = StoredPixels::Indexed;
    std::int32_t targetBytesPerPixel = 4;
    ChannelMasks masks{};
    // 256 entries 0x00BBGGRR, for indexed pixels.
    const std::uint32_t* palette = nullptr;
};

// Converts pixels first .. first + count - 1 of one row. Indexed rows hold one
// index byte per pixel (see unpackIndices); direct rows are as stored.
void convertPixels(const RowConverter& converter, const std::uint8_t* row, std::uint8_t* target,
                   std::int32_t first, std::int32_t count);

// Unpacks `count` indices of `bitCount` (1, 2, 4 or 8) bits, leftmost pixel in
// the high bits, into one byte each.
void unpackIndices(const std::uint8_t* packed, std::int32_t bitCount, std::uint8_t* indices,
                   std::int32_t count);

// A palette entry 0x00BBGGRR as an opaque Color.
constexpr std::uint32_t paletteEntryColor(std::uint32_t entry) {
    return 0xFF000000u | ((entry & 0xFFu) << 16) | (entry & 0xFF00u) | ((entry >> 16) & 0xFFu);
}
// A Color packed into 5-6-5 bits, top bits of each channel.
constexpr std::uint16_t packColor565(std::uint32_t color) {
    return static_cast<std::uint16_t>(((color & 0xF80000u) >> 8) | ((color & 0xFC00u) >> 5) |
                                      ((color & 0xF8u) >> 3));
}

}  // namespace gfx
