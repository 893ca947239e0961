#pragma once
// The row routines behind putTransparent, one per target bytes per pixel.

#include <cstdint>

namespace gfx {

struct DrawTarget;

using TransparentRowsFn = void (*)(const std::uint8_t* source, std::uint8_t* destination,
                                   std::int32_t width, std::int32_t height,
                                   std::int32_t sourcePitch, std::int32_t destinationPitch);

struct TransparentTable {
    TransparentRowsFn oneByte = nullptr;
    TransparentRowsFn twoBytes = nullptr;
    TransparentRowsFn fourBytes = nullptr;

    TransparentRowsFn forBytesPerPixel(std::int32_t bytesPerPixel) const {
        switch (bytesPerPixel) {
            case 1:
                return oneByte;
            case 2:
                return twoBytes;
            case 4:
                return fourBytes;
            default:
                return nullptr;
        }
    }
};

// Pixel by pixel.
const TransparentTable& scalarTransparentTable();
// Four 32-bit pixels per step with masks; the same results as the scalar table.
const TransparentTable& vectorTransparentTable();
// Eight 32-bit pixels per step; only where the processor reports AVX2.
const TransparentTable& wideTransparentTable();

// The routine putTransparent uses for the context's target, chosen once per
// context from the screen's flags and the processor.
TransparentRowsFn transparentRowsFor(DrawTarget& context);

}  // namespace gfx
