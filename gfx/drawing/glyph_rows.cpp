#include "gfx/drawing/glyph_rows.hpp"

#include <emmintrin.h>

#include <array>

namespace gfx {
namespace {

// Entry n selects the 32-bit lanes i with bit i of n set: four pixels' worth
// of a glyph row per lookup.
using LaneMasks = std::array<std::array<std::uint32_t, 4>, 16>;

constexpr LaneMasks makeLaneMasks() {
    LaneMasks masks{};
    for (std::uint32_t n = 0; n < 16; ++n) {
        for (std::uint32_t lane = 0; lane < 4; ++lane) {
            masks[n][lane] = ((n >> lane) & 1u) != 0 ? 0xFFFFFFFFu : 0u;
        }
    }
    return masks;
}

alignas(16) constexpr LaneMasks NibbleLanes = makeLaneMasks();

inline void blendFour(std::uint8_t* pixels, std::uint32_t nibble, __m128i ink) {
    const __m128i lanes =
        _mm_load_si128(reinterpret_cast<const __m128i*>(NibbleLanes[nibble].data()));
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels),
                     _mm_or_si128(_mm_and_si128(lanes, ink), _mm_andnot_si128(lanes, old)));
}

void glyphRows32(std::uint8_t* const* rows, std::int32_t x0, const std::uint8_t* glyph,
                 std::int32_t count, std::uint8_t mask, Color color) {
    const __m128i ink = _mm_set1_epi32(static_cast<int>(color));
    const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(x0) * 4;
    for (std::int32_t row = 0; row < count; ++row) {
        const std::uint32_t bits = glyph[row] & mask;
        if (bits == 0) continue;
        std::uint8_t* cell = rows[row] + offset;
        if ((bits & 0x0Fu) != 0) blendFour(cell, bits & 0x0Fu, ink);
        if ((bits & 0xF0u) != 0) blendFour(cell + 16, bits >> 4, ink);
    }
}

}  // namespace

GlyphRowWriter glyphRowWriter(std::int32_t bytesPerPixel) {
    return bytesPerPixel == 4 ? glyphRows32 : nullptr;
}

}  // namespace gfx
