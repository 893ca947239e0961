#include "gfx/images/bmp_rows.hpp"

#include <bit>
#include <cstring>

namespace gfx {
namespace {

std::uint32_t readLittle(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

std::uint32_t channel(const ChannelMask& mask, std::uint32_t pixel) {
    return scaleChannel((pixel >> mask.shift) & mask.normalised, mask.length);
}

std::uint32_t directColor(const RowConverter& converter, const std::uint8_t* row, std::int32_t x) {
    std::uint32_t pixel = 0;
    std::uint32_t alpha = 0xFF;
    switch (converter.stored) {
        case StoredPixels::Direct16:
            pixel = readLittle(row + 2 * static_cast<std::ptrdiff_t>(x), 2);
            break;
        case StoredPixels::Direct24:
            pixel = readLittle(row + 3 * static_cast<std::ptrdiff_t>(x), 3);
            break;
        default:
            pixel = readLittle(row + 4 * static_cast<std::ptrdiff_t>(x), 4);
            alpha = converter.masks[3].normalised != 0 ? channel(converter.masks[3], pixel) : 0;
            break;
    }
    return (alpha << 24) | (channel(converter.masks[0], pixel) << 16) |
           (channel(converter.masks[1], pixel) << 8) | channel(converter.masks[2], pixel);
}

}  // namespace

ChannelMask makeChannelMask(std::uint32_t mask) {
    ChannelMask result;
    if (mask == 0) return result;
    result.shift = std::countr_zero(mask);
    result.length = 32 - std::countl_zero(mask) - result.shift;
    result.normalised = mask >> result.shift;
    return result;
}

std::uint32_t scaleChannel(std::uint32_t value, std::int32_t length) {
    if (length > 8) return value >> (length - 8);
    if (length >= 4) return ((value << (8 - length)) | (value >> (2 * length - 8))) & 0xFFu;
    return (value << (8 - length)) & 0xFFu;
}

void unpackIndices(const std::uint8_t* packed, std::int32_t bitCount, std::uint8_t* indices,
                   std::int32_t count) {
    if (bitCount == 8) {
        std::memcpy(indices, packed, static_cast<std::size_t>(count));
        return;
    }
    const std::int32_t perByte = 8 / bitCount;
    std::uint8_t byte = 0;
    for (std::int32_t x = 0; x < count; ++x) {
        if (x % perByte == 0) byte = *packed++;
        indices[x] = static_cast<std::uint8_t>(byte >> (8 - bitCount));
        byte = static_cast<std::uint8_t>(byte << bitCount);
    }
}

void convertPixels(const RowConverter& converter, const std::uint8_t* row, std::uint8_t* target,
                   std::int32_t first, std::int32_t count) {
    const std::int32_t end = first + count;
    const bool indexed = converter.stored == StoredPixels::Indexed;
    const auto color = [&](std::int32_t x) {
        return indexed ? paletteEntryColor(converter.palette[row[x]])
                       : directColor(converter, row, x);
    };
    switch (converter.targetBytesPerPixel) {
        case 4:
            for (std::int32_t x = first; x < end; ++x) {
                const std::uint32_t pixel = color(x);
                std::memcpy(target + 4 * static_cast<std::ptrdiff_t>(x), &pixel, 4);
            }
            break;
        case 2:
            for (std::int32_t x = first; x < end; ++x) {
                const std::uint16_t packed = packColor565(color(x));
                std::memcpy(target + 2 * static_cast<std::ptrdiff_t>(x), &packed, 2);
            }
            break;
        default:
            // Palette targets take indices only; the loader refuses direct colour.
            if (indexed) std::memcpy(target + first, row + first, static_cast<std::size_t>(count));
            break;
    }
}

}  // namespace gfx
