#pragma once
// The colour model of the runtime: 32-bit 0xAARRGGBB pixels, written unchanged.

#include <cstdint>

namespace gfx {

using Color = std::uint32_t;

inline constexpr Color Black = 0xFF000000u;
inline constexpr Color White = 0xFFFFFFFFu;
inline constexpr Color Green = 0xFF00FF00u;

// The transparent colour at 32 bits; matched on its low 24 bits only.
inline constexpr Color MaskColor = 0xFFFF00FFu;
// The transparent colour at 15 and 16 bits, and at 8 bits and below.
inline constexpr std::uint32_t MaskColor16 = 0xF81Fu;
inline constexpr std::uint32_t MaskColor8 = 0u;

constexpr bool isMaskColor(std::uint32_t pixel) {
    return (pixel & 0x00FFFFFFu) == 0x00FF00FFu;
}

}  // namespace gfx
