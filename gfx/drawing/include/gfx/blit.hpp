#pragma once
// Copying images onto the screen or another image through a row routine.

#include <cstdint>

#include "gfx/put_routine.hpp"

namespace gfx {

struct ImageBuffer;

// x1 == WholeImage selects the whole source.
inline constexpr std::int32_t WholeImage = -65536;

void putImage(ImageBuffer* target, float x, float y, const ImageBuffer* source, std::int32_t x1,
              std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t coordKind,
              std::int32_t mode, PutRoutine routine, std::int32_t alpha, Blender blender,
              void* param);

// Skips mask-coloured source pixels; at 4 bytes per pixel writes the source
// with its alpha byte cleared.
void putTransparent(const std::uint8_t* source, std::uint8_t* destination, std::int32_t width,
                    std::int32_t height, std::int32_t sourcePitch, std::int32_t destinationPitch,
                    std::int32_t alpha, Blender blender, void* param);

}  // namespace gfx
