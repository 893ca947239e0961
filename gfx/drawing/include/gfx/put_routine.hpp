#pragma once
// The row routine an image copy or a text goes through.

#include <cstdint>

namespace gfx {

using Blender = std::uint32_t (*)(std::uint32_t source, std::uint32_t destination,
                                  std::int32_t alpha, void* param);

// Processes `height` rows of `width` pixels; source and destination have the
// same bytes per pixel.
using PutRoutine = void (*)(const std::uint8_t* source, std::uint8_t* destination,
                            std::int32_t width, std::int32_t height, std::int32_t sourcePitch,
                            std::int32_t destinationPitch, std::int32_t alpha, Blender blender,
                            void* param);

}  // namespace gfx
