#include <cstddef>
#include <cstring>

#include "gfx/blit.hpp"
#include "gfx/color.hpp"
#include "gfx/drawing/cpu_features.hpp"
#include "gfx/drawing/eight_pixels.hpp"
#include "gfx/drawing/transparent_rows.hpp"
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

// Eight pixels per step, the last width % 8 pixel by pixel.
[[gnu::always_inline]] inline void transparentRowsByEight(const std::uint8_t* source,
                                                          std::uint8_t* destination,
                                                          std::int32_t width, std::int32_t height,
                                                          std::int32_t sourcePitch,
                                                          std::int32_t destinationPitch) {
    const std::int32_t whole = width & ~7;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < whole; x += 8) {
            blendTransparent(source + std::ptrdiff_t{4} * x, destination + std::ptrdiff_t{4} * x);
        }
        if (whole != width) {
            const std::ptrdiff_t done = std::ptrdiff_t{4} * whole;
            transparentRows32(source + done, destination + done, width - whole, 1, 0, 0);
        }
        source += sourcePitch;
        destination += destinationPitch;
    }
}

}  // namespace

void transparentRows32(const std::uint8_t* s, std::uint8_t* d, std::int32_t w, std::int32_t h,
                       std::int32_t sp, std::int32_t dp) {
    transparentRows<std::uint32_t>(
        s, d, w, h, sp, dp, [](std::uint32_t p) { return isMaskColor(p); },
        [](std::uint32_t p) { return p & 0x00FFFFFFu; });
}

void transparentRows32Vector(const std::uint8_t* s, std::uint8_t* d, std::int32_t w, std::int32_t h,
                             std::int32_t sp, std::int32_t dp) {
    transparentRowsByEight(s, d, w, h, sp, dp);
}

__attribute__((target("avx2"))) void transparentRows32Wide(const std::uint8_t* s, std::uint8_t* d,
                                                           std::int32_t w, std::int32_t h,
                                                           std::int32_t sp, std::int32_t dp) {
    transparentRowsByEight(s, d, w, h, sp, dp);
}

TransparentRowsFn transparentRowsFor(const DrawTarget& context) {
    switch (context.bytesPerPixel) {
        case 1:
            return transparentRows8;
        case 2:
            return transparentRows16;
        case 4:
            break;
        default:
            return nullptr;
    }
    const Screen* screen = activeScreen();
    if (screen == nullptr || (screen->flags & ScreenFastRoutinesBit) == 0) return transparentRows32;
    static const bool wide = cpuHasWideVectors();
    return wide ? transparentRows32Wide : transparentRows32Vector;
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
