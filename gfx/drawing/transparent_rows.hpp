#pragma once
// The row routines behind putTransparent.

#include <cstdint>

namespace gfx {

struct DrawTarget;

using TransparentRowsFn = void (*)(const std::uint8_t* source, std::uint8_t* destination,
                                   std::int32_t width, std::int32_t height,
                                   std::int32_t sourcePitch, std::int32_t destinationPitch);

// The 32-bit variants, all with the same results: pixel by pixel, eight
// pixels per step, and eight per step in 32-byte registers (only where the
// processor reports AVX2).
void transparentRows32(const std::uint8_t* source, std::uint8_t* destination, std::int32_t width,
                       std::int32_t height, std::int32_t sourcePitch,
                       std::int32_t destinationPitch);
void transparentRows32Vector(const std::uint8_t* source, std::uint8_t* destination,
                             std::int32_t width, std::int32_t height, std::int32_t sourcePitch,
                             std::int32_t destinationPitch);
void transparentRows32Wide(const std::uint8_t* source, std::uint8_t* destination,
                           std::int32_t width, std::int32_t height, std::int32_t sourcePitch,
                           std::int32_t destinationPitch);

// The routine putTransparent uses for the context's target, from its bytes
// per pixel, the screen's flags and the processor; nullptr for other depths.
TransparentRowsFn transparentRowsFor(const DrawTarget& context);

}  // namespace gfx
