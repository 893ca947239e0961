#include <emmintrin.h>

#include <cstring>

#include "gfx/blit.hpp"
#include "gfx/color.hpp"
#include "gfx/drawing/cpu_features.hpp"
#include "gfx/drawing/transparent_table.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"

namespace gfx {
namespace {

template <typename Pixel, typename Skip, typename Value>
void transparentRows(const std::uint8_t* source, std::uint8_t* destination, std::int32_t width,
                     std::int32_t height, std::int32_t sourcePitch, std::int32_t destinationPitch,
                     Skip skip, Value value) {
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            Pixel pixel;
            std::memcpy(&pixel, source + x * sizeof(Pixel), sizeof(Pixel));
            if (skip(pixel)) continue;
            const Pixel written = value(pixel);
            std::memcpy(destination + x * sizeof(Pixel), &written, sizeof(Pixel));
        }
        source += sourcePitch;
        destination += destinationPitch;
    }
}

void transparentRows8(const std::uint8_t* s, std::uint8_t* d, std::int32_t w, std::int32_t h,
                      std::int32_t sp, std::int32_t dp) {
    transparentRows<std::uint8_t>(
        s, d, w, h, sp, dp, [](std::uint8_t p) { return p == MaskColor8; },
        [](std::uint8_t p) { return p; });
}

void transparentRows16(const std::uint8_t* s, std::uint8_t* d, std::int32_t w, std::int32_t h,
                       std::int32_t sp, std::int32_t dp) {
    transparentRows<std::uint16_t>(
        s, d, w, h, sp, dp, [](std::uint16_t p) { return p == MaskColor16; },
        [](std::uint16_t p) { return p; });
}

void transparentRows32(const std::uint8_t* s, std::uint8_t* d, std::int32_t w, std::int32_t h,
                       std::int32_t sp, std::int32_t dp) {
    transparentRows<std::uint32_t>(
        s, d, w, h, sp, dp, [](std::uint32_t p) { return isMaskColor(p); },
        [](std::uint32_t p) { return p & 0x00FFFFFFu; });
}

void putOne32(const std::uint8_t* source, std::uint8_t* destination) {
    std::uint32_t pixel;
    std::memcpy(&pixel, source, 4);
    if (isMaskColor(pixel)) return;
    pixel &= 0x00FFFFFFu;
    std::memcpy(destination, &pixel, 4);
}

// Keeps the destination where the source is the mask colour, writes the
// source without alpha elsewhere; no branch per pixel.
inline __m128i blend4(__m128i source, __m128i destination) {
    const __m128i colorBits = _mm_set1_epi32(0x00FFFFFF);
    const __m128i colors = _mm_and_si128(source, colorBits);
    const __m128i isMask = _mm_cmpeq_epi32(colors, _mm_set1_epi32(0x00FF00FF));
    return _mm_or_si128(_mm_and_si128(isMask, destination), _mm_andnot_si128(isMask, colors));
}

void transparentRows32Sse2(const std::uint8_t* source, std::uint8_t* destination,
                           std::int32_t width, std::int32_t height, std::int32_t sourcePitch,
                           std::int32_t destinationPitch) {
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* s = source;
        std::uint8_t* d = destination;
        std::int32_t left = width;
        if ((left & 1) != 0) {
            putOne32(s, d);
            s += 4;
            d += 4;
        }
        if ((left & 2) != 0) {
            const __m128i pair = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
            const __m128i old = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), blend4(pair, old));
            s += 8;
            d += 8;
        }
        for (left >>= 2; left > 0; --left) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), blend4(four, old));
            s += 16;
            d += 16;
        }
        source += sourcePitch;
        destination += destinationPitch;
    }
}

}  // namespace

const TransparentTable& scalarTransparentTable() {
    static const TransparentTable table{transparentRows8, transparentRows16, transparentRows32};
    return table;
}

const TransparentTable& vectorTransparentTable() {
    static const TransparentTable table{transparentRows8, transparentRows16, transparentRows32Sse2};
    return table;
}

TransparentRowsFn transparentRowsFor(DrawTarget& context) {
    if (context.transparentTable == nullptr) {
        const Screen* screen = activeScreen();
        const bool fast = screen != nullptr && (screen->flags & ScreenFastRoutinesBit) != 0;
        if (!fast) {
            context.transparentTable = &scalarTransparentTable();
        } else if (cpuHasWideVectors()) {
            context.transparentTable = &wideTransparentTable();
        } else {
            context.transparentTable = &vectorTransparentTable();
        }
    }
    return context.transparentTable->forBytesPerPixel(context.bytesPerPixel);
}

void putTransparent(const std::uint8_t* source, std::uint8_t* destination, std::int32_t width,
                    std::int32_t height, std::int32_t sourcePitch, std::int32_t destinationPitch,
                    std::int32_t /*alpha*/, Blender /*blender*/, void* /*param*/) {
    const TransparentRowsFn rows = transparentRowsFor(detail::threadTarget());
    if (rows != nullptr && width > 0 && height > 0) {
        rows(source, destination, width, height, sourcePitch, destinationPitch);
    }
}

}  // namespace gfx
