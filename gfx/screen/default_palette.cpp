#include "gfx/screen/default_palette.hpp"

namespace gfx {
namespace {

// Components are kept as the VGA's 6-bit DAC values and widened on output.
constexpr std::uint32_t pack(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    auto widen = [](std::uint32_t v) { return (v << 2) | (v >> 4); };
    return widen(red) | (widen(green) << 8) | (widen(blue) << 16);
}

constexpr std::uint8_t kCga[16][3] = {
    {0, 0, 0},    {0, 0, 42},   {0, 42, 0},   {0, 42, 42},  {42, 0, 0},   {42, 0, 42},
    {42, 21, 0},  {42, 42, 42}, {21, 21, 21}, {21, 21, 63}, {21, 63, 21}, {21, 63, 63},
    {63, 21, 21}, {63, 21, 63}, {63, 63, 21}, {63, 63, 63},
};

constexpr std::uint8_t kGreys[16] = {0x00, 0x05, 0x08, 0x0B, 0x0E, 0x11, 0x14, 0x18,
                                     0x1C, 0x20, 0x24, 0x28, 0x2D, 0x32, 0x38, 0x3F};

// Five component levels per (intensity, saturation) ramp, lowest first.
constexpr std::uint8_t kLevels[9][5] = {
    {0x00, 0x10, 0x1F, 0x2F, 0x3F}, {0x1F, 0x27, 0x2F, 0x37, 0x3F}, {0x2D, 0x31, 0x36, 0x3A, 0x3F},
    {0x00, 0x07, 0x0E, 0x15, 0x1C}, {0x0E, 0x11, 0x15, 0x18, 0x1C}, {0x14, 0x16, 0x18, 0x1A, 0x1C},
    {0x00, 0x04, 0x08, 0x0C, 0x10}, {0x08, 0x0A, 0x0C, 0x0E, 0x10}, {0x0B, 0x0C, 0x0D, 0x0F, 0x10},
};

// The 24 hues from blue round through magenta, red, yellow, green and cyan,
// as level indexes of red, green and blue.
constexpr std::uint8_t kHues[24][3] = {
    {0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {3, 0, 4}, {4, 0, 4}, {4, 0, 3}, {4, 0, 2}, {4, 0, 1},
    {4, 0, 0}, {4, 1, 0}, {4, 2, 0}, {4, 3, 0}, {4, 4, 0}, {3, 4, 0}, {2, 4, 0}, {1, 4, 0},
    {0, 4, 0}, {0, 4, 1}, {0, 4, 2}, {0, 4, 3}, {0, 4, 4}, {0, 3, 4}, {0, 2, 4}, {0, 1, 4},
};

constexpr std::array<std::uint32_t, 256> buildPalette() {
    std::array<std::uint32_t, 256> palette{};
    int index = 0;
    for (const auto& c : kCga) palette[index++] = pack(c[0], c[1], c[2]);
    for (std::uint8_t g : kGreys) palette[index++] = pack(g, g, g);
    for (const auto& levels : kLevels) {
        for (const auto& hue : kHues) {
            palette[index++] = pack(levels[hue[0]], levels[hue[1]], levels[hue[2]]);
        }
    }
    // The last eight entries stay black.
    return palette;
}

constexpr std::array<std::uint32_t, 256> kPalette = buildPalette();

}  // namespace

const std::array<std::uint32_t, 256>& defaultPalette256() {
    return kPalette;
}

}  // namespace gfx
