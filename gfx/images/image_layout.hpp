#pragma once
// Facts about an image block that the loader and createImage share.

#include <cstdint>

#include "gfx/image.hpp"

namespace gfx {

inline constexpr std::uint32_t ImageHeaderSize = 32;

// Pixel bytes the image's block holds behind its header, kept by createImage
// in a header word that no drawing reads.
inline std::uint32_t imageCapacity(const ImageBuffer& image) {
    return image.reserved[0];
}
inline void setImageCapacity(ImageBuffer& image, std::uint32_t bytes) {
    image.reserved[0] = bytes;
}

// True when the header describes rows that fit `capacity` pixel bytes.
bool imageHeaderFits(const ImageBuffer& header, std::uint64_t capacity);

}  // namespace gfx
