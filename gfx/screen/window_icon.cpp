#include "gfx/window_icon.hpp"

namespace gfx {
namespace {

constexpr std::int32_t LargestSide = 1024;

std::vector<StoredIcon>& storedIcon() {
    static std::vector<StoredIcon> icon;
    return icon;
}

bool acceptable(const IconImage& image) {
    return image.argb != nullptr && image.width > 0 && image.height > 0 &&
           image.width <= LargestSide && image.height <= LargestSide;
}

}  // namespace

bool setWindowIcon(std::span<const IconImage> sizes) {
    for (const IconImage& image : sizes) {
        if (!acceptable(image)) return false;
    }
    std::vector<StoredIcon> copies;
    copies.reserve(sizes.size());
    for (const IconImage& image : sizes) {
        const auto count = static_cast<std::size_t>(image.width) * image.height;
        copies.push_back({image.width, image.height,
                          std::vector<std::uint32_t>(image.argb, image.argb + count)});
    }
    storedIcon() = std::move(copies);
    return true;
}

const std::vector<StoredIcon>& windowIcon() {
    return storedIcon();
}

}  // namespace gfx
