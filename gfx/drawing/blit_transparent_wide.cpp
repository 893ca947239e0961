#include <immintrin.h>

#include <cstring>

#include "gfx/color.hpp"
#include "gfx/drawing/cpu_features.hpp"
#include "gfx/drawing/transparent_table.hpp"

namespace gfx {

#if defined(LETTERMOOR_WIDE_VECTORS)
namespace {

// As the 16-byte rows, with 32-byte steps: a single pixel if the width is odd,
// then a pair, then a group of four, then groups of eight, each keeping the
// destination where the source has the mask colour.
__attribute__((target("avx2"))) inline __m256i blend8(__m256i source, __m256i destination) {
    const __m256i colors = _mm256_and_si256(source, _mm256_set1_epi32(0x00FFFFFF));
    const __m256i isMask = _mm256_cmpeq_epi32(colors, _mm256_set1_epi32(0x00FF00FF));
    return _mm256_blendv_epi8(colors, destination, isMask);
}

__attribute__((target("avx2"))) inline __m128i blend4(__m128i source, __m128i destination) {
    const __m128i colors = _mm_and_si128(source, _mm_set1_epi32(0x00FFFFFF));
    const __m128i isMask = _mm_cmpeq_epi32(colors, _mm_set1_epi32(0x00FF00FF));
    return _mm_blendv_epi8(colors, destination, isMask);
}

void putOne(const std::uint8_t* source, std::uint8_t* destination) {
    std::uint32_t pixel;
    std::memcpy(&pixel, source, 4);
    if (isMaskColor(pixel)) return;
    pixel &= 0x00FFFFFFu;
    std::memcpy(destination, &pixel, 4);
}

__attribute__((target("avx2"))) void transparentRows32Avx2(const std::uint8_t* source,
                                                           std::uint8_t* destination,
                                                           std::int32_t width, std::int32_t height,
                                                           std::int32_t sourcePitch,
                                                           std::int32_t destinationPitch) {
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* s = source;
        std::uint8_t* d = destination;
        if ((width & 1) != 0) {
            putOne(s, d);
            s += 4;
            d += 4;
        }
        if ((width & 2) != 0) {
            const __m128i pair = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
            const __m128i old = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), blend4(pair, old));
            s += 8;
            d += 8;
        }
        if ((width & 4) != 0) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), blend4(four, old));
            s += 16;
            d += 16;
        }
        for (std::int32_t left = width >> 3; left > 0; --left) {
            const __m256i eight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
            const __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), blend8(eight, old));
            s += 32;
            d += 32;
        }
        source += sourcePitch;
        destination += destinationPitch;
    }
    _mm256_zeroupper();
}

}  // namespace

const TransparentTable& wideTransparentTable() {
    static const TransparentTable table{vectorTransparentTable().oneByte,
                                        vectorTransparentTable().twoBytes, transparentRows32Avx2};
    return table;
}
#else
const TransparentTable& wideTransparentTable() {
    return vectorTransparentTable();
}
#endif

}  // namespace gfx
