#include "gfx/drawing/wide_fill.hpp"

#include <immintrin.h>

#include <cstring>

#include "gfx/drawing/cpu_features.hpp"

namespace gfx {
namespace {

// A run shorter than one store is written a pixel at a time.
void fillScalar(std::uint8_t* first, std::uint32_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) std::memcpy(first + 4 * i, &value, 4);
}

}  // namespace

// Head and tail are single unaligned stores that may overlap the aligned
// body, so no run needs a pixel-by-pixel prologue.
void wideFill16(std::uint8_t* first, std::uint32_t value, std::size_t count) {
    if (count < 4) return fillScalar(first, value, count);
    const __m128i wide = _mm_set1_epi32(static_cast<int>(value));
    std::uint8_t* const end = first + 4 * count;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(first), wide);
    // The first boundary past `first`: the head store covers everything before it.
    std::uint8_t* out = first + 16;
    out -= reinterpret_cast<std::uintptr_t>(out) & 15;
    while (end - out >= 64) {
        _mm_store_si128(reinterpret_cast<__m128i*>(out), wide);
        _mm_store_si128(reinterpret_cast<__m128i*>(out + 16), wide);
        _mm_store_si128(reinterpret_cast<__m128i*>(out + 32), wide);
        _mm_store_si128(reinterpret_cast<__m128i*>(out + 48), wide);
        out += 64;
    }
    while (end - out >= 16) {
        _mm_store_si128(reinterpret_cast<__m128i*>(out), wide);
        out += 16;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 16), wide);
}

#if defined(LETTERMOOR_WIDE_VECTORS)
__attribute__((target("avx2"))) void wideFill32(std::uint8_t* first, std::uint32_t value,
                                                std::size_t count) {
    if (count < 8) return wideFill16(first, value, count);
    // A string store writes whole cache lines without reading them first,
    // which a band of the frame record (a quarter megabyte) gains from.
    if (count >= 4096) {
        asm volatile("rep stosl" : "+D"(first), "+c"(count) : "a"(value) : "memory");
        return;
    }
    const __m256i wide = _mm256_set1_epi32(static_cast<int>(value));
    std::uint8_t* const end = first + 4 * count;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(first), wide);
    // The first boundary past `first`: the head store covers everything before it.
    std::uint8_t* out = first + 32;
    out -= reinterpret_cast<std::uintptr_t>(out) & 31;
    while (end - out >= 128) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(out), wide);
        _mm256_store_si256(reinterpret_cast<__m256i*>(out + 32), wide);
        _mm256_store_si256(reinterpret_cast<__m256i*>(out + 64), wide);
        _mm256_store_si256(reinterpret_cast<__m256i*>(out + 96), wide);
        out += 128;
    }
    while (end - out >= 32) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(out), wide);
        out += 32;
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 32), wide);
    // Leaves the upper register halves clean for SSE code that follows.
    _mm256_zeroupper();
}
#else
void wideFill32(std::uint8_t* first, std::uint32_t value, std::size_t count) {
    wideFill16(first, value, count);
}
#endif

WideFillFn wideFill() {
    static const WideFillFn chosen = cpuHasWideVectors() ? wideFill32 : wideFill16;
    return chosen;
}

}  // namespace gfx
