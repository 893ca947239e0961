#pragma once
// Image buffers in the screen's pixel format, and the bitmap loader.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "runtime/last_error.hpp"

namespace gfx {

using LoadResult = runtime::ResultCode;

// A 32-byte header directly followed by `height` rows of `pitch` bytes, in one
// 16-byte-aligned heap block.
struct ImageBuffer {
    std::int32_t type;           // always 7
    std::int32_t bytesPerPixel;  // 1, 2 or 4
    std::int32_t width;
    std::int32_t height;
    std::int32_t pitch;  // width * bytesPerPixel rounded up to 16
    std::uint32_t reserved[3];
};
static_assert(sizeof(ImageBuffer) == 32);

inline constexpr std::int32_t ImageType = 7;
inline constexpr std::uint32_t NoColorGiven = 0x80000000u;

inline std::uint8_t* imageRow(ImageBuffer* image, std::int32_t y) {
    return reinterpret_cast<std::uint8_t*>(image) + 32 +
           static_cast<std::ptrdiff_t>(y) * image->pitch;
}
inline const std::uint8_t* imageRow(const ImageBuffer* image, std::int32_t y) {
    return reinterpret_cast<const std::uint8_t*>(image) + 32 +
           static_cast<std::ptrdiff_t>(y) * image->pitch;
}

// depth <= 0 takes the screen's; flags bit 31 fills with the mask colour.
// Returns nullptr with BadCall or NoMemory recorded as the thread's last error.
ImageBuffer* createImage(std::int32_t width, std::int32_t height, std::uint32_t color,
                         std::int32_t depth, std::uint32_t flags);
void destroyImage(ImageBuffer* image);

// Loads a bitmap file ("BM") or a raw image dump into `target` (nullptr: the
// screen). `palette`, when given, is 256 caller-owned entries.
LoadResult loadImage(std::string_view fileName, ImageBuffer* target, std::uint32_t* palette);
// The same for the bytes of such a file already in memory; never CannotOpen.
LoadResult loadImageFromMemory(std::span<const std::uint8_t> bytes, ImageBuffer* target,
                               std::uint32_t* palette);

// Owning handle for game and tool code.
struct ImageDeleter {
    void operator()(ImageBuffer* image) const {
        if (image != nullptr) destroyImage(image);
    }
};
using ImageHandle = std::unique_ptr<ImageBuffer, ImageDeleter>;

const char* loadResultName(LoadResult result);

}  // namespace gfx
