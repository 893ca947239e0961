#include "gfx/drivers/win32_dib_rows.hpp"

#include <cstring>

namespace gfx::win32 {
namespace {

std::int32_t roundUpTo4(std::int32_t bytes) {
    return (bytes + 3) & ~3;
}

void rgb565To555(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    for (std::int32_t i = 0; i < pixels; ++i) {
        const std::ptrdiff_t at = std::ptrdiff_t{2} * i;
        const auto pixel = static_cast<std::uint16_t>(source[at] | (source[at + 1] << 8));
        // Red keeps its 5 bits one place lower; green drops its lowest bit.
        const auto converted =
            static_cast<std::uint16_t>(((pixel >> 1) & 0x7FE0) | (pixel & 0x001F));
        target[at] = static_cast<std::uint8_t>(converted & 0xFF);
        target[at + 1] = static_cast<std::uint8_t>(converted >> 8);
    }
}

void copyIndexRow(const std::uint8_t* source, std::uint8_t* target, std::int32_t pixels) {
    std::memcpy(target, source, static_cast<std::size_t>(pixels));
}

}  // namespace

DibRows chooseDibRows(std::int32_t depth, std::int32_t width) {
    switch (depth) {
        case 32:
            return DibRows{32, width * 4, nullptr};
        case 16:
            return DibRows{16, roundUpTo4(width * 2), rgb565To555};
        case 1:
        case 2:
        case 4:
        case 8:
            // One palette index per byte; rows only need padding.
            return DibRows{8, roundUpTo4(width), width % 4 == 0 ? nullptr : copyIndexRow};
        default:
            return DibRows{};
    }
}

}  // namespace gfx::win32
