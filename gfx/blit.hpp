#pragma once
// Copying images onto the screen or another image through a row routine.

#include <cstdint>

namespace gfx {

struct ImageBuffer;

using Blender = std::uint32_t (*)(std::uint32_t source, std::uint32_t destination,
                                  std::int32_t alpha, void* param);

// Processes `height` rows of `width` pixels; source and destination have the
// same bytes per pixel.
using PutRoutine = void (*)(const std::uint8_t* source, std::uint8_t* destination,
                            std::int32_t width, std::int32_t height, std::int32_t sourcePitch,
                            std::int32_t destinationPitch, std::int32_t alpha, Blender blender,
                            void* param);

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
