#pragma once
// Eight 32-bit pixels in one value: one store where the processor has
// 32-byte registers, two where it has not. The pixel loops of the direct
// drawing and of the frame record share these.

#include <cstdint>
#include <cstring>

namespace gfx {

using EightPixels = std::uint32_t __attribute__((vector_size(32)));

// Lane i holds 1 << i, so a glyph row's bits select the lanes to paint.
inline constexpr EightPixels LaneBits = {1, 2, 4, 8, 16, 32, 64, 128};

// Paints the pixels of one glyph row: lane i takes the ink where bit i is set.
[[gnu::always_inline]] inline void blendRow(std::uint8_t* pixels, std::uint32_t bits,
                                            const EightPixels& ink) {
    const EightPixels painted = (LaneBits & bits) == LaneBits;
    EightPixels old;
    std::memcpy(&old, pixels, sizeof old);
    const EightPixels blended = (ink & painted) | (old & ~painted);
    std::memcpy(pixels, &blended, sizeof blended);
}

// Eight pixels of a transparent copy: the destination stays where the source
// has the mask colour (on its low 24 bits), elsewhere the source goes in
// with its alpha byte cleared. No branch per pixel.
[[gnu::always_inline]] inline void blendTransparent(const std::uint8_t* source,
                                                    std::uint8_t* destination) {
    EightPixels colors;
    EightPixels old;
    std::memcpy(&colors, source, sizeof colors);
    std::memcpy(&old, destination, sizeof old);
    colors &= 0x00FFFFFFu;
    const EightPixels isMask = colors == 0x00FF00FFu;
    const EightPixels blended = (old & isMask) | (colors & ~isMask);
    std::memcpy(destination, &blended, sizeof blended);
}

}  // namespace gfx
