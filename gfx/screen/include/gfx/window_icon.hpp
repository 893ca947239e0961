#pragma once
// The picture a window back end shows as the window's icon. The program hands
// it over before openScreen; back ends that can show an icon read it when
// they create their window.

#include <cstdint>
#include <span>
#include <vector>

namespace gfx {

// One size of the icon: width * height pixels, 0xAARRGGBB, not premultiplied,
// top row first.
struct IconImage {
    const std::uint32_t* argb = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct StoredIcon {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> argb;
};

// Copies every size; an empty list forgets the icon. Returns false and keeps
// the previous icon when a size has no pixels or is not between 1 and 1024
// pixels on each side.
bool setWindowIcon(std::span<const IconImage> sizes);

// The sizes last set, in the order given.
const std::vector<StoredIcon>& windowIcon();

}  // namespace gfx
